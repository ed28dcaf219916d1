#include "ui/menu_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

// One line per entry: the title, then in brackets the style, "disabled" when so, the action's
// selector, the key equivalent, the represented object and "checked" when so.
std::string render(const std::vector<MenuEntry>& menu) {
  std::string out;
  for (const MenuEntry& entry : menu) {
    if (entry.separator) {
      out += entry == MenuEntry::separatorEntry() ? "---\n" : "--- with item fields\n";
      continue;
    }
    out += entry.title + " [" + std::string(styleName(entry.style));
    if (!entry.enabled) out += " disabled";
    if (entry.action != MenuAction::kNone) out += " " + std::string(selectorName(entry.action));
    if (!entry.keyEquivalent.empty()) out += " key:" + entry.keyEquivalent;
    if (entry.representedObject) out += " object:" + *entry.representedObject;
    if (entry.checked) out += " checked";
    out += "]\n";
  }
  return out;
}

SessionInfo running(int64_t count, std::vector<std::string> names = {}) {
  return SessionInfo{count, std::move(names), true};
}

const char* const kClientCommands = R"(Bring Windows App to Focus [plain bringToFrontAction]
Quit Windows App [quit-client quitWindowsApp]
)";

const char* const kTrackerCommands = R"(---
📋 Copy Debug Info [plain copyDebug key:d]
Refresh [plain refresh key:r]
Open at Login [plain toggleOpenAtLogin]
Notify When a Session Ends (not available) [plain disabled]
---
Quit Velmora Session Tracker [plain quitSelf key:q]
)";

// The one golden of each menu layout: the rows down to the commands, which follow as above.
TEST(MenuEntriesTest, Layouts) {
  const struct {
    SessionInfo info;
    std::optional<std::string> uptime;
    bool unreadable;  // the pass could read no window
    std::string rows;
  } cases[] = {
      // Nothing of a stale record or a stored moment shows while the client is not running.
      {SessionInfo{3, {"Office PC"}, false}, "5s", true,
       "Windows App not running [plain disabled]\n"},
      {running(0, {"Office PC"}), std::nullopt, false, R"(Active Sessions (0) [header disabled]
---
  No active sessions detected [plain disabled]
---
---
)"},
      // A pass that could read no window claims no sessions.
      {running(0), "2s", true, R"(Active Sessions (0) [header disabled]
---
  Can't read Windows App's windows [plain disabled]
Open Accessibility Settings… [plain openAccessibilitySettings]
---
⏱ Uptime: 2s [uptime disabled]
---
)"},
      {running(3, {"Office PC", "Lab"}), "1h 1m 1s", false, R"(Active Sessions (3) [header disabled]
---
▶  Office PC [session sessionClicked: object:Office PC]
▶  Lab [session sessionClicked: object:Lab]
▶  +1 more (in background) [background bringToFrontAction]
---
⏱ Uptime: 1h 1m 1s [uptime disabled]
---
)"},
      // Unnamed sessions alone get no row; equal names give equal rows.
      {running(2), "0s", false, R"(Active Sessions (2) [header disabled]
---
---
⏱ Uptime: 0s [uptime disabled]
---
)"},
      {running(2, {"A", "A"}), std::nullopt, false, R"(Active Sessions (2) [header disabled]
---
▶  A [session sessionClicked: object:A]
▶  A [session sessionClicked: object:A]
---
---
)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(render(menuEntries(
                  {.info = c.info, .uptime = c.uptime, .windowsUnreadable = c.unreadable})),
              c.rows + (c.info.running ? kClientCommands : "") + kTrackerCommands);
  }
}

// Times at the rows' right ("≥ " for a lower bound), Recently Ended after the session rows or
// the not-running row.
TEST(MenuEntriesTest, TimesAndRecentlyEnded) {
  const SessionTime times[] = {{100.0, true}, {3600.0, false}};
  const EndedSession ended[] = {{"Lab", 0.0, 45.0, false}};
  const SessionInfo info = running(3, {"A", "B"});
  const auto menu =
      menuEntries({.info = info, .sessionTimes = times, .now = 3725.0, .ended = ended});
  EXPECT_EQ(menu[2].detail, "\u2265 1h 0m 25s");
  EXPECT_EQ(menu[3].detail, "2m 5s");
  EXPECT_EQ(menu[5].title, "Recently Ended");
  ASSERT_EQ(menu[5].submenu.size(), 1u);
  EXPECT_EQ(menu[5].submenu[0].detail.rfind("ended ", 0), 0u);
  EXPECT_EQ(menu[5].submenu[0].action, MenuAction::kBringToFront);
  // With the client not running they are a record, not an action.
  const auto stopped = menuEntries({.info = SessionInfo{}, .ended = ended});
  EXPECT_EQ(stopped[1].title, "Recently Ended");
  EXPECT_FALSE(stopped[1].submenu[0].enabled);
  EXPECT_EQ(stopped[1].submenu[0].action, MenuAction::kNone);
}

