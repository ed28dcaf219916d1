#include "app/history_keeper.h"

#include <cerrno>

#include "clock/state_dir.h"
#include "files/atomic_file.h"
#include "history/csv_export.h"

namespace velmora {
namespace {

// Names tried before an export gives up: "…2026-12-08.csv" to "…2026-12-08 99.csv".
constexpr int kExportNames = 99;

}  // namespace

HistoryKeeper::HistoryKeeper(const StatePaths& paths, WallClock& clock, FileRevealer& finder,
                             TrackerObserver& observer)
    : downloads_(paths.kDownloadsDir),
      clock_(clock),
      finder_(finder),
      observer_(observer),
      history_(paths.kHistoryDir, paths.kHistoryFile) {}

void HistoryKeeper::tell(const std::vector<HistoryWrite>& writes) {
  for (const HistoryWrite& w : writes) observer_.historyWritten(w);
}

void HistoryKeeper::launch(std::optional<bool> keep) {
  tell(history_.launch(keep, clock_.now()));
}

void HistoryKeeper::record(const std::vector<SessionChange>& changes) {
  tell(history_.record(changes, clock_.now()));
}

void HistoryKeeper::trackerQuits() {
  tell(history_.trackerQuits(clock_.now()));
}

void HistoryKeeper::toggle() {
  exportNotice_.clear();
  tell(history_.setKeeping(!history_.keeping(), clock_.now()));
}

void HistoryKeeper::exportCsv() {
  const double now = clock_.now();
  const std::vector<HistoryRow> rows = history_.rows();
  const std::string csv = historyCsv(rows, now);
  ensurePrivateDir(downloads_);
  Outcome written{EEXIST};
  std::string path;
  for (int n = 1; n <= kExportNames && written.error == EEXIST; ++n) {
    path = downloads_ + "/" + exportFileName(now, n);
    // The user's own document, readable as their other downloads are.
    written = writeNewFileAtomically(path, csv, 0644);
  }
  if (!written) {
    exportNotice_ = "Couldn't export: " + historyErrorText(written.error);
    return;
  }
  exportNotice_.clear();
  observer_.historyExported(path, rows.size());
  finder_.reveal(path);
}

void HistoryKeeper::showInFinder() {
  finder_.reveal(history_.file());
}

HistoryView HistoryKeeper::view() const {
  HistoryView v = history_.view(clock_.now());
  if (!exportNotice_.empty()) v.notice = exportNotice_;
  return v;
}

}  // namespace velmora
