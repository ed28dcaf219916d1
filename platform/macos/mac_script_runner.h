// The script-runner port on NSAppleScript.
#pragma once

#include "detect/script_runner.h"

namespace velmora::mac {

// Compiles and runs each source afresh, synchronously, on the main thread. Scripts that talk
// to "System Events" need the Automation grant: without it the error description holds -1743.
// Reading windows through System Events also needs this process's Accessibility grant:
// without that it holds -1719 ("not allowed assistive access").
class MacScriptRunner final : public ScriptRunner {
 public:
  ScriptResult run(std::string_view source) override;
};

}  // namespace velmora::mac
