// The scenario reader of velmora-sim on arbitrary bytes: it never crashes, and a refusal always
// says where and what.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "fuzz/fuzz_check.h"
#include "platform/sim/scenario/scenario_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view json(reinterpret_cast<const char*>(data), size);
  const velmora::sim::ScenarioResult result = velmora::sim::parseScenario(json);
  if (const auto* error = std::get_if<velmora::sim::SimError>(&result)) {
    FUZZ_CHECK(!error->message.empty());
    FUZZ_CHECK(!error->where.empty());
    return 0;
  }
  const auto& scenario = std::get<velmora::sim::Scenario>(result);
  FUZZ_CHECK(std::isfinite(scenario.until) && scenario.until >= 0.0);
  for (const auto& event : scenario.events) {
    FUZZ_CHECK(std::isfinite(event.at) && event.at >= 0.0);
  }
  return 0;
}
