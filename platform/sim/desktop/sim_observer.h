// What the simulated desktop tells its driver: everything the tracker shows or asks for. The
// headless JSON Lines writer, the terminal status bar and the tests are observers.
#pragma once

#include <cstddef>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/login_item.h"
#include "app/notifications.h"
#include "app/pass_cause.h"
#include "detect/detection.h"
#include "history/session_record.h"
#include "platform/sim/desktop/sim_client.h"
#include "ui/menu_model.h"
#include "ui/title_model.h"

namespace velmora::sim {

class SimObserver {
 public:
  virtual ~SimObserver() = default;
  virtual void onTitle(const std::vector<TitleRun>& /*runs*/) {}
  virtual void onMenu(const std::vector<MenuEntry>& /*entries*/) {}
  // The report of a detection pass, and why the pass ran.
  virtual void onReport(const std::string& /*report*/, PassCause /*cause*/) {}
  // A detection pass ended with this result (just before its report).
  virtual void onPass(const DetectionResult& /*pass*/) {}
  // The simulated client's whole state changed (a story event, a play key, a quit).
  virtual void onClient(const SimClientState& /*client*/) {}
  // The tracker wrote its start file (the moment written) or removed it (nothing).
  virtual void onStartFile(std::optional<double> /*written*/) {}
  // The tracker could not write one of its state files: `error` is the C library's number.
  virtual void onWriteFailure(StateFile /*file*/, int /*error*/) {}
  // The simulation tells its user something: the state folder, what a play key changed,
  // that the story is over.
  virtual void onNotice(const std::string& /*text*/) {}
  virtual void onScript(const std::string& /*source*/) {}
  // "System Events" raised the client's windows of this name.
  virtual void onRaise(const std::string& /*name*/) {}
  virtual void onActivate(int32_t /*pid*/, unsigned /*options*/) {}
  virtual void onTerminate(int32_t /*pid*/) {}
  virtual void onPasteboard(const std::string& /*text*/) {}
  // The tracker asked the system to open this URL.
  virtual void onOpenUrl(const std::string& /*url*/) {}
  // The tracker asked for Accessibility access with the system's prompt.
  virtual void onTrustPrompt() {}
  // The user's choice of a menu entry by title ("click") or key equivalent ("key"); `error` is
  // empty when an enabled entry was found.
  virtual void onChoice(const std::string& /*kind*/, const std::string& /*choice*/,
                        const std::string& /*error*/) {}
  // Choosing "Open at Login" asked for this; the status afterwards.
  virtual void onLoginItem(const LoginItemChange& /*change*/) {}
  // Choosing "Notify When a Session Ends" asked for this; the status afterwards.
  virtual void onNotifications(const NotificationsChange& /*change*/) {}
  // The system delivered a note the tracker posted.
  virtual void onNotification(const std::string& /*title*/, const std::string& /*body*/) {}
  // The open menu's times ticked: `menu` is the whole menu with its rows retitled.
  virtual void onMenuTick(const std::vector<MenuEntry>& /*menu*/) {}
  // The status menu opened or closed (the user, or the story for the user).
  virtual void onMenuOpen(bool /*open*/) {}
  // The session history wrote a row; "Export as CSV…" wrote `rows` sessions to `path`; the
  // tracker asked Finder to show `path`.
  virtual void onHistory(const HistoryWrite& /*write*/) {}
  virtual void onExport(const std::string& /*path*/, std::size_t /*rows*/) {}
  virtual void onReveal(const std::string& /*path*/) {}
  // The platform closed the open menu itself: "replaced" when the tracker replaced it.
  virtual void onMenuClosed(const std::string& /*why*/) {}
  // The simulation ends: "quit" when the tracker terminated itself, kGaveWay when it ended at
  // once because another tracker runs, "end" at the scenario's end.
  virtual void onExit(const std::string& /*reason*/) {}

  static constexpr const char* kGaveWay = "already-running";
};

}  // namespace velmora::sim
