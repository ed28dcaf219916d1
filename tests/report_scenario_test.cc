// A user's detection report back into a scenario: edge shapes that the recorded reports lack
// come back byte for byte, every report the tool cannot reproduce is refused at its line, and
// the printed scenario's form. The recorded reports go through the velmora-sim program in
// velmora_sim_test.cc.
#include "platform/sim/report_scenario.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "detect/utc_timestamp.h"
#include "platform/sim/report_text.h"
#include "platform/sim/scenario_json.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

using Kind = ReportError::Kind;

std::string recorded(const std::string& name) {
  return testing::contentOf(std::string(VELMORA_TEST_DATA) + "/" + name).value_or("");
}

std::string reportOf(std::string_view scenarioJsonText) {
  const ScenarioResult parsed = parseScenario(scenarioJsonText);
  if (const auto* e = std::get_if<ScenarioError>(&parsed)) {
    ADD_FAILURE() << e->position << ": " << e->message;
    return {};
  }
  return lastPassReport(std::get<Scenario>(parsed));
}

// Each client state's report, turned into a scenario, printed and read back, replays to the
// same report: moments far from 1970, failures of both readings, raw titles that mimic the
// report's own lines, a remembered title that only the lines before an idle panel show.
TEST(ReportScenarioTest, EdgeShapesComeBackByteForByte) {
  const char* const kStates[] = {
      R"({"start": -62167219200, "until": 0, "events": [{"at": 0, "client": {"instances": 2,
          "ax": {"value": "not-a-list"}, "script": {"no_object": true}}}]})",
      R"({"start": 1e19, "until": 0, "events": [{"at": 0, "client": {"script": {"no_text": true}}}]})",
      R"({"start": 253402300800.9, "until": 5, "events": [
          {"at": 0, "client": {"ax": {"windows": [{"title": "Näh \"1\"", "subrole": "AXStandardWindow",
            "size": [1100, 800], "minimized": false}]}}},
          {"at": 5, "client": {"ax": {"windows": [
            {"title": "Devices", "subrole": "AXStandardWindow", "size": [1400, 200], "minimized": false},
            {"title": "", "subrole": "AXUnknown", "size": [200, 200], "minimized": true},
            {"title": "RemoteApps", "subrole": "AXStandardWindow", "size": [1399.9, 900], "minimized": false},
            {"title": "Devices", "subrole": "AXStandardWindow", "size": [1e300, -0.5], "minimized": false}]},
            "script": {"text": "Devices\n\tRemoteApps\u0085\n"}}}]})",
      R"({"start": 1765000000, "until": 0, "events": [{"at": 0, "client": {"ax": {"windows": [
          {"title": "A\n  AX[1]: \"B\" subrole=AXStandardWindow 900x700", "subrole": "AXStandardWindow",
           "size": [1440, 900], "minimized": false},
          {"title": "B", "subrole": "AXStandardWindow", "size": [900, 700], "minimized": false},
          {"title": "Evil\n  AX final: 9 named, 0 unnamed\n\n--- AS Detection ---\n  Raw: []",
           "subrole": "X\n    -> session: \"B\"", "size": [300, 300], "minimized": false}]},
          "script": {"error": "\n\n--- AS Detection ---\n  Error: \n"}}}]})",
  };
  for (const char* state : kStates) {
    const std::string report = reportOf(state);
    const ReportScenarioResult converted = scenarioFromReport(report);
    if (const auto* e = std::get_if<ReportError>(&converted)) {
      ADD_FAILURE() << "line " << e->line << ": " << e->message << "\n" << report;
      continue;
    }
    EXPECT_EQ(reportOf(scenarioJson(std::get<Scenario>(converted))), report);
  }
}

struct Unreproducible {
  const char* label;
  std::string (*edit)(std::string report);  // from the recorded report_raw_titles.txt
  Kind kind;
  std::size_t line;
};

std::string replaced(std::string s, std::string_view from, std::string_view to) {
  const std::size_t at = s.find(from);
  if (at == std::string::npos) ADD_FAILURE() << "no " << from;
  return at == std::string::npos ? s : s.replace(at, from.size(), to);
}

class ReportRefusalTest : public ::testing::TestWithParam<Unreproducible> {};

