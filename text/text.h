// The small Unicode layer the core needs. Every function takes and returns UTF-8; input that is
// not valid UTF-8 is read as if each bad sequence were U+FFFD, so no function ever fails or
// throws. One implementation (text.cc, on utf8proc and Unicode 15.0) on every platform, so a
// Mac cuts, counts and compares titles exactly as every test here does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::text {

// True when `s` is well-formed UTF-8 (no overlongs, surrogates or code points past U+10FFFF).
[[nodiscard]] bool isValidUtf8(std::string_view s);

// `s` with every ill-formed sequence replaced by U+FFFD; valid input is returned unchanged.
[[nodiscard]] std::string sanitizeUtf8(std::string_view s);

// `s` without leading and trailing white space and line breaks: U+0009, U+000A..U+000D, U+0085
// and the general categories Zs, Zl and Zp.
[[nodiscard]] std::string trim(std::string_view s);

// The same trimming as a view into `s`, without a copy. An ill-formed sequence is not white
// space: it stays in the view as it is (trim() gives it as U+FFFD).
[[nodiscard]] std::string_view trimmedView(std::string_view s);

// Full Unicode upper-casing without any locale ("ß" becomes "SS").
[[nodiscard]] std::string upper(std::string_view s);

// The text in Normalization Form C: two canonically equivalent texts have the same key, so
// keys may be compared, hashed and searched bytewise. Keep the original text for display.
[[nodiscard]] std::string comparisonKey(std::string_view s);

// True when `s` is valid UTF-8 in Normalization Form C, and so its own comparison key. ASCII
// always is; other text is first put to Unicode's quick check, and its key is built only when
// that cannot tell.
[[nodiscard]] bool isNfc(std::string_view s);

// Canonical-equivalence equality ("Cafe\u0301" equals "Café").
[[nodiscard]] bool equivalent(std::string_view a, std::string_view b);

// True when `needle` occurs in `haystack`, both compared up to canonical equivalence.
[[nodiscard]] bool contains(std::string_view haystack, std::string_view needle);

// Number of user-perceived characters (extended grapheme clusters).
[[nodiscard]] std::size_t graphemeCount(std::string_view s);

// The first `n` user-perceived characters of `s` (all of `s` when it has fewer).
[[nodiscard]] std::string takeGraphemes(std::string_view s, std::size_t n);

// Columns `s` takes on a terminal, counted per user-perceived character: two for one whose
// first code point is East Asian Wide or Fullwidth or shown as an emoji (by default, or with
// the emoji presentation selector U+FE0F), none for one that starts with a control, a
// combining mark or an invisible format character, one for every other.
[[nodiscard]] std::size_t displayWidth(std::string_view s);

// The longest start of `s` made of whole user-perceived characters that takes at most
// `columns` columns (as displayWidth counts them), as valid UTF-8.
[[nodiscard]] std::string cutToWidth(std::string_view s, std::size_t columns);

// `s` with nothing a terminal would act on or hide: every control (general category Cc: C0
// controls, line feed and tab included, DEL, C1 controls) and every format character (Cf:
// bidirectional controls such as U+202E and U+2066, zero-width characters such as U+200B and
// U+200D, the soft hyphen, the byte order mark, tags), the line and paragraph separators U+2028
// and U+2029 (Zl, Zp), and every code point that is no character (Cn: unassigned, and the
// noncharacters such as U+FFFE and U+10FFFF) shown as "\u{202E}" (control_escape.h), and every
// ill-formed sequence as U+FFFD. Everything else is kept as it is.
[[nodiscard]] std::string showControls(std::string_view s);

}  // namespace velmora::text
