// What the tracker tells whoever drives it besides the platform: velmora-sim shows it, tests
// record it, the Mac app listens to none of it. Main thread only; every call comes after the
// thing happened, and an observer changes nothing by listening.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "app/config.h"
#include "app/login_item.h"
#include "app/notifications.h"
#include "app/pass_cause.h"
#include "detect/detection.h"
#include "files/outcome.h"
#include "history/session_record.h"

namespace velmora {

class TrackerObserver {
 public:
  virtual ~TrackerObserver() = default;
  // A detection pass ended with this result and report; `cause` is why it ran.
  virtual void passRan(const DetectionResult& /*pass*/, const std::string& /*report*/,
                       PassCause /*cause*/) {}
  // The session clock wrote the start file (the moment written) or removed it (nothing).
  virtual void startFileChanged(std::optional<double> /*written*/) {}
  // A state file could not be written. The tracker goes on without it: the next refresh writes
  // the start file again, the next Copy Debug Info the report.
  virtual void stateFileNotWritten(StateFile /*file*/, Outcome /*why*/) {}
  // Choosing "Open at Login" asked for this; the status afterwards.
  virtual void loginItemChosen(const LoginItemChange& /*change*/) {}
  // Choosing "Notify When a Session Ends" asked for this; the status afterwards.
  virtual void notificationsChosen(const NotificationsChange& /*change*/) {}
  // The session history wrote this row.
  virtual void historyWritten(const HistoryWrite& /*write*/) {}
  // "Export as CSV…" wrote `rows` sessions to `path`.
  virtual void historyExported(const std::string& /*path*/, std::size_t /*rows*/) {}

  // One that listens to nothing, for a tracker nobody watches.
  static TrackerObserver& none() {
    static TrackerObserver nobody;
    return nobody;
  }
};

}  // namespace velmora
