// The script-runner port on NSAppleScript.
#pragma once

#include "detect/script_runner.h"

namespace velmora::mac {

// Compiles and runs each source afresh, synchronously, on the main thread. Scripts that talk
// to "System Events" need the Automation grant: without it the run fails with -1743 (not
// allowed) in the error description; -1719 means System Events itself lacks Accessibility.
class MacScriptRunner final : public ScriptRunner {
 public:
  ScriptResult run(std::string_view source) override;
};

}  // namespace velmora::mac
