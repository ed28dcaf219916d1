#include "detect/script_listing.h"

#include "app/config.h"
#include "detect/classify.h"
#include "detect/report_rendering.h"
#include "text/text.h"

namespace velmora {
namespace {

constexpr std::string_view kPiece1 =
    "tell application \"System Events\"\n    if exists (process \"";
constexpr std::string_view kPiece2 =
    "\") then\n        set output to \"\"\n        repeat with w in (name of every window of "
    "process \"";
constexpr std::string_view kPiece3 =
    "\")\n            set output to output & w & linefeed\n        end repeat\n        return "
    "output\n    end if\nend tell";

// Cut at every line feed, trim each piece, drop the empty ones.
std::vector<std::string> rawNames(std::string_view text) {
  std::vector<std::string> raw;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string name = text::trim(text.substr(0, end));
    if (!name.empty()) raw.push_back(std::move(name));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return raw;
}

std::vector<std::string> withoutExcluded(const std::vector<std::string>& raw) {
  std::vector<std::string> kept;
  for (const std::string& name : raw) {
    if (!isExcludedTitle(name)) kept.push_back(name);
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

ScriptListing detectViaAppleScript(ScriptRunner& scripts) {
  ScriptListing listing;
  listing.debugInfo = "--- AS Detection ---\n";
  const ScriptResult result = scripts.run(listingScript(kAppName));
  switch (result.kind) {
    case ScriptResult::Kind::kNoScriptObject:
      listing.failed = true;
      return listing;
    case ScriptResult::Kind::kError:
      listing.failed = true;
      listing.debugInfo += "  Error: " + text::sanitizeUtf8(result.text) + "\n";
      return listing;
    case ScriptResult::Kind::kText:
    case ScriptResult::Kind::kNoText:
      break;
  }
  const std::string returned =
      result.kind == ScriptResult::Kind::kText ? text::sanitizeUtf8(result.text) : std::string();
  const std::vector<std::string> raw = rawNames(returned);
  listing.names = withoutExcluded(raw);
  listing.debugInfo +=
      "  Raw: " + renderList(raw) + " -> Filtered: " + renderList(listing.names) + "\n";
  return listing;
}

}  // namespace velmora
