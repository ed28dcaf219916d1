// Terminal columns of code points, the same on every platform: a table generated from the
// Unicode character database (text/width_table.cc, written by scripts/width-table.py), not
// the C library's wcwidth, which is older than current Unicode on some systems.
#pragma once

#include <cstddef>

namespace velmora::text {

enum class ColumnClass : unsigned char {
  kNarrow,     // one column
  kZero,       // none: controls, nonspacing and enclosing marks, default-ignorable characters
  kWide,       // two: East Asian Wide or Fullwidth, or shown as an emoji by default
  kEmojiText,  // an emoji shown as text by default: two with U+FE0F, one without
};

[[nodiscard]] ColumnClass columnClass(char32_t c);

// Columns of a user-perceived character that starts with `base`; `emojiSelector` when the
// character holds the emoji presentation selector U+FE0F.
[[nodiscard]] inline std::size_t columnsOf(char32_t base, bool emojiSelector) {
  switch (columnClass(base)) {
    case ColumnClass::kZero:
      return 0;
    case ColumnClass::kWide:
      return 2;
    case ColumnClass::kEmojiText:
      return emojiSelector ? 2 : 1;
    case ColumnClass::kNarrow:
      break;
  }
  return 1;
}

}  // namespace velmora::text
