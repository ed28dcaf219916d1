// velmora-sim headless on a session that drops while Windows App keeps running: its time in the
// menu, its end confirmed by a second pass, the note (only while allowed), Recently Ended, what
// the notifications row asks for, and the ticks of an open menu.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/sim_program.h"
#include "tests/temp_home.h"

namespace velmora::testing {
namespace {

using nlohmann::json;

// "Office PC" open from 0 s, closed at 42 s; the client announces nothing (timer passes only).
// The menu is open from 30 s to 37 s.
std::string officePc(const std::string& status, const std::string& more) {
  std::string client = kOfficePc;
  client.insert(1, R"("notifies": false, )");
  return R"({"start": 1765000000, "until": 51, "notifications": ")" + status + R"(", )" + more +
         R"("events": [{"at": 0, "client": )" + client + R"(},
    {"at": 30, "menu": "open"}, {"at": 37, "menu": "close"},
    {"at": 42, "client": {"notifies": false}}]})";
}

class SessionNotesTest : public ::testing::Test {
 protected:
  TempHome home, scratch;
};

TEST_F(SessionNotesTest, ADroppedSessionEndsAtTheFirstPassWithoutItAndIsNotedOnlyWhenAllowed) {
  for (const std::string status : {"allowed", "not-asked", "denied"}) {
    const std::string out = playHeadless(officePc(status, ""), home, scratch);
    // Passes that move only the times retitle the rows in place; the last with the session
    // was at 40 s.
    const std::vector<json> ticks = eventsIn(out, "menu-tick");
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks[ticks.size() - 1]["sessions"][0]["detail"], "40s") << status;
    EXPECT_EQ(menuAt(out, 45.0)[2]["title"], "  No active sessions detected");
    EXPECT_EQ(menuAt(out, 45.0)[3], json({{"separator", true}}));
    const json ended = menuAt(out, 50.0)[3];
    EXPECT_EQ(ended["title"], "Recently Ended");
    EXPECT_EQ(ended["submenu"], json::parse(R"([{"action": "bringToFrontAction",
        "detail": "ended 05:47 after 45s", "enabled": true, "key": "", "style": "session",
        "title": "Office PC"}])"));
    const json note = json::parse(R"({"body": "Session ended after 45s",
        "event": "notification", "t": 50.031, "title": "Office PC"})");
    EXPECT_EQ(eventsIn(out, "notification"),
              status == "allowed" ? std::vector<json>{note} : std::vector<json>{})
        << status;
  }
  // The end's local time is the environment's TZ (nine hours east of UTC here).
  const std::string tokyo =
      playHeadless(officePc("allowed", ""), home, scratch, {.environment = {"TZ=JST-9"}});
  EXPECT_EQ(menuAt(tokyo, 50.0)[3]["submenu"][0]["detail"], "ended 14:47 after 45s");
}

// Asked, the user says no; then the row leads to System Settings.
TEST_F(SessionNotesTest, TheRowAsksOnceThenOpensSettings) {
  std::string scenario = officePc("not-asked", R"("notifications_answer": "deny", )");
  scenario.replace(scenario.rfind("]}"), 2,
                   R"j(, {"at": 10, "click": "Notify When a Session Ends"},
      {"at": 20, "click": "Notify When a Session Ends (allow in System Settings…)"}]})j");
  const std::vector<json> changes =
      eventsIn(playHeadless(scenario, home, scratch), "notifications");
  ASSERT_EQ(changes.size(), 2u);
  // The answer comes after the pass that fell due with the click.
  EXPECT_NEAR(changes[0]["t"].get<double>(), 10.0, 0.1);
  json expected = json::parse(R"({"event": "notifications", "request": "ask",
      "status": "denied"})");
  expected["t"] = changes[0]["t"];
  EXPECT_EQ(changes[0], expected);
  EXPECT_EQ(changes[1]["request"], "open-settings");

  // Allowed in System Settings after the menu was drawn: the row's request no longer fits, and
  // only a menu with the row checked follows.
  scenario = officePc("not-asked", "");
  scenario.replace(scenario.rfind("]}"), 2, R"(, {"at": 5.5, "notifications": "allowed"},
      {"at": 6, "click": "Notify When a Session Ends"}]})");
  const std::string out = playHeadless(scenario, home, scratch);
  EXPECT_TRUE(eventsIn(out, "notifications").empty());
  EXPECT_EQ(menuAt(out, 6.0)[menuAt(out, 6.0).size() - 3]["checked"], true);
}

// Once a second while the menu is open, the texts a rebuild would show; none once it closed.
TEST_F(SessionNotesTest, AnOpenMenuTicksOnceASecondAsARebuildWouldShowIt) {
  const std::string out = playHeadless(officePc("allowed", ""), home, scratch);
  // Passes that move only the times retitle the rows too (every 5 s): the ticks while it is open
  // are 31 s to 36 s, the one at 35 s after that pass and with its texts.
  std::vector<json> ticks;
  for (json& tick : eventsIn(out, "menu-tick")) {
    if (tick["t"] > 30.5 && tick["t"] < 37.0) ticks.push_back(std::move(tick));
  }
  ASSERT_EQ(ticks.size(), 7u);
  for (const json& tick : ticks) {
    const std::string t = std::to_string(static_cast<int>(tick["t"].get<double>()));
    EXPECT_EQ(tick["uptime"], "\u23F1 Uptime: " + t + "s");
    EXPECT_EQ(tick["sessions"],
              json::parse(R"([{"detail": ")" + t + R"(s", "title": "\u25b6  Office PC"}])"));
  }
}

}  // namespace
}  // namespace velmora::testing