// An open menu a second later: only the rows that show times are assigned (not "Recently
// Ended", whose times are over); a changed status, its row; other sessions, a menu anew.
TEST(MenuEntriesTest, AnOpenMenuChangesOnlyTheRowsThatShowTimes) {
  const SessionTime times[] = {{100.0, true}, {3600.0, false}};
  const EndedSession ended[] = {{"Lab", 0.0, 45.0, false}};
  const SessionInfo info = running(3, {"A", "B"});
  const auto at = [&](double now, NotificationStatus status) {
    return menuEntries({.info = info,
                        .uptime = std::to_string(now),
                        .notifications = status,
                        .sessionTimes = times,
                        .now = now,
                        .ended = ended});
  };
  const auto shown = at(3725.0, NotificationStatus::kNotAsked);
  ASSERT_TRUE(sameRows(shown, at(3726.0, NotificationStatus::kNotAsked)));
  EXPECT_EQ(changedRows(shown, at(3726.0, NotificationStatus::kNotAsked)),
            (std::vector<std::size_t>{2, 3, 7}));
  EXPECT_EQ(changedRows(shown, at(3725.0, NotificationStatus::kAllowed)),
            std::vector<std::size_t>{shown.size() - 3});
  EXPECT_FALSE(sameRows(shown, menuEntries({.info = running(1, {"A"})})));
}

// The "Open at Login" and notifications rows in each status; where they stand is in the layouts.
TEST(MenuEntriesTest, OpenAtLoginAndNotificationsRowsForEachStatus) {
  using State = LoginItemStatus::State;
  using Why = LoginItemStatus::Why;
  using N = NotificationStatus;
  const struct {
    MenuEntry row;
    std::string rendered;
  } cases[] = {
      {loginItemRow({State::kOff, Why::kNone}), "Open at Login [plain toggleOpenAtLogin]"},
      {loginItemRow({State::kOn, Why::kNone}), "Open at Login [plain toggleOpenAtLogin checked]"},
      {loginItemRow({State::kNeedsApproval, Why::kNone}),
       "Open at Login (approve in System Settings\u2026) [plain toggleOpenAtLogin]"},
      {loginItemRow({State::kUnavailable, Why::kNotFound}),
       "Open at Login (not available: macOS can't find the app) [plain toggleOpenAtLogin]"},
      {loginItemRow({State::kUnavailable, Why::kTemporaryLocation}),
       "Open at Login (not available: move the app to Applications) [plain disabled]"},
      {loginItemRow({State::kUnavailable, Why::kFileInTheWay}),
       "Open at Login (not available: LaunchAgent file in the way) [plain disabled]"},
      {notificationsRow(N::kNotAsked), "Notify When a Session Ends [plain toggleNotifications]"},
      {notificationsRow(N::kAllowed),
       "Notify When a Session Ends [plain toggleNotifications checked]"},
      {notificationsRow(N::kDenied),
       "Notify When a Session Ends (allow in System Settings\u2026) [plain toggleNotifications]"},
      {notificationsRow(N::kUnavailable),
       "Notify When a Session Ends (not available) [plain disabled]"},
  };
  for (const auto& c : cases) EXPECT_EQ(render({c.row}), c.rendered + "\n");
  for (const N status : {N::kNotAsked, N::kAllowed, N::kDenied, N::kUnavailable}) {
    EXPECT_EQ(notificationsRow(status).notificationsShown, status);
  }
}

// Cut past 45 user-perceived characters (grapheme clusters counted as one), at a cluster's
// edge; the represented object keeps the whole name.
TEST(MenuEntriesTest, SessionRowsCutPast45CharactersAndKeepTheWholeName) {
  const std::string coder = "\U0001F469\u200D\U0001F4BB";  // woman, ZWJ, laptop: one character
  std::string acutes;
  for (int i = 0; i < 44; ++i) acutes += "e\u0301";  // e and a combining acute: one character
  const struct {
    std::string name, shown;
  } cases[] = {{std::string(45, 'n'), std::string(45, 'n')},
               {std::string(46, 'n'), std::string(43, 'n') + "\u2026"},
               {acutes + coder, acutes + coder},
               {std::string(42, 'n') + coder + "abc", std::string(42, 'n') + coder + "\u2026"}};
  for (const auto& c : cases) {
    const std::vector<MenuEntry> menu = menuEntries({.info = running(1, {c.name})});
    EXPECT_EQ(menu[2].title, "\u25B6  " + c.shown);
    EXPECT_EQ(menu[2].representedObject, c.name);
  }
}

}  // namespace
}  // namespace velmora
