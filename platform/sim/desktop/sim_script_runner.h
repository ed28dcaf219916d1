// The simulated scripting service: answers every script with a settable result, or through a
// responder that looks at the source, and records every source it was given. The settable
// answer and the record serve the tests (a test double); velmora-sim's desktop answers through
// a responder and records nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "detect/script_runner.h"

namespace velmora::sim {

class SimScriptRunner final : public ScriptRunner {
 public:
  using Responder = std::function<ScriptResult(std::string_view source)>;

  // The answer when no responder is set: no text, as when the client's process is gone.
  ScriptResult answer;
  // When set, decides every answer instead of `answer`.
  Responder responder;
  // Every script run, in order, while `recording` (a long-running desktop turns it off).
  std::vector<std::string> sources;
  bool recording = true;

  ScriptResult run(std::string_view source) override {
    if (recording) sources.emplace_back(source);
    return responder ? responder(source) : answer;
  }
};

}  // namespace velmora::sim
