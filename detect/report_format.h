// The detection report's format, in one place for its writers (detection.h, ax_scan.h,
// classify.h, script_listing.h, report_rendering.h) and for velmora-sim's reader, which turns a
// user's report back into the client that made the tracker write it. A report reads:
//
//   === Detection @ <utcTimestamp> ===
//   Windows App not running                       (then nothing else), or
//   --- AX Detection ---
//     AX windows found: N                         (or one line: the list failed, or the client
//     AX[i]: "<title>" subrole=<subrole> WxH       quit; then no window and no AX final line)
//       -> <what the classification decided>     (kDecision lines)
//     AX final: N named, U unnamed
//
//   --- AS Detection ---
//     Raw: [<list>] -> Filtered: [<list>]         (or an Error line, or nothing at all)
//
//   Final: N named + U unnamed = C
//   Names: [<list>] | Cache: [<map>]
//
// Titles, subroles and the listing's error are written raw; list elements are quoted with the
// escapes below. Each constant is exactly what its writer appends: those ending in a line feed
// are whole lines (a reader that splits the report at line feeds compares lineText()).
#pragma once

#include <array>
#include <string_view>

namespace velmora::report {

// The heading: kHeadingStart, the pass's moment (utc_timestamp.h), kHeadingEnd.
inline constexpr std::string_view kHeadingStart = "=== Detection @ ";
inline constexpr std::string_view kHeadingEnd = " ===\n";
inline constexpr std::string_view kNotRunning = "Windows App not running\n";

// The Accessibility scan (ax_scan.h).
inline constexpr std::string_view kAxHeading = "--- AX Detection ---\n";
inline constexpr std::string_view kQuitInScan = "  App not running\n";
inline constexpr std::string_view kListFailed = "  Could not get AX windows (result: ";  // N)
inline constexpr std::string_view kListFailedEnd = ")\n";
inline constexpr std::string_view kWindowsFound = "  AX windows found: ";
// A window line: kWindowStart, its index, kWindowTitle, the title, kWindowSubrole, the subrole,
// a space and the size as whole points, WxH.
inline constexpr std::string_view kWindowStart = "  AX[";
inline constexpr std::string_view kWindowTitle = "]: \"";
inline constexpr std::string_view kWindowSubrole = "\" subrole=";
inline constexpr std::string_view kAxFinal = "  AX final: ";  // N named, U unnamed
inline constexpr std::string_view kAxFinalNamed = " named, ";
inline constexpr std::string_view kAxFinalUnnamed = " unnamed\n";

// The classification's lines (classify.h), each a kDecision line. The name in a decision is
// written in double quotes, raw, and followed by a line feed (the idle panel's by
// kIdlePanelEnd first).
inline constexpr std::string_view kDecision = "    -> ";
inline constexpr std::string_view kUnnamedBackground = "    -> unnamed background session\n";
inline constexpr std::string_view kSession = "    -> session: ";
inline constexpr std::string_view kFullScreenCached = "    -> full-screen desktop (cached): ";
inline constexpr std::string_view kFullScreenPlaceholder =
    "    -> full-screen desktop (placeholder): ";
inline constexpr std::string_view kDesktopCached = "    -> desktop (cached): ";
inline constexpr std::string_view kDesktopPlaceholder = "    -> desktop (placeholder): ";
inline constexpr std::string_view kIdlePanel = "    -> ";  // the panel's title, then:
inline constexpr std::string_view kIdlePanelEnd = " is idle connection panel (skipped)";
inline constexpr std::string_view kCacheCleared = "    -> cache cleared\n";

// The listing script's section (script_listing.h).
inline constexpr std::string_view kAsHeading = "--- AS Detection ---\n";
inline constexpr std::string_view kScriptError = "  Error: ";  // the description, raw
// The listing's line in a pass that did not run it because the client is not answering.
inline constexpr std::string_view kListingNotRun =
    "  Error: not run: Windows App is not answering\n";
inline constexpr std::string_view kRaw = "  Raw: ";
inline constexpr std::string_view kFiltered = " -> Filtered: ";

// The summary (detection.h): "Final: N named + U unnamed = C", then the names and the cache.
inline constexpr std::string_view kFinal = "Final: ";
inline constexpr std::string_view kFinalNamed = " named + ";
inline constexpr std::string_view kFinalUnnamed = " unnamed = ";
inline constexpr std::string_view kNames = "Names: ";
inline constexpr std::string_view kCache = " | Cache: ";

// Lists and maps (report_rendering.h): [e1, e2] and [k1: v1, k2: v2], each element quoted.
inline constexpr char kListOpen = '[';
inline constexpr char kListClose = ']';
inline constexpr char kQuote = '"';
inline constexpr std::string_view kElementSeparator = ", ";
inline constexpr std::string_view kKeySeparator = ": ";
inline constexpr std::string_view kEmptyList = "[]";
inline constexpr std::string_view kEmptyMap = "[:]";

// Inside an element's quotes these characters are written as kEscape and `name`; every other
// C0 control, DEL and C1 control as "\u{XX}" (text/control_escape.h); the rest as it is.
inline constexpr char kEscape = '\\';
struct NamedEscape {
  char character;
  char name;
};
inline constexpr std::array<NamedEscape, 7> kNamedEscapes = {
    {{'\\', '\\'}, {'"', '"'}, {'\'', '\''}, {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}, {'\0', '0'}}};

// `line` (a constant above that ends in a line feed) as one of the report's lines without it.
constexpr std::string_view lineText(std::string_view line) {
  return line.substr(0, line.size() - 1);
}

static_assert(kUnnamedBackground.starts_with(kDecision) && kSession.starts_with(kDecision) &&
              kFullScreenCached.starts_with(kDecision) &&
              kFullScreenPlaceholder.starts_with(kDecision) &&
              kDesktopCached.starts_with(kDecision) && kDesktopPlaceholder.starts_with(kDecision) &&
              kIdlePanel == kDecision && kCacheCleared.starts_with(kDecision));

}  // namespace velmora::report
