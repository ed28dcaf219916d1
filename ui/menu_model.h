// The drop-down menu of the status item as a plain list of entries, decided from one detection
// result and the elapsed-time text alone. The presenter turns each entry into a platform menu
// item whose target is the delegate, in order.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "detect/session_info.h"
#include "history/session_record.h"
#include "ui/login_item_status.h"
#include "ui/notifier.h"
#include "ui/session_times.h"
#include "ui/style.h"

namespace velmora {

// The delegate's menu actions.
enum class MenuAction {
  kNone,
  kSessionClicked,
  kBringToFront,
  kQuitWindowsApp,
  kCopyDebug,
  kRefresh,
  kQuitSelf,
  kOpenAccessibilitySettings,
  kToggleOpenAtLogin,
  kToggleNotifications,
  kExportHistory,
  kShowHistoryInFinder,
  kToggleHistory
};

// The platform selector of `action`: "sessionClicked:", "bringToFrontAction",
// "quitWindowsApp", "copyDebug", "refresh", "quitSelf", "openAccessibilitySettings",
// "toggleOpenAtLogin", "toggleNotifications", "exportHistory", "showHistoryInFinder",
// "toggleHistory"; "" for kNone.
[[nodiscard]] std::string_view selectorName(MenuAction action);

// How an entry's title is drawn. kPlain is a plain title in the menu's own font and colour;
// every other style is an attributed title.
enum class MenuStyle { kPlain, kHeader, kSession, kBackground, kUptime, kQuitClient };

// A short lower-case name of `style` for logs and tools: "plain", "header", "session",
// "background", "uptime", "quit-client".
[[nodiscard]] std::string_view styleName(MenuStyle style);

// The attributes of `style`'s attributed title; nothing for kPlain.
[[nodiscard]] std::optional<TextStyle> menuTextStyle(MenuStyle style);

struct MenuEntry {
  bool separator = false;
  std::string title;
  MenuStyle style = MenuStyle::kPlain;
  bool enabled = false;
  MenuAction action = MenuAction::kNone;
  std::string keyEquivalent;  // empty or one lower-case letter, used with Command
  // The whole session name, on session rows only.
  std::optional<std::string> representedObject;
  // Shown with a check mark ("Open at Login" while on).
  bool checked = false;
  // The status an enabled "Open at Login" row was drawn with: choosing the row acts on what the
  // user saw, which the system may have left since the menu was built.
  std::optional<LoginItemStatus> loginItemShown;
  // A secondary text at the row's right (a session's connected time), drawn after a tab in the
  // secondary label colour; empty for none.
  std::string detail;
  // The entries of the row's submenu ("Recently Ended"); empty for none.
  std::vector<MenuEntry> submenu;
  // On the "Notify When a Session Ends" row: the status it was drawn with, which choosing it
  // acts on.
  std::optional<NotificationStatus> notificationsShown;

  [[nodiscard]] static MenuEntry separatorEntry();
  // A disabled row without an action.
  [[nodiscard]] static MenuEntry infoEntry(std::string title, MenuStyle style = MenuStyle::kPlain);
  // An enabled row that sends `action`.
  [[nodiscard]] static MenuEntry actionEntry(std::string title, MenuAction action,
                                             std::string keyEquivalent = "",
                                             MenuStyle style = MenuStyle::kPlain);

  friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// Names of more than this many user-perceived characters are cut for a session row.
inline constexpr std::size_t kMenuNameLimit = 45;
// What is kept of a cut name, before "…".
inline constexpr std::size_t kMenuNameKept = 43;

// Everything a menu is drawn from.
struct MenuInputs {
  const SessionInfo& info;
  // fmtUptime's text of the client's start moment, when there is one.
  std::optional<std::string> uptime{};
  // The pass could read none of the client's windows.
  bool windowsUnreadable = false;
  LoginItemStatus loginItem{};
  NotificationStatus notifications = NotificationStatus::kUnavailable;
  // When each of `info.names` was first listed, in their order; without them (any other
  // length) the session rows show no time.
  std::span<const SessionTime> sessionTimes{};
  // The moment the session times count to.
  double now = 0.0;
  // The sessions that ended, newest first.
  std::span<const EndedSession> ended{};
  // What the session history shows; without it, no "Session History" row.
  const HistoryView* history = nullptr;
};

// The whole menu, top to bottom. While the client runs: the header with `count`, the session
// rows (one per name, duplicates included, each with its connected time, then a background
// row for the unnamed rest), the elapsed time when `uptime` holds fmtUptime's text, and the
// two client commands. Otherwise a single "not running" row. "Recently Ended" follows the
// session rows (or that row) once a session ended, then "Session History" when `history` is
// given. Both end with the tracker's own commands,
// "Open at Login" and "Notify When a Session Ends" among them as their statuses say. A count
// below 1 reads as no sessions, or, with `windowsUnreadable`, as windows the tracker could not
// read, with a row that opens the Accessibility settings; `uptime` is not shown while the
// client is not running.
[[nodiscard]] std::vector<MenuEntry> menuEntries(const MenuInputs& inputs);

// The "Open at Login" row, carrying `status`: checked while on; while the system wants the
// user's approval it says so and leads to System Settings; with the reason when it cannot be
// offered, disabled but after a refused registration, which choosing the row tries again.
[[nodiscard]] MenuEntry loginItemRow(const LoginItemStatus& status);

// The "Notify When a Session Ends" row: checked while allowed; when denied it says where to
// allow them; disabled when the system delivers none.
[[nodiscard]] MenuEntry notificationsRow(NotificationStatus status);

// A session's connected time as its row shows it: fmtUptime's text, after "≥ " when it is a
// lower bound.
[[nodiscard]] std::string sessionDetail(const SessionTime& time, double now);
// An ended session's secondary text: "ended HH:MM after 1h 2m 5s" (local time).
[[nodiscard]] std::string endedDetail(const EndedSession& ended);

// Whether an open menu showing `shown` can be brought to `next` in place: the same number of
// entries, separators and submenus at the same places. A menu that cannot is built anew once it
// closed, never replaced while open (a Mac closes it, or leaves it blank).
[[nodiscard]] bool sameRows(const std::vector<MenuEntry>& shown,
                            const std::vector<MenuEntry>& next);

// Whether `next` has the rows of `shown`, each the same but for the times that tick (a session's
// connected time, the uptime row's title): a menu the platform changes in place rather than
// building it again.
[[nodiscard]] bool differOnlyInTimes(const std::vector<MenuEntry>& shown,
                                     const std::vector<MenuEntry>& next);

// The rows of an open menu showing `shown` that must be assigned to show `next` (sameRows): those
// whose drawing or action differs. The rest stay untouched, since every assignment makes an open
// menu lay itself out again. While the menu ticks these are the rows that show times.
[[nodiscard]] std::vector<std::size_t> changedRows(const std::vector<MenuEntry>& shown,
                                                   const std::vector<MenuEntry>& next);

// `name` as a session row shows it, without the row's leading marker.
[[nodiscard]] std::string menuName(const std::string& name);

}  // namespace velmora
