// What a window title alone says: whether it is never a session (the client's own panels and
// the remote side's input-method windows) and whether it is a desktop placeholder name. Both
// tests cost no Unicode work for ASCII titles, which most are.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

// Why a title is never a session: its trimmed form is one of kExcludedNames, or its
// upper-cased form contains an upper-cased entry of kExcludedSubstrings.
enum class TitleExclusion : uint8_t { kNone, kName, kFragment };
[[nodiscard]] TitleExclusion titleExclusion(std::string_view title);

// True for titles that are never sessions (titleExclusion is not kNone).
[[nodiscard]] bool isExcludedTitle(std::string_view title);

// The kDesktopPlaceholderNames entry that `title` equals (canonically), if any.
[[nodiscard]] std::optional<std::string_view> placeholderName(std::string_view title);

}  // namespace velmora