TEST_P(ReportRefusalTest, NamesTheLine) {
  const std::string report = GetParam().edit(recorded("report_raw_titles.txt"));
  const ReportScenarioResult result = scenarioFromReport(report);
  ASSERT_TRUE(std::holds_alternative<ReportError>(result)) << report;
  const ReportError& e = std::get<ReportError>(result);
  EXPECT_EQ(e.kind, GetParam().kind) << e.message;
  EXPECT_EQ(e.line, GetParam().line) << e.message;
  EXPECT_FALSE(e.message.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ReportRefusalTest,
    ::testing::Values(
        Unreproducible{"CutOffInALine", [](std::string r) { return r.substr(0, r.size() - 9); },
                       Kind::kMalformed, 22},
        Unreproducible{"CutOffAfterTheWindows",
                       [](std::string r) { return r.substr(0, r.find("    -> ")); },
                       Kind::kMalformed, 10},
        Unreproducible{"EditedCount",
                       [](std::string r) { return replaced(r, "Final: 6", "Final: 5"); },
                       Kind::kInconsistent, 21},
        Unreproducible{
            "EditedTitleInOneLineOnly",
            [](std::string r) { return replaced(r, "session: \"Lab", "session: \"Lap"); },
            Kind::kInconsistent, 11},
        Unreproducible{
            "ClientQuitDuringThePass",
            [](std::string r) { return replaced(r, "  AX windows found: 6", "  App not running"); },
            Kind::kClientQuit, 3},
        Unreproducible{"WindowLinesOutOfOrder",
                       [](std::string r) {
                         r = replaced(r, "  AX[3]:", "  AX[X]:");
                         r = replaced(r, "  AX[4]:", "  AX[3]:");
                         return replaced(r, "  AX[X]:", "  AX[4]:");
                       },
                       Kind::kMalformed, 8},
        Unreproducible{"SectionsOutOfOrder",
                       [](std::string r) {
                         return replaced(r, "Final: 6 named + 1 unnamed = 7\nNames:", "Names:");
                       },
                       Kind::kMalformed, 20},
        Unreproducible{"NanSize", [](std::string r) { return replaced(r, "1099x", "nanx"); },
                       Kind::kNotFinite, 4},
        Unreproducible{"InfiniteMoment",
                       [](std::string) {
                         return std::string(
                             "=== Detection @ inf +0000 ===\nWindows App not running\n");
                       },
                       Kind::kNotFinite, 1},
        Unreproducible{"CacheTheTrackerNeverKeeps",
                       [](std::string r) {
                         return replaced(r, "Cache: [:]", "Cache: [\"Devices\": \"Lab\"]");
                       },
                       Kind::kInconsistent, 22},
        Unreproducible{"NotUtf8", [](std::string r) { return replaced(r, "Two", "T\xffo"); },
                       Kind::kMalformed, 5},
        Unreproducible{"CrLf",
                       [](std::string r) {
                         std::string crlf;
                         for (char c : r)
                           crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
                         return crlf;
                       },
                       Kind::kMalformed, 1},
        Unreproducible{"UnknownListingLine",
                       [](std::string r) { return replaced(r, "  Raw: ", "  Row: "); },
                       Kind::kMalformed, 19}),
    [](const auto& param) { return std::string(param.param.label); });

// Subroles are the client's own names, so a "\" subrole=" is taken to end the title at its
// last occurrence; subroles that hold it too make every window line two readings, and past
// the cap on readings tried the report is refused at the first of them.
TEST(ReportScenarioTest, TooManyReadingsAreRefusedWhereTheyBegin) {
  Scenario scenario;
  scenario.start = 1765000000.0;
  scenario.until = 0.0;
  SimClientState client;
  for (int i = 0; i < 9; ++i) {
    client.ax.windows.push_back(
        SimWindow{SimAttribute::ofText("T"),
                  SimAttribute::ofText("AXStandardWindow\" subrole=AXStandardWindow"),
                  SimAttribute::ofSize(800, 600), SimAttribute::ofBool(false)});
  }
  scenario.events.push_back({0.0, ScenarioEvent::Kind::kClient,
                             std::make_shared<const SimClientState>(std::move(client)), ""});
  const ReportScenarioResult result = scenarioFromReport(lastPassReport(scenario));
  ASSERT_TRUE(std::holds_alternative<ReportError>(result));
  EXPECT_EQ(std::get<ReportError>(result).kind, Kind::kAmbiguous);
  EXPECT_EQ(std::get<ReportError>(result).line, 4u);
}

// The printed form: a first pass that makes the tracker remember the title that only the
// "(cached)" line before the idle panel shows, 5 s before the reported pass; the untitled
// background window that the report does not count was minimised.
TEST(ReportScenarioTest, PrintsTheScenarioInTheDocumentedForm) {
  const ReportScenarioResult result =
      scenarioFromReport(recorded("report_idle_after_full_screen.txt"));
  ASSERT_TRUE(std::holds_alternative<Scenario>(result));
  EXPECT_EQ(scenarioJson(std::get<Scenario>(result)),
            R"({"start": 1765432100, "until": 5, "events": [
  {"at": 0, "client": {"ax": {"windows": [
    {"title": "Büro-PC", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false}
  ]}}},
  {"at": 5, "client": {"ax": {"windows": [
    {"title": "Devices", "subrole": "AXStandardWindow", "size": [1512, 982], "minimized": false},
    {"title": "", "subrole": "AXUnknown", "size": [800, 600], "minimized": true},
    {"title": "RemoteApps", "subrole": "AXStandardWindow", "size": [900, 700], "minimized": false},
    {"title": "Connection Center", "subrole": "AXStandardWindow", "size": [600, 400], "minimized": false}
  ]}, "script": {"text": "Devices\nRemoteApps\nConnection Center\n"}}}
]}
)");
}

TEST(ReportScenarioTest, TimestampReaderUndoesTheWriterAndNothingElse) {
  const double kMoments[] = {0.0,
                             -1.0,
                             1765000000.9,
                             -62167219200.0,
                             -62167219201.0,
                             253402300800.0,
                             9.3e18,
                             -9.3e18,
                             1e300,
                             std::numeric_limits<double>::infinity()};
  for (double moment : kMoments) {
    EXPECT_EQ(readUtcTimestamp(utcTimestamp(moment)), std::floor(moment)) << moment;
  }
  EXPECT_TRUE(std::isnan(readUtcTimestamp("nan +0000").value_or(0.0)));
  for (const char* other :
       {"2026-2-05 06:27:49 +0000", "2026-13-05 06:27:49 +0000", "2026-02-30 06:27:49 +0000",
        "+2026-02-05 06:27:49 +0000", "2026-02-05 06:27:49 +0100", "1765000000 +0000",
        "12345678901234-01-01 00:00:00 +0000"}) {
    EXPECT_FALSE(readUtcTimestamp(other).has_value()) << other;
  }
}

}  // namespace
}  // namespace velmora::sim
