// Readers for the pieces of a detection report that the tracker writes in a fixed form: the
// heading's timestamp, the quoted lists and the cache. Each undoes its writer (utc_timestamp.h,
// report_rendering.h, with the escapes of report_format.h) exactly on what that writer produces
// and refuses everything else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::sim {

// The moment that utcTimestamp() wrote as `text` ("2026-12-05 06:27:49 +0000", and the "nan",
// "inf" or whole-digit forms of moments without a date): the whole second it names. Nothing
// for any text that utcTimestamp() does not write for that moment ("2026-2-05", month 13).
[[nodiscard]] std::optional<double> readUtcTimestamp(std::string_view text);

// A whole number as digits with an optional leading "-" ("1440", "-5", the 309 digits of a
// huge double), as the nearest double; "nan", "inf" and "-inf" as themselves. Nothing for any
// other text. The caller checks that its writer gives back the same text for the value.
[[nodiscard]] std::optional<double> readWholeNumber(std::string_view text);

// The list that renderList() wrote at the start of `text`, its escapes undone; `text` is
// advanced past it. Nothing, and `text` unchanged, when `text` does not start with one.
[[nodiscard]] std::optional<std::vector<std::string>> readRenderedList(std::string_view& text);

// The entries that renderMap() wrote at the start of `text`, in order; advances `text` past
// them like readRenderedList().
[[nodiscard]] std::optional<std::vector<std::pair<std::string, std::string>>> readRenderedMap(
    std::string_view& text);

}  // namespace velmora::sim
