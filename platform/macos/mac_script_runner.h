// The script-runner port on NSAppleScript. Objective-C++ only.
#pragma once

#import <Foundation/Foundation.h>

#include <string>
#include <vector>

#include "detect/script_runner.h"

namespace velmora::mac {

// Runs scripts synchronously, on the main thread. A source is compiled on its first run and
// kept compiled for the next ones (the listing script runs every pass): the few sources run
// most recently are kept, so a raise script for each window name cannot grow the store. A
// source that fails to compile is not kept: its next run compiles it again. Scripts that talk
// to "System Events" need the Automation grant: without it the error description holds -1743.
// Reading windows through System Events also needs this process's Accessibility grant:
// without that it holds -1719 ("not allowed assistive access").
class MacScriptRunner final : public ScriptRunner {
 public:
  ScriptResult run(std::string_view source) override;

 private:
  struct Compiled {
    std::string source;
    NSAppleScript* script;
  };
  // The kept script of `source`, now the most recently run; nil when none is kept.
  NSAppleScript* kept(std::string_view source);
  void keep(std::string_view source, NSAppleScript* script);

  std::vector<Compiled> kept_;  // the most recently run last
};

}  // namespace velmora::mac
