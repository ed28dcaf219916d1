// The drop-down menu of the status item as a plain list of entries, decided from one detection
// result and the elapsed-time text alone. The presenter turns each entry into a platform menu
// item whose target is the delegate, in order.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "detect/session_info.h"
#include "ui/login_item_status.h"
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
  kToggleOpenAtLogin
};

// The platform selector of `action`: "sessionClicked:", "bringToFrontAction",
// "quitWindowsApp", "copyDebug", "refresh", "quitSelf", "openAccessibilitySettings",
// "toggleOpenAtLogin"; "" for kNone.
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

// The whole menu, top to bottom. While the client runs: the header with `count`, the session
// rows (one per name, duplicates included, then a background row for the unnamed rest), the
// elapsed time when `uptime` holds fmtUptime's text, and the two client commands. Otherwise a
// single "not running" row. Both end with the tracker's own commands, "Open at Login" among
// them as `loginItem` says. A count below 1 reads as no sessions, or, with
// `windowsUnreadable`, as windows the tracker could not read, with a row that opens the
// Accessibility settings; `uptime` is not shown while the client is not running.
[[nodiscard]] std::vector<MenuEntry> menuEntries(const SessionInfo& info,
                                                 const std::optional<std::string>& uptime,
                                                 bool windowsUnreadable = false,
                                                 const LoginItemStatus& loginItem = {});

// The "Open at Login" row, carrying `status`: checked while on; while the system wants the
// user's approval it says so and leads to System Settings; with the reason when it cannot be
// offered, disabled but after a refused registration, which choosing the row tries again.
[[nodiscard]] MenuEntry loginItemRow(const LoginItemStatus& status);

// `name` as a session row shows it, without the row's leading marker.
[[nodiscard]] std::string menuName(const std::string& name);

}  // namespace velmora
