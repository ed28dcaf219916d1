// The delegate's part that keeps the session history: feeds it the sessions the memory saw
// start and end, answers the submenu's three rows and tells the observer each write. Main
// thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/tracker_observer.h"
#include "clock/wall_clock.h"
#include "history/session_history.h"
#include "ui/file_revealer.h"

namespace velmora {

class HistoryKeeper {
 public:
  // Every reference outlives the keeper.
  HistoryKeeper(const StatePaths& paths, WallClock& clock, FileRevealer& finder,
                TrackerObserver& observer);

  // At launch: `keep` when the caller knows the switch (velmora-sim's scenario), else the
  // file's, off without one.
  void launch(std::optional<bool> keep);
  void record(const std::vector<SessionChange>& changes);
  // The tracker ends: the open sessions end with it.
  void trackerQuits();

  // The submenu's rows.
  void toggle();
  // Writes every row to a new "Velmora Sessions YYYY-MM-DD.csv" in Downloads (a number added
  // while that name is taken) and shows it in Finder.
  void exportCsv();
  void showInFinder();

  [[nodiscard]] HistoryView view() const;

 private:
  void tell(const std::vector<HistoryWrite>& writes);

  std::string downloads_;
  WallClock& clock_;
  FileRevealer& finder_;
  TrackerObserver& observer_;
  SessionHistory history_;
  std::string exportNotice_;  // why the last export failed
};

}  // namespace velmora
