#include "history/csv_export.h"

#include <algorithm>
#include <cmath>

#include "clock/local_time.h"
#include "clock/uptime.h"

namespace velmora {

std::string csvField(std::string_view text) {
  std::string field;
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
    field += '\'';
  }
  field += text;
  if (field.find_first_of("\",\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (const char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

namespace {

void appendRow(std::string& out, const HistoryRow& row, double now) {
  const double end = row.ended.value_or(now);
  const double seconds = std::max(0.0, std::floor(end - row.started));
  std::string duration;
  appendUptime(duration, 0.0, seconds);
  out += csvField(row.name);
  out += ',' + isoLocalTime(row.started);
  out += ',' + (row.ended ? isoLocalTime(*row.ended) : std::string());
  out += ',' + std::to_string(static_cast<long long>(seconds));
  out += ',' + duration;
  out += row.startIsLowerBound ? ",true," : ",false,";
  if (row.reason) out += endReasonName(*row.reason);
  out += "\r\n";
}

}  // namespace

std::string historyCsv(const std::vector<HistoryRow>& rows, double now) {
  std::string out =
      "\xEF\xBB\xBFsession,started,ended,duration_seconds,duration,start_is_lower_bound,"
      "end_reason\r\n";
  for (const HistoryRow& row : rows) appendRow(out, row, now);
  return out;
}

std::string exportFileName(double now, int number) {
  std::string date = isoLocalTime(now).substr(0, 10);
  if (date.empty()) date = "undated";
  std::string name = "Velmora Sessions " + date;
  if (number > 1) name += ' ' + std::to_string(number);
  return name + ".csv";
}

}  // namespace velmora
