#include "platform/sim/from_report.h"

#include <ostream>
#include <variant>

#include "platform/sim/input_file.h"
#include "platform/sim/line_output.h"
#include "platform/sim/report_scenario.h"
#include "platform/sim/scenario_json.h"
#include "platform/sim/visible_text.h"

namespace velmora::sim {

int printScenarioOfReport(const std::string& file, std::ostream& out, std::ostream& err) {
  const std::string name = visibleText(file);
  InputFileResult read = readInputFile(file);
  if (const auto* e = std::get_if<InputFileError>(&read)) {
    err << "velmora-sim: " << name << ": cannot read the report: " << e->message << "\n";
    return 2;
  }
  const ReportScenarioResult result = scenarioFromReport(std::get<std::string>(read));
  if (const auto* e = std::get_if<ReportError>(&result)) {
    err << "velmora-sim: " << name << ": line " << e->line << ": " << visibleText(e->message)
        << "\n";
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
