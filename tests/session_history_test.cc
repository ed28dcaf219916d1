// The session history as velmora-sim keeps it under its home: what the file holds after a
// story, the totals the submenu shows, the export read back, a run killed in the middle, and
// the files it refuses or moves aside.
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "gtest/gtest.h"
#include "history/csv_export.h"
#include "tests/history_rows.h"
#include "tests/sim_program.h"
#include "tests/temp_home.h"

namespace velmora::testing {
namespace {

using nlohmann::json;

constexpr double kT0 = 1765000000.0;  // a Saturday, 05:46:40 UTC
// A name a spreadsheet would run, and one with quotes, a comma and non-ASCII text.
const std::string kFormula = "=HYPERLINK(\"http://x\",\"y\")";
const std::string kOddName = "B\xC3\xBCro \"Lab\", K\xC3\xB6ln";

std::string windows(const std::vector<std::string>& titles) {
  json list = json::array();
  for (const std::string& t : titles) {
    list.push_back({{"title", t},
                    {"subrole", "AXStandardWindow"},
                    {"size", {1440, 900}},
                    {"minimized", false}});
  }
  return json({{"ax", {{"windows", list}}}}).dump();
}

// Three sessions from 0 s; the formula's window closes just before the pass of 40 s, which
// ends it, the client quits just before the one of 90 s; the export is chosen at 100 s.
std::string twoSessions(double start) {
  return R"({"start": )" + std::to_string(start) + R"(, "until": 100, "history": true,
      "events": [{"at": 0, "client": )" +
         windows({"Office PC", kFormula, kOddName}) + R"(},
      {"at": 39.75, "client": )" +
         windows({"Office PC", kOddName}) + R"(},
      {"at": 89.75, "client": {"instances": 0}},
      {"at": 100, "click": "Export as CSV\u2026"}]})";
}

// The submenu of "Session History" in the last menu drawn at `t`.
json historyMenu(const std::string& out, double t) {
  for (const json& item : menuAt(out, t)) {
    if (item.value("title", "") == "Session History") return item["submenu"];
  }
  return {};
}

class SessionHistoryTest : public ::testing::Test {
 protected:
  [[nodiscard]] std::string file() const {
    return home.path() + "/Library/Application Support/Velmora Session Tracker/history.sqlite3";
  }
  TempHome home, scratch;
};

TEST_F(SessionHistoryTest, KeepsTwoSessionsTotalsThemAndExportsThemAsTheyWere) {
  const std::string out = playHeadless(twoSessions(kT0), home, scratch);
  const std::vector<Row> rows =
      queryRows(file(),
                "SELECT name, started - 1765000000, ended - 1765000000, start_is_lower_bound,"
                " end_reason FROM sessions ORDER BY ended");
  EXPECT_EQ(rows, (std::vector<Row>{{kFormula, "0.0", "40.0", "0", "gone"},
                                    {"Office PC", "0.0", "90.0", "0", "client-quit"},
                                    {kOddName, "0.0", "90.0", "0", "client-quit"}}));
  EXPECT_EQ(modeOf(file()), 0600);
  EXPECT_EQ(historyMenu(out, 95.0)[0]["detail"], "3m 40s");  // 40 + 90 + 90 s today
  const std::vector<json> exports = eventsIn(out, "export");
  ASSERT_EQ(exports.size(), 1u);
  EXPECT_EQ(exports[0]["rows"], 3);
  EXPECT_EQ(eventsIn(out, "reveal")[0]["path"], exports[0]["path"]);
  const std::string csv = contentOf(exports[0]["path"]).value_or("");
  ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  const std::vector<Row> records = parseCsv(csv.substr(3));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0], (Row{"session", "started", "ended", "duration_seconds", "duration",
                             "start_is_lower_bound", "end_reason"}));
  EXPECT_EQ(records[2], (Row{"'" + kFormula, "2025-12-06T05:46:40+00:00",
                             "2025-12-06T05:47:20+00:00", "40", "40s", "false", "gone"}));
  EXPECT_EQ(records[3][0], kOddName);
  EXPECT_EQ(records[3][6], "client-quit");
  // The same home again, later that day: the first run's sessions count too.
  const std::string again = playHeadless(R"({"start": 1765003600, "until": 10, "history": true,
      "events": [{"at": 0, "client": )" + windows({"Office PC"}) +
                                             "}]}",
                                         home, scratch);
  EXPECT_EQ(historyMenu(again, 10.0)[0]["detail"], "3m 50s");
  EXPECT_EQ(historyMenu(again, 10.0)[1]["title"], "  Office PC");
  EXPECT_EQ(historyMenu(again, 10.0)[1]["detail"], "1m 40s");
}

// Killed in the middle of an endless run, the tracker leaves its row open; the next run closes
// it at its last heartbeat, with the reason unknown.
TEST_F(SessionHistoryTest, ARowLeftOpenByAKilledRunIsClosedAtItsLastHeartbeat) {
  Program program;
  program.args = {VELMORA_SIM_PATH,
                  "--headless",
                  "--home",
                  home.path(),
                  "--scenario",
                  planted(scratch, R"({"until": 1e9, "history": true, "events": [{"at": 0,
                      "client": )" + windows({"Office PC"}) +
                                       "}]}")};
  program.deadline = std::chrono::milliseconds(1500);
  const ProgramRun killed = runProgram(program);
  ASSERT_EQ(killed.status, -1) << killed.err;  // killed with SIGKILL at the deadline
  const std::vector<Row> open =
      queryRows(file(), "SELECT started, last_seen FROM sessions WHERE ended IS NULL");
  ASSERT_EQ(open.size(), 1u);
  EXPECT_GT(std::stod(open[0][1]) - std::stod(open[0][0]), 60.0);
  const std::string out = playHeadless(R"({"until": 1, "history": true})", home, scratch);
  const std::vector<json> closed = eventsIn(out, "history");
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0]["kind"], "closed-after-crash");
  EXPECT_NEAR(closed[0]["at"].get<double>(), std::stod(open[0][1]), 0.01);  // SQLite's text
  EXPECT_EQ(queryRows(file(), "SELECT ended = last_seen, end_reason FROM sessions"),
            (std::vector<Row>{{"1", "unknown-after-crash"}}));
}

