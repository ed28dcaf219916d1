#include "ui/history_menu.h"

#include <string>
#include <utility>
#include <vector>

#include "clock/uptime.h"

namespace velmora {
namespace {

void appendPeriod(std::vector<MenuEntry>& rows, const char* title, const PeriodTotals& totals) {
  MenuEntry total = MenuEntry::infoEntry(title, MenuStyle::kHeader);
  total.detail = fmtUptime(0.0, totals.seconds);
  rows.push_back(std::move(total));
  for (const NameTotal& n : totals.names) {
    MenuEntry row = MenuEntry::infoEntry("  " + menuName(n.name), MenuStyle::kSession);
    row.detail = fmtUptime(0.0, n.seconds);
    rows.push_back(std::move(row));
  }
  if (totals.more > 0) {
    rows.push_back(MenuEntry::infoEntry("  and " + std::to_string(totals.more) + " more"));
  }
}

}  // namespace

MenuEntry historyRow(const HistoryView& view) {
  MenuEntry row = MenuEntry::actionEntry("Session History", MenuAction::kNone);
  std::vector<MenuEntry>& rows = row.submenu;
  if (view.keeping) {
    appendPeriod(rows, "Today", view.today);
    appendPeriod(rows, "This Week", view.week);
    rows.push_back(MenuEntry::separatorEntry());
    rows.push_back(MenuEntry::actionEntry("Export as CSV\u2026", MenuAction::kExportHistory));
    rows.push_back(MenuEntry::actionEntry("Show in Finder", MenuAction::kShowHistoryInFinder));
    rows.push_back(MenuEntry::separatorEntry());
  }
  MenuEntry keep = MenuEntry::actionEntry("Keep Session History", MenuAction::kToggleHistory);
  keep.checked = view.keeping;
  rows.push_back(std::move(keep));
  if (!view.keeping) rows.push_back(MenuEntry::infoEntry("Nothing is kept while this is off"));
  if (!view.notice.empty()) rows.push_back(MenuEntry::infoEntry(view.notice));
  return row;
}

}  // namespace velmora
