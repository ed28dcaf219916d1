// The "Session History" row of the menu and its submenu, from what the history shows.
#pragma once

#include "history/session_record.h"
#include "ui/menu_model.h"

namespace velmora {

// While history is kept: the total connected time today and this week, each with its session
// names (most recent first, at most ten, then "and N more"), "Export as CSV…", "Show in Finder"
// and the checked "Keep Session History". While it is off: the switch and a line saying that
// nothing is kept. A fault's line comes last in both.
[[nodiscard]] MenuEntry historyRow(const HistoryView& view);

}  // namespace velmora
