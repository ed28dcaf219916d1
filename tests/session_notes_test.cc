// velmora-sim headless on a session that drops while Windows App keeps running: its time in the
// menu, its end confirmed by a second pass, the note (only while allowed), Recently Ended, what
// the notifications row asks for, and the ticks of an open menu.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/notifications.h"
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
    EXPECT_EQ(menuAt(out, 45.0)[3]["title"], "Session History");
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

// Four sessions ending at one pass (a network drop): one note that counts them, not four.
TEST_F(SessionNotesTest, ManyEndingAtOnePassMakeOneNote) {
  std::string windows;
  for (const std::string title : {"Office PC", "Build Server", "Lab", "Test Rig"}) {
    windows += (windows.empty() ? R"({"title": ")" : R"(, {"title": ")") + title +
               R"(", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false})";
  }
  const std::string scenario = R"({"start": 1765000000, "until": 16, "notifications": "allowed",
    "events": [{"at": 0, "client": {"notifies": false, "ax": {"windows": [)" +
                               windows + R"(]}}}, {"at": 7, "client": {"notifies": false}}]})";
  EXPECT_EQ(eventsIn(playHeadless(scenario, home, scratch), "notification"),
            std::vector<json>{json::parse(R"({"event": "notification", "t": 15.031,
      "title": "Sessions ended", "body": "4 sessions ended: Office PC, Build Server, \u2026"})")});
}

// The row acts on what it showed, whatever the status became since, and every choice is
// reported with the status after it.
TEST(NotificationsDecisionTest, TheRowActsOnWhatItShowed) {
  using Request = NotificationsChange::Request;
  EXPECT_EQ(notificationsRequest(NotificationStatus::kNotAsked), Request::kAsk);
  EXPECT_EQ(notificationsRequest(NotificationStatus::kAllowed), Request::kOpenSettings);
  EXPECT_EQ(notificationsRequest(NotificationStatus::kDenied), Request::kOpenSettings);
  EXPECT_EQ(notificationsRequest(NotificationStatus::kUnavailable), std::nullopt);
  EXPECT_TRUE(mayPostNotes(NotificationStatus::kAllowed));
  for (const auto s : {NotificationStatus::kNotAsked, NotificationStatus::kDenied,
                       NotificationStatus::kUnavailable}) {
    EXPECT_FALSE(mayPostNotes(s));
  }
  const std::pair<const char*, const char*> stale[] = {
      {"denied",
       R"j("not-asked"}, {"at": 6, "click": "Notify When a Session Ends (allow in System Settings…)"})j"},
      {"not-asked", R"("allowed"}, {"at": 6, "click": "Notify When a Session Ends"})"}};
  TempHome home, scratch;
  for (const auto& [at0, rest] : stale) {
    const std::string out =
        playHeadless(std::string(R"({"until": 8, "notifications": ")") + at0 +
                         R"(", "events": [{"at": 5.5, "notifications": )" + rest + "]}",
                     home, scratch);
    ASSERT_EQ(eventsIn(out, "notifications").size(), 1u) << at0;
    EXPECT_EQ(eventsIn(out, "notifications")[0]["request"],
              std::string(at0) == "denied" ? "open-settings" : "ask");
  }
}

// The row's text of the menu last drawn at `t`.
std::string notifyRow(const std::string& out, double t) {
  const json menu = menuAt(out, t);
  return menu.empty() ? ""
                      : menu[menu.size() - 3]["title"].get<std::string>() +
                            (menu[menu.size() - 3].value("checked", false) ? " ✓" : "") +
                            (menu[menu.size() - 3]["enabled"] == true ? "" : " (disabled)");
}

// "Don't Allow", or a prompt left to lapse, ends with the "not allowed" error: the user has them
// off, so the row leads to System Settings (not "not available"); allowing them there later is
// noticed at the next pass, and the notes come again.
TEST_F(SessionNotesTest, ARefusedOrLapsedPromptLeadsToSystemSettingsAndALaterAllowIsNoticed) {
  constexpr const char* kDenied = "Notify When a Session Ends (allow in System Settings…)";
  std::string scenario = officePc("not-asked", R"("notifications_answer": "deny", )");
  scenario.replace(scenario.rfind("]}"), 2, R"(, {"at": 5, "click": "Notify When a Session Ends"},
      {"at": 40, "notifications": "allowed"}]})");
  std::string out = playHeadless(scenario, home, scratch);
  json asked = eventsIn(out, "notifications")[0];
  EXPECT_NEAR(asked["t"].get<double>(), 5.1, 0.1);
  asked.erase("t");
  EXPECT_EQ(asked,
            json::parse(R"({"event": "notifications", "request": "ask", "status": "denied"})"));
  EXPECT_EQ(notifyRow(out, 5.1), kDenied);
  EXPECT_EQ(notifyRow(out, 25.0), kDenied);
  EXPECT_EQ(notifyRow(out, 40.1), "Notify When a Session Ends ✓");
  EXPECT_EQ(eventsIn(out, "notification").size(), 1u);

  scenario = officePc("not-asked", R"("notifications_answer": "ignore", )");
  scenario.replace(scenario.rfind("]}"), 2,
                   R"(, {"at": 5, "click": "Notify When a Session Ends"}], "until": 70})");
  scenario.replace(scenario.find(R"("until": 51, )"), 13, "");
  out = playHeadless(scenario, home, scratch);
  EXPECT_NEAR(eventsIn(out, "notifications")[0]["t"].get<double>(), 65.1, 0.1);
  EXPECT_EQ(notifyRow(out, 60.0), "Notify When a Session Ends");
  EXPECT_EQ(notifyRow(out, 65.1), kDenied);
}

// The system answers a read a little later: no menu drawn before or after its answer shows the
// row as "not available", and the answer checks it.
TEST_F(SessionNotesTest, NoMenuShowsAllowedNotesAsNotAvailable) {
  const std::string out = playHeadless(officePc("allowed", ""), home, scratch);
  for (const json& menu : eventsIn(out, "menu")) {
    const json& row = menu["items"][menu["items"].size() - 3];
    EXPECT_EQ(row["title"], "Notify When a Session Ends") << menu["t"];
    EXPECT_TRUE(row["enabled"]) << menu["t"];
  }
  EXPECT_EQ(notifyRow(out, 1.0), "Notify When a Session Ends ✓");
}

// While the menu is open nothing replaces it: a pass keeps its result until it closes, the
// times tick in place from the opening on, and the menu then shows what the last pass found.
TEST_F(SessionNotesTest, AnOpenMenuIsNeverReplacedAndShowsTheLastPassOnceClosed) {
  const std::string two = R"({"ax": {"windows": [{"title": "Office PC", "subrole":
      "AXStandardWindow", "size": [1440, 900]}, {"title": "Build Server", "subrole":
      "AXStandardWindow", "size": [1440, 900]}]}})";
  const std::string out = playHeadless(R"({"start": 1765000000, "until": 32, "events": [
      {"at": 0, "client": )" + kOfficePc + R"(}, {"at": 10, "menu": "open"},
      {"at": 12, "client": )" + two + R"(}, {"at": 20, "client": {"ax": {"windows": [
      {"title": "Build Server", "subrole": "AXStandardWindow", "size": [1440, 900]}]}}},
      {"at": 30, "menu": "close"}]})",
                                       home, scratch);
  EXPECT_TRUE(eventsIn(out, "menu-closed").empty());
  for (const json& menu : eventsIn(out, "menu")) {
    EXPECT_TRUE(menu["t"] < 10.0 || menu["t"] >= 30.0) << menu["t"];
  }
  // Before it opened, the pass at 5 s moved only the times, in place.
  std::vector<json> ticks = eventsIn(out, "menu-tick");
  std::erase_if(ticks, [](const json& tick) { return tick["t"] < 10.0; });
  ASSERT_EQ(ticks.size(), 20u);  // 10 s to 29 s
  EXPECT_EQ(ticks[0], json::parse(R"({"event": "menu-tick", "sessions": [{"detail": "10s",
      "title": "\u25b6  Office PC"}], "t": 10.0, "uptime": "\u23F1 Uptime: 10s"})"));
  EXPECT_EQ(menuAt(out, 30.0)[0]["title"], "Active Sessions (1)");
  EXPECT_EQ(menuAt(out, 30.0)[2]["title"], "\u25b6  Build Server");
}

}  // namespace
}  // namespace velmora::testing