// Turned off, the open row ends and the file stays; turned on again, the session still open
// counts from then as a lower bound. The next run, without the scenario's switch, keeps the
// file's: off when it was left off.
TEST_F(SessionHistoryTest, TheSwitchEndsOrResumesRowsAndIsKeptInTheFile) {
  const std::string toggled = R"({"start": 1765000000, "until": 60, "history": true, "events": [
      {"at": 0, "client": )" + windows({"Office PC"}) +
                              R"(},
      {"at": 20, "click": "Keep Session History"}, {"at": 40, "click": "Keep Session History"},
      {"at": 50, "click": "Keep Session History"}]})";
  (void)playHeadless(toggled, home, scratch);
  EXPECT_EQ(queryRows(file(),
                      "SELECT started - 1765000000, ended - 1765000000,"
                      " start_is_lower_bound, end_reason FROM sessions ORDER BY id"),
            (std::vector<Row>{{"0.0", "20.0", "0", "tracker-quit"},
                              {"40.0", "50.0", "1", "tracker-quit"}}));
  const std::string later = playHeadless(R"({"until": 1})", home, scratch);
  EXPECT_EQ(historyMenu(later, 0.0)[0]["title"], "Keep Session History");
  EXPECT_EQ(historyMenu(later, 0.0)[0]["checked"], nullptr);
  EXPECT_EQ(historyMenu(later, 0.0)[1]["title"], "Nothing is kept while this is off");
}

TEST_F(SessionHistoryTest, OffByDefaultMakesNoFile) {
  (void)playHeadless(twoSessions(kT0).replace(twoSessions(kT0).find("\"history\": true"), 15,
                                              "\"login_item\": \"off\""),
                     home, scratch);
  EXPECT_EQ(namesIn(home.path()), std::vector<std::string>{".cache"});
}

// Each file the history cannot use: the run ends well, the submenu says why, and nothing else
// in the home is touched.
TEST_F(SessionHistoryTest, ADamagedNewerOrLinkedFileIsMovedAsideOrLeftAlone) {
  struct Case {
    const char* what;
    std::string plant;  // SQL for a database, or the bytes of the file
    bool link;
    const char* notice;
    std::vector<std::string> after;  // the folder's names afterwards
  } cases[] = {
      {"random bytes",
       "\x13\x37 not a database at all, not even its header",
       false,
       "Damaged history file moved aside; a new one was started",
       {"history.sqlite3", "history.sqlite3.damaged-20251206T054640Z"}},
      {"newer schema",
       "PRAGMA user_version = 9; CREATE TABLE t(x);",
       false,
       "History off: its file is from a newer version of the tracker",
       {"history.sqlite3"}},
      {"planted link",
       "",
       true,
       "History off: history.sqlite3 is a link or not a file",
       {"history.sqlite3", "target"}},
  };
  for (const Case& c : cases) {
    TempHome h;
    const std::string dir = h.path() + "/Library/Application Support/Velmora Session Tracker";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/history.sqlite3";
    if (c.link) {
      ASSERT_TRUE(plant(dir + "/target", "someone else's"));
      std::filesystem::create_symlink(dir + "/target", path);
    } else if (c.plant.rfind("PRAGMA", 0) == 0) {
      sqlite3* db = nullptr;
      sqlite3_open(path.c_str(), &db);
      sqlite3_exec(db, c.plant.c_str(), nullptr, nullptr, nullptr);
      sqlite3_close(db);
    } else {
      ASSERT_TRUE(plant(path, c.plant));
    }
    const std::string before = contentOf(c.link ? dir + "/target" : path).value_or("");
    const std::string out = playHeadless(twoSessions(kT0), h, scratch);
    const json submenu = historyMenu(out, 100.0);
    EXPECT_EQ(submenu.back()["title"], c.notice) << c.what;
    EXPECT_EQ(namesIn(dir), c.after) << c.what;
    std::vector<std::string> names = namesIn(h.path());
    std::erase(names, "Downloads");  // the export's, while history is kept
    EXPECT_EQ(names, (std::vector<std::string>{".cache", "Library"})) << c.what;
    const std::string kept = c.link                                ? dir + "/target"
                             : c.after.back() == "history.sqlite3" ? path
                                                                   : dir + "/" + c.after.back();
    EXPECT_EQ(contentOf(kept), before) << c.what;
  }
}

// OWASP's rule against CSV injection, then RFC 4180's quoting.
TEST(CsvFieldTest, NoFieldStartsAFormulaAndLineBreaksStayInTheirField) {
  const std::pair<std::string, std::string> cases[] = {
      {"Office PC", "Office PC"}, {"+1", "'+1"},   {"-2+3", "'-2+3"},
      {"@SUM(A1)", "'@SUM(A1)"},  {"\tx", "'\tx"}, {"\rx", "\"'\rx\""},
      {"a\nb", "\"a\nb\""},       {"x=1", "x=1"},  {"", ""},
  };
  for (const auto& [name, field] : cases) EXPECT_EQ(csvField(name), field) << name;
}

}  // namespace
}  // namespace velmora::testing
