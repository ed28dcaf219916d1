#include "ui/menu_model.h"

#include <algorithm>
#include <cstdint>

#include "clock/local_time.h"
#include "clock/uptime.h"
#include "text/text.h"
#include "ui/history_menu.h"

namespace velmora {
namespace {

constexpr std::string_view kRowMarker = "\u25B6  ";
constexpr std::string_view kAtLeast = "\u2265 ";

// A text has at least as many bytes as user-perceived characters, so a short one is not cut
// without counting them.
bool isLongerThan(const std::string& name, std::size_t limit) {
  return name.size() > limit && text::graphemeCount(name) > limit;
}

void appendMenuName(std::string& out, const std::string& name) {
  if (!isLongerThan(name, kMenuNameLimit)) {
    out += name;
    return;
  }
  out += text::takeGraphemes(name, kMenuNameKept);
  out += "\u2026";
}

MenuEntry sessionRow(const std::string& name, const SessionTime* time, double now) {
  std::string title;
  title.reserve(kRowMarker.size() + name.size());
  title += kRowMarker;
  appendMenuName(title, name);
  MenuEntry row = MenuEntry::actionEntry(std::move(title), MenuAction::kSessionClicked, "",
                                         MenuStyle::kSession);
  row.representedObject = name;
  if (time != nullptr) row.detail = sessionDetail(*time, now);
  return row;
}

MenuEntry backgroundRow(int64_t unnamed) {
  std::string title(kRowMarker);
  title += '+';
  title += std::to_string(unnamed);
  title += " more (in background)";
  return MenuEntry::actionEntry(std::move(title), MenuAction::kBringToFront, "",
                                MenuStyle::kBackground);
}

void appendSessionBlock(const MenuInputs& in, std::vector<MenuEntry>& menu) {
  const SessionInfo& info = in.info;
  if (info.count < 1) {
    if (in.windowsUnreadable) {
      // Nothing could be seen, so nothing is claimed; the second row leads to the missing grant.
      menu.push_back(MenuEntry::infoEntry("  Can't read Windows App's windows"));
      menu.push_back(MenuEntry::actionEntry("Open Accessibility Settings\u2026",
                                            MenuAction::kOpenAccessibilitySettings));
    } else {
      menu.push_back(MenuEntry::infoEntry("  No active sessions detected"));
    }
    return;
  }
  // Unnamed sessions are only shown beside named ones; with no names there is no row at all.
  if (info.names.empty()) return;
  const bool timed = in.sessionTimes.size() == info.names.size();
  for (std::size_t i = 0; i < info.names.size(); ++i) {
    menu.push_back(sessionRow(info.names[i], timed ? &in.sessionTimes[i] : nullptr, in.now));
  }
  int64_t unnamed = info.count - static_cast<int64_t>(info.names.size());
  if (unnamed >= 1) menu.push_back(backgroundRow(unnamed));
}

// Choosing an ended session brings the client to the front, where the user reconnects. The
// tracker never starts the client, so while it is not running they are a record only.
MenuEntry recentlyEndedRow(std::span<const EndedSession> ended, bool running) {
  MenuEntry row = MenuEntry::actionEntry("Recently Ended", MenuAction::kNone);
  row.submenu.reserve(ended.size());
  for (const EndedSession& e : ended) {
    MenuEntry item = running ? MenuEntry::actionEntry(menuName(e.name), MenuAction::kBringToFront,
                                                      "", MenuStyle::kSession)
                             : MenuEntry::infoEntry(menuName(e.name), MenuStyle::kSession);
    item.detail = endedDetail(e);
    row.submenu.push_back(std::move(item));
  }
  return row;
}

// "Recently Ended" once a session ended, then the session history, where that list stands or
// would stand.
void appendRecentlyEnded(const MenuInputs& in, std::vector<MenuEntry>& menu) {
  if (!in.ended.empty()) menu.push_back(recentlyEndedRow(in.ended, in.info.running));
  if (in.history != nullptr) menu.push_back(historyRow(*in.history));
}

void appendRunningPart(const MenuInputs& in, std::vector<MenuEntry>& menu) {
  menu.push_back(MenuEntry::infoEntry("Active Sessions (" + std::to_string(in.info.count) + ")",
                                      MenuStyle::kHeader));
  menu.push_back(MenuEntry::separatorEntry());
  appendSessionBlock(in, menu);
  appendRecentlyEnded(in, menu);
  menu.push_back(MenuEntry::separatorEntry());
  if (in.uptime) {
    menu.push_back(MenuEntry::infoEntry("\u23F1 Uptime: " + *in.uptime, MenuStyle::kUptime));
  }
  menu.push_back(MenuEntry::separatorEntry());
  menu.push_back(MenuEntry::actionEntry("Bring Windows App to Focus", MenuAction::kBringToFront));
  menu.push_back(MenuEntry::actionEntry("Quit Windows App", MenuAction::kQuitWindowsApp, "",
                                        MenuStyle::kQuitClient));
}

const char* unavailableReason(LoginItemStatus::Why why) {
  switch (why) {
    case LoginItemStatus::Why::kNotFound:
      return "Open at Login (not available: macOS can't find the app)";
    case LoginItemStatus::Why::kTemporaryLocation:
      return "Open at Login (not available: move the app to Applications)";
    case LoginItemStatus::Why::kFileInTheWay:
      return "Open at Login (not available: LaunchAgent file in the way)";
    case LoginItemStatus::Why::kNone:
      break;
  }
  return "Open at Login (not available)";
}

void appendTrackerCommands(const MenuInputs& in, std::vector<MenuEntry>& menu) {
  menu.push_back(MenuEntry::separatorEntry());
  menu.push_back(MenuEntry::actionEntry("\U0001F4CB Copy Debug Info", MenuAction::kCopyDebug, "d"));
  menu.push_back(MenuEntry::actionEntry("Refresh", MenuAction::kRefresh, "r"));
  menu.push_back(loginItemRow(in.loginItem));
  menu.push_back(notificationsRow(in.notifications));
  menu.push_back(MenuEntry::separatorEntry());
  menu.push_back(
      MenuEntry::actionEntry("Quit Velmora Session Tracker", MenuAction::kQuitSelf, "q"));
}

}  // namespace

std::string_view selectorName(MenuAction action) {
  switch (action) {
    case MenuAction::kNone:
      return "";
    case MenuAction::kSessionClicked:
      return "sessionClicked:";
    case MenuAction::kBringToFront:
      return "bringToFrontAction";
    case MenuAction::kQuitWindowsApp:
      return "quitWindowsApp";
    case MenuAction::kCopyDebug:
      return "copyDebug";
    case MenuAction::kRefresh:
      return "refresh";
    case MenuAction::kQuitSelf:
      return "quitSelf";
    case MenuAction::kOpenAccessibilitySettings:
      return "openAccessibilitySettings";
    case MenuAction::kToggleOpenAtLogin:
      return "toggleOpenAtLogin";
    case MenuAction::kToggleNotifications:
      return "toggleNotifications";
    case MenuAction::kExportHistory:
      return "exportHistory";
    case MenuAction::kShowHistoryInFinder:
      return "showHistoryInFinder";
    case MenuAction::kToggleHistory:
      return "toggleHistory";
  }
  return "";
}

std::string_view styleName(MenuStyle style) {
  switch (style) {
    case MenuStyle::kPlain:
      break;
    case MenuStyle::kHeader:
      return "header";
    case MenuStyle::kSession:
      return "session";
    case MenuStyle::kBackground:
      return "background";
    case MenuStyle::kUptime:
      return "uptime";
    case MenuStyle::kQuitClient:
      return "quit-client";
  }
  return "plain";
}

std::optional<TextStyle> menuTextStyle(MenuStyle style) {
  switch (style) {
    case MenuStyle::kPlain:
      return std::nullopt;
    case MenuStyle::kHeader:
      return TextStyle{13.0, FontWeight::kSemibold, std::nullopt};
    case MenuStyle::kSession:
      return TextStyle{13.0, FontWeight::kRegular, std::nullopt};
    case MenuStyle::kBackground:
      return TextStyle{13.0, FontWeight::kRegular, kSecondaryLabel};
    case MenuStyle::kUptime:
      return TextStyle{12.0, FontWeight::kRegular, kSecondaryLabel};
    case MenuStyle::kQuitClient:
      return TextStyle{13.0, FontWeight::kRegular, kSystemRed};
  }
  return std::nullopt;
}

MenuEntry MenuEntry::separatorEntry() {
  MenuEntry entry;
  entry.separator = true;
  return entry;
}

MenuEntry MenuEntry::infoEntry(std::string title, MenuStyle style) {
  MenuEntry entry;
  entry.title = std::move(title);
  entry.style = style;
  return entry;
}

MenuEntry MenuEntry::actionEntry(std::string title, MenuAction action, std::string keyEquivalent,
                                 MenuStyle style) {
  MenuEntry entry;
  entry.title = std::move(title);
  entry.style = style;
  entry.enabled = true;
  entry.action = action;
  entry.keyEquivalent = std::move(keyEquivalent);
  return entry;
}

std::string menuName(const std::string& name) {
  std::string shown;
  appendMenuName(shown, name);
  return shown;
}

MenuEntry loginItemRow(const LoginItemStatus& status) {
  MenuEntry row;
  switch (status.state) {
    case LoginItemStatus::State::kOn:
      row = MenuEntry::actionEntry("Open at Login", MenuAction::kToggleOpenAtLogin);
      row.checked = true;
      break;
    case LoginItemStatus::State::kOff:
      row = MenuEntry::actionEntry("Open at Login", MenuAction::kToggleOpenAtLogin);
      break;
    case LoginItemStatus::State::kNeedsApproval:
      row = MenuEntry::actionEntry("Open at Login (approve in System Settings\u2026)",
                                   MenuAction::kToggleOpenAtLogin);
      break;
    case LoginItemStatus::State::kUnavailable:
      // The service may find the app at the next try; nothing else changes by trying.
      row = status.why == LoginItemStatus::Why::kNotFound
                ? MenuEntry::actionEntry(unavailableReason(status.why),
                                         MenuAction::kToggleOpenAtLogin)
                : MenuEntry::infoEntry(unavailableReason(status.why));
      break;
  }
  // Only a row that can be chosen acts on what it showed.
  if (row.enabled) row.loginItemShown = status;
  return row;
}

MenuEntry notificationsRow(NotificationStatus status) {
  constexpr std::string_view kTitle = "Notify When a Session Ends";
  MenuEntry row;
  switch (status) {
    case NotificationStatus::kNotAsked:
    case NotificationStatus::kAllowed:
      row = MenuEntry::actionEntry(std::string(kTitle), MenuAction::kToggleNotifications);
      row.checked = status == NotificationStatus::kAllowed;
      break;
    case NotificationStatus::kDenied:
      row = MenuEntry::actionEntry(std::string(kTitle) + " (allow in System Settings\u2026)",
                                   MenuAction::kToggleNotifications);
      break;
    case NotificationStatus::kUnavailable:
      row = MenuEntry::infoEntry(std::string(kTitle) + " (not available)");
      break;
  }
  row.notificationsShown = status;
  return row;
}

std::string sessionDetail(const SessionTime& time, double now) {
  std::string detail(time.atLeast ? kAtLeast : "");
  appendUptime(detail, time.since, now);
  return detail;
}

std::string endedDetail(const EndedSession& ended) {
  std::string detail = "ended " + hourMinute(ended.end) + " after ";
  return detail + sessionDetail({ended.first, ended.atLeast}, ended.end);
}

bool sameRows(const std::vector<MenuEntry>& shown, const std::vector<MenuEntry>& next) {
  if (shown.size() != next.size()) return false;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i].separator != next[i].separator ||
        shown[i].submenu.empty() != next[i].submenu.empty() ||
        !sameRows(shown[i].submenu, next[i].submenu)) {
      return false;
    }
  }
  return true;
}

