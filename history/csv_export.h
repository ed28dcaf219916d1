// The history as the user's billing document: RFC 4180 CSV in UTF-8 with a byte-order mark
// (Excel for Mac reads UTF-8 CSV only with one), and the name it is saved under.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "history/session_record.h"

namespace velmora {

// The header "session,started,ended,duration_seconds,duration,start_is_lower_bound,end_reason"
// and one line per row, each ending in CR LF. Times are ISO 8601 local with the offset; an open
// row has no end and counts to `now`. A field that a spreadsheet would run as a formula (it
// begins with "=", "+", "-", "@", a tab or a carriage return) gets a leading "'"; one with a
// quote, comma or line break is quoted, its quotes doubled.
[[nodiscard]] std::string historyCsv(const std::vector<HistoryRow>& rows, double now);

// One field as the CSV writes it.
[[nodiscard]] std::string csvField(std::string_view text);

// "Velmora Sessions YYYY-MM-DD.csv" for `now`'s local date; `number` above 1 is put before the
// extension ("Velmora Sessions 2026-12-08 2.csv").
[[nodiscard]] std::string exportFileName(double now, int number);

}  // namespace velmora
