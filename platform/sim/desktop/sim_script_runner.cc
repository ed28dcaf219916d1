#include "platform/sim/desktop/sim_script_runner.h"

namespace velmora::sim {

ScriptResult SimScriptRunner::run(std::string_view source) {
  if (recording) sources.emplace_back(source);
  return responder ? responder(source) : answer;
}

}  // namespace velmora::sim