bool differOnlyInTimes(const std::vector<MenuEntry>& shown, const std::vector<MenuEntry>& next) {
  return std::equal(shown.begin(), shown.end(), next.begin(), next.end(),
                    [](const MenuEntry& x, MenuEntry y) {
                      if (x.style == MenuStyle::kUptime && y.style == MenuStyle::kUptime) {
                        y.title = x.title;
                      } else if (x.action == MenuAction::kSessionClicked) {
                        y.detail = x.detail;
                      }
                      return x == y;
                    });
}

std::vector<std::size_t> changedRows(const std::vector<MenuEntry>& shown,
                                     const std::vector<MenuEntry>& next) {
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < shown.size() && i < next.size(); ++i) {
    if (shown[i] != next[i]) changed.push_back(i);
  }
  return changed;
}

std::vector<MenuEntry> menuEntries(const MenuInputs& in) {
  // At most seventeen rows besides the session rows.
  constexpr std::size_t kFixedRows = 17;
  std::vector<MenuEntry> menu;
  menu.reserve(kFixedRows + (in.info.running ? in.info.names.size() : 0));
  if (in.info.running) {
    appendRunningPart(in, menu);
  } else {
    menu.push_back(MenuEntry::infoEntry("Windows App not running"));
    appendRecentlyEnded(in, menu);
  }
  appendTrackerCommands(in, menu);
  return menu;
}

}  // namespace velmora
