#include "detect/script_listing.h"

#include <algorithm>

#include "app/config.h"
#include "detect/classify.h"
#include "detect/report_format.h"
#include "detect/report_rendering.h"
#include "text/text.h"

namespace velmora {
namespace {

// The time-out is written into the text, which must stay a constant.
static_assert(kListingTimeout == 1, "kPiece1 names the listing's time-out");
constexpr std::string_view kPiece1 =
    "with timeout of 1 seconds\ntell application \"System Events\"\n    if exists (process \"";
constexpr std::string_view kPiece2 =
    "\") then\n        set output to \"\"\n        repeat with w in (name of every window of "
    "process \"";
constexpr std::string_view kPiece3 =
    "\")\n            set output to output & w & linefeed\n        end repeat\n        return "
    "output\n    end if\nend tell\nend timeout";

// Cut at every line feed, trim each piece, drop the empty ones. The pieces are views into
// `text`.
std::vector<std::string_view> rawNames(std::string_view text) {
  std::vector<std::string_view> raw;
  raw.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view name = text::trimmedView(text.substr(0, end));
    if (!name.empty()) raw.push_back(name);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return raw;
}

std::vector<std::string> withoutExcluded(const std::vector<std::string_view>& raw) {
  std::vector<std::string> kept;
  kept.reserve(raw.size());
  for (const std::string_view name : raw) {
    if (!isExcludedTitle(name)) kept.emplace_back(name);
  }
  return kept;
}

}  // namespace

std::string listingScript(std::string_view appName) {
  std::string script;
  script.reserve(kPiece1.size() + kPiece2.size() + kPiece3.size() + 2 * appName.size());
  script += kPiece1;
  script += appName;
  script += kPiece2;
  script += appName;
  script += kPiece3;
  return script;
}

ScriptListing listingNotRun() {
  ScriptListing listing;
  listing.debugInfo = report::kAsHeading;
  listing.debugInfo += report::kListingNotRun;
  listing.failed = true;
  return listing;
}

ScriptListing detectViaAppleScript(ScriptRunner& scripts) {
  ScriptListing listing;
  listing.debugInfo = report::kAsHeading;
  static const std::string script = listingScript(kAppName);
  const ScriptResult result = scripts.run(script);
  switch (result.kind) {
    case ScriptResult::Kind::kNoScriptObject:
      listing.failed = true;
      return listing;
    case ScriptResult::Kind::kError:
      listing.failed = true;
      listing.timedOut = result.errorNumber == kAppleEventTimedOut;
      listing.debugInfo += report::kScriptError;
      listing.debugInfo += text::sanitizeUtf8(result.text);
      listing.debugInfo += '\n';
      return listing;
    case ScriptResult::Kind::kText:
    case ScriptResult::Kind::kNoText:
      break;
  }
  // The names come from another process; the report must stay valid UTF-8.
  std::string_view returned;
  if (result.kind == ScriptResult::Kind::kText) returned = result.text;
  std::string repaired;
  if (!text::isValidUtf8(returned)) {
    repaired = text::sanitizeUtf8(returned);
    returned = repaired;
  }
  const std::vector<std::string_view> raw = rawNames(returned);
  listing.names = withoutExcluded(raw);
  listing.debugInfo.reserve(listing.debugInfo.size() + 2 * returned.size() + 64);
  listing.debugInfo += report::kRaw;
  appendList(listing.debugInfo, raw);
  listing.debugInfo += report::kFiltered;
  appendList(listing.debugInfo, listing.names);
  listing.debugInfo += '\n';
  return listing;
}

}  // namespace velmora
