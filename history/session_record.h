// What the session history keeps of one session, as plain values: the row of the database and
// of the exported CSV, why a session ended, and the totals the menu shows.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Why a session ended, as the history records it.
enum class EndReason { kGone, kClientQuit, kQuitRequested, kTrackerQuit, kUnknownAfterCrash };

// "gone", "client-quit", "quit-requested", "tracker-quit", "unknown-after-crash".
[[nodiscard]] std::string_view endReasonName(EndReason reason);
// The reason named `name` by endReasonName, or nothing.
[[nodiscard]] std::optional<EndReason> endReasonNamed(std::string_view name);

// One session of the history. `ended` and `reason` are absent while it is open.
struct HistoryRow {
  std::string name;  // exactly as the menu listed it
  double started = 0.0;
  std::optional<double> ended;
  bool startIsLowerBound = false;
  std::optional<EndReason> reason;

  friend bool operator==(const HistoryRow&, const HistoryRow&) = default;
};

// A session that the tracker's memory saw start or end.
struct SessionChange {
  std::string name;
  double started = 0.0;
  bool startIsLowerBound = false;
  std::optional<double> ended;  // absent: it started
  EndReason reason = EndReason::kGone;
};

// One write to the history file, for whoever watches the tracker.
struct HistoryWrite {
  enum class Kind { kStart, kEnd, kHeartbeat, kClosedAfterCrash };
  Kind kind = Kind::kStart;
  std::string name;
  double started = 0.0;
  double at = 0.0;  // the start, the end or the heartbeat's moment
  std::optional<EndReason> reason;
};

// "start", "end", "heartbeat", "closed-after-crash".
[[nodiscard]] std::string_view historyWriteName(HistoryWrite::Kind kind);

// Connected time of one session name in a period, in seconds.
struct NameTotal {
  std::string name;
  double seconds = 0.0;

  friend bool operator==(const NameTotal&, const NameTotal&) = default;
};

// A period's totals: all of it, the names most recently connected first (at most kListed), and
// how many names more there are.
struct PeriodTotals {
  static constexpr std::size_t kListed = 10;
  double seconds = 0.0;
  std::vector<NameTotal> names;
  std::size_t more = 0;

  friend bool operator==(const PeriodTotals&, const PeriodTotals&) = default;
};

// What the "Session History" submenu shows.
struct HistoryView {
  bool keeping = false;  // "Keep Session History" is checked
  std::string notice;    // one line about a fault, or empty
  PeriodTotals today;
  PeriodTotals week;
};

}  // namespace velmora
