#include "platform/sim/terminal/shown_frame.h"

#include <utility>

#include "platform/sim/terminal/screen.h"

namespace velmora::sim {

std::string ShownFrame::update(int columns, std::vector<std::string> rows) {
  // Another size is another screen: every row again.
  if (columns != columns_ || rows.size() != rows_.size()) forget();
  std::string out;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i < rows_.size() && rows_[i] == rows[i]) continue;
    out += rows[i];
  }
  if (!out.empty()) out += parkCursor(static_cast<int>(rows.size()));
  columns_ = columns;
  rows_ = std::move(rows);
  return out;
}

void ShownFrame::forget() {
  columns_ = 0;
  rows_.clear();
}

}  // namespace velmora::sim
