#include "platform/sim/from_report.h"

#include <ostream>
#include <variant>

#include "platform/sim/output/line_output.h"
#include "platform/sim/output/visible_text.h"
#include "platform/sim/scenario/input_file.h"
#include "platform/sim/scenario/report_search.h"
#include "platform/sim/scenario/scenario_writer.h"

namespace velmora::sim {

int printScenarioOfReport(const std::string& file, std::ostream& out, std::ostream& err) {
  const std::string name = visibleText(file);
  InputFileResult read = readInputFile(file);
  if (const auto* e = std::get_if<SimError>(&read)) {
    err << "velmora-sim: " << name << ": cannot read the report: " << e->message << "\n";
    return 2;
  }
  const ReportScenarioResult result = scenarioFromReport(std::get<std::string>(read));
  if (const auto* e = std::get_if<SimError>(&result)) {
    err << "velmora-sim: " << name << ": " << e->where << ": " << visibleText(e->message) << "\n";
    return 2;
  }
  std::string json = scenarioJson(std::get<Scenario>(result));
  json.pop_back();  // the line feed that ends it
  LineOutput output(out);
  output.writeLine(json);
  if (!output.failed()) return 0;
  err << "velmora-sim: cannot write to standard output: " << output.failure() << "\n";
  return 1;
}

}  // namespace velmora::sim
