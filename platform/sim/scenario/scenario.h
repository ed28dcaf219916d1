// A scenario: what the simulated client does over time and what the user chooses from the
// menu, as the simulation plays it. Read from and written to JSON by scenario_reader.h and
// scenario_writer.h; see docs/velmora-sim.md for the format.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/desktop/sim_client.h"
#include "platform/sim/desktop/sim_login_items.h"
#include "platform/sim/desktop/sim_notifier.h"
#include "ui/notifier.h"

namespace velmora::sim {

struct ScenarioEvent {
  // kLoginItem: the user changed the login item in System Settings; kNotifications: the
  // tracker's notifications there; kMenu: the user opened or closed the status menu.
  enum class Kind { kClient, kClick, kKey, kLoginItem, kNotifications, kMenu };
  double at = 0.0;
  Kind kind = Kind::kClient;
  // kClient: the state, never null there; shared, not copied, by whatever applies it.
  std::shared_ptr<const SimClientState> client;
  std::string choice;                           // the title (kClick) or key (kKey)
  SimLoginItem loginItem = SimLoginItem::kOff;  // kLoginItem
  NotificationStatus notifications = NotificationStatus::kNotAsked;  // kNotifications
  bool menuOpen = false;                                             // kMenu
};

// The moments a scenario may start at, in seconds since 1970: the years 1970 to 9999, the
// ones the tracker's reports show as dates of four digits.
inline constexpr double kEarliestStart = 0.0;
inline constexpr double kStartLimit = 253402300800.0;  // 10000-01-01 00:00:00 UTC, excluded

// The longest title or subrole of a window, in bytes. Playing a window takes some forty times
// its texts (the report alone shows a title seven times), so that a client's windows take a few
// MB each at most; real titles are far shorter.
inline constexpr std::size_t kMaxWindowText = 65536;

struct Scenario {
  std::optional<double> start;  // virtual moment of time 0; absent: now
  double until = 5.0;
  std::vector<ScenarioEvent> events;  // in file order
  // The system's login item for the tracker at the start.
  SimLoginItem loginItem = SimLoginItem::kOff;
  // The tracker's notifications in System Settings at the start, and what the user answers
  // when the tracker asks.
  NotificationStatus notifications = NotificationStatus::kNotAsked;
  PromptAnswer notificationsAnswer = PromptAnswer::kAllow;
  // Another tracker runs already, so this one ends at launch.
  bool otherTracker = false;
  // "Keep Session History" at the start; absent: as the history file under the home says.
  std::optional<bool> history;
};

}  // namespace velmora::sim
