// The generated width table against ICU's own properties, for every code point: the rule the
// ICU text layer applied before the table, so a table generated from other Unicode data than
// ICU's, or a fault in its script, shows here.
#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include "text/width_table.h"

namespace velmora::text {
namespace {

std::size_t icuColumns(UChar32 base, bool emojiSelector) {
  if (u_hasBinaryProperty(base, UCHAR_DEFAULT_IGNORABLE_CODE_POINT)) return 0;
  const int8_t type = u_charType(base);
  if (type == U_CONTROL_CHAR || type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK) return 0;
  if (emojiSelector && u_hasBinaryProperty(base, UCHAR_EMOJI)) return 2;
  if (u_hasBinaryProperty(base, UCHAR_EMOJI_PRESENTATION)) return 2;
  const auto width = u_getIntPropertyValue(base, UCHAR_EAST_ASIAN_WIDTH);
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
}

TEST(WidthTableTest, AgreesWithIcuOnEveryCodePoint) {
  int differences = 0;
  for (UChar32 c = 0; c <= 0x10FFFF && differences < 10; ++c) {
    for (const bool selector : {false, true}) {
      const std::size_t table = columnsOf(static_cast<char32_t>(c), selector);
      if (table == icuColumns(c, selector)) continue;
      ++differences;
      ADD_FAILURE() << "U+" << std::hex << std::uppercase << c << (selector ? " with U+FE0F" : "")
                    << ": the table gives " << table << " columns, ICU " << U_ICU_VERSION
                    << " (Unicode " << U_UNICODE_VERSION << ") " << icuColumns(c, selector);
    }
  }
}

}  // namespace
}  // namespace velmora::text
