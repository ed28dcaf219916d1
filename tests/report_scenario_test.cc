// A user's detection report back into a scenario: every report the tool cannot reproduce is
// refused at its line, and the printed scenario's form. The recorded reports come back byte for
// byte through the velmora-sim program (velmora_sim_test.cc); random client states, and the edge
// shapes the recorded reports lack (seeds edge_* of its corpus), in fuzz/report_scenario_fuzz.cc.
#include "platform/sim/scenario/report_search.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/sim/scenario/report_reader.h"
#include "platform/sim/scenario/scenario_writer.h"
#include "tests/sim_windows.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

std::string recorded(const std::string& name) {
  return testing::contentOf(std::string(VELMORA_TEST_DATA) + "/" + name).value_or("");
}

// Each row edits the recorded report_raw_titles.txt: every `from` becomes `to`, or with no `to`
// the text is cut off where `from` begins.
TEST(ReportScenarioTest, EveryShapeItCannotReproduceIsRefusedAtItsLine) {
  const std::string longer = "--- AX Detection ---\n" + std::string(kMaxReportLines, '\n');
  const std::string wider = "--- AX Detection ---" + std::string(kMaxReportBytes, ' ') + "\n";
  const std::string longTitle = "Lab " + std::string(kMaxWindowText, 'x');
  const struct {
    const char* from;
    const char* to;
    std::size_t line;
  } cases[] = {
      {"Cache: [:]\n", "Ca", 22},                           // cut off in a line
      {"    -> ", nullptr, 10},                             // cut off after the windows
      {"Final: 6", "Final: 5", 21},                         // an edited count
      {"session: \"Lab", "session: \"Lap", 11},             // a title in one line only
      {"  AX windows found: 6", "  App not running", 3},    // the client quit during the scan
      {"  AX[3]: \"Devices\"", "  AX[5]: \"Devices\"", 8},  // out of order
      {"Final: 6 named + 1 unnamed = 7\n", "", 20},         // sections out of order
      {"1099x", "nanx", 4},                                 // a size JSON cannot carry
      {"2025-12-11 05:51:40", "inf", 1},                    // a moment JSON cannot carry
      {"2025-12-11 05:51:40", "1969-12-31 23:59:59", 1},    // before 1970
      {"2025-12-11 05:51:40", "10000-01-01 00:00:10", 1},   // after 9999
      {"found: 6", "found: 1001", 3},                       // more windows than are reproduced
      {"--- AX Detection ---\n", longer.c_str(), kMaxReportLines + 1},  // more lines than that
      {"--- AX Detection ---\n", wider.c_str(), 2},                     // past 512 KiB
      {"Lab ", longTitle.c_str(), 4},                                   // a title no scenario holds
      {"Cache: [:]", "Cache: [\"Devices\": \"Lab\"]", 22},              // never kept
      {"Two", "T\xffo", 5},                                             // not UTF-8
      {"\n", "\r\n", 1},
      {"  Raw: ", "  Row: ", 19},  // an unknown listing line
  };
  for (const auto& c : cases) {
    std::string report = recorded("report_raw_titles.txt");
    const std::size_t at = report.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    if (c.to == nullptr) {
      report.resize(at);
    } else {
      for (std::size_t i = at; i != std::string::npos;
           i = report.find(c.from, i + std::strlen(c.to))) {
        report.replace(i, std::strlen(c.from), c.to);
      }
    }
    const ReportScenarioResult result = scenarioFromReport(report);
    ASSERT_TRUE(std::holds_alternative<SimError>(result)) << report;
    const SimError& e = std::get<SimError>(result);
    EXPECT_EQ(e.where, "line " + std::to_string(c.line)) << c.from << ": " << e.message;
    EXPECT_FALSE(e.message.empty());
  }
}

// A remembered title needs a first pass 5 s before the reported one: in the first seconds of
// 1970 that pass is the reason for the refusal, not the report's moment.
TEST(ReportScenarioTest, AFirstPassBefore1970IsTheReasonGiven) {
  std::string report = recorded("report_idle_after_full_screen.txt");
  report.replace(report.find("2025-12-11 05:48:25"), 19, "1970-01-01 00:00:05");
  EXPECT_TRUE(std::holds_alternative<Scenario>(scenarioFromReport(report)));
  report.replace(report.find("00:00:05"), 8, "00:00:01");
  const ReportScenarioResult result = scenarioFromReport(report);
  ASSERT_TRUE(std::holds_alternative<SimError>(result));
  EXPECT_NE(std::get<SimError>(result).message.find("would start before 1970"), std::string::npos);
}

// Subroles are the client's own names, so a "\" subrole=" is taken to end the title at its
// last occurrence; subroles that hold it too make every window line two readings, and past
// the cap on readings tried the report is refused at the first of them.
TEST(ReportScenarioTest, TooManyReadingsAreRefusedWhereTheyBegin) {
  Scenario scenario;
  scenario.start = 1765000000.0;
  scenario.until = 0.0;
  SimClientState client;
  client.ax.windows.assign(9,
                           simWindow("T", 800, 600, "AXStandardWindow\" subrole=AXStandardWindow"));
  scenario.events.push_back({0.0, ScenarioEvent::Kind::kClient,
                             std::make_shared<const SimClientState>(std::move(client)), ""});
  const ReportScenarioResult result = scenarioFromReport(lastPassReport(scenario));
  ASSERT_TRUE(std::holds_alternative<SimError>(result));
  EXPECT_EQ(std::get<SimError>(result).where, "line 4");
  EXPECT_NE(std::get<SimError>(result).message.find("too many ways"), std::string::npos);
}

// The printed form (tests/data/report_idle_after_full_screen.json): a first pass that makes the
// tracker remember the title that only the "(cached)" line before the idle panel shows, 5 s
// before the reported pass; the untitled background window that the report does not count was
// minimised.
TEST(ReportScenarioTest, PrintsTheScenarioInTheDocumentedForm) {
  const ReportScenarioResult result =
      scenarioFromReport(recorded("report_idle_after_full_screen.txt"));
  ASSERT_TRUE(std::holds_alternative<Scenario>(result));
  EXPECT_EQ(scenarioJson(std::get<Scenario>(result)),
            recorded("report_idle_after_full_screen.json"));
}

}  // namespace
}  // namespace velmora::sim
