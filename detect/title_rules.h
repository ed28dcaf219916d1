// What a window title alone says: whether it is never a session (the client's own panels and
// the remote side's input-method windows), whether it is a desktop placeholder name, and its
// comparison key. A pass works each out once per title, from one NFC check; ASCII titles, which
// most are, need no Unicode work at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Why a title is never a session: its trimmed form is one of kExcludedNames, or its
// upper-cased form contains an upper-cased entry of kExcludedSubstrings.
enum class TitleExclusion : uint8_t { kNone, kName, kFragment };

// A title's comparison key and the placeholder name it is.
struct TitleKey {
  std::string separate;  // the title's comparisonKey, or "" when the title is its own key
  std::optional<std::string_view> placeholder;  // the kDesktopPlaceholderNames entry it equals
};
[[nodiscard]] TitleKey titleKey(std::string_view title);

// Everything the classification asks of a titled window, at once.
struct TitleFacts {
  TitleKey key;
  TitleExclusion exclusion = TitleExclusion::kNone;
};
[[nodiscard]] TitleFacts titleFacts(std::string_view title);

// Single facts, for callers that need only one.
[[nodiscard]] TitleExclusion titleExclusion(std::string_view title);
// True for titles that are never sessions (titleExclusion is not kNone).
[[nodiscard]] bool isExcludedTitle(std::string_view title);
// The kDesktopPlaceholderNames entry that `title` equals (canonically), if any.
[[nodiscard]] std::optional<std::string_view> placeholderName(std::string_view title);

}  // namespace velmora
