#include "text/text.h"

#include <gtest/gtest.h>

namespace velmora::text {
namespace {

// Equivalence, the key, NFC and grapheme clusters are checked against Unicode's own files
// (unicode_conformance_test.cc); here only what those files cannot hold.
TEST(TextTest, ContainsComparesEquivalentTexts) {
  EXPECT_TRUE(contains("Le Cafe\u0301 PC", "Caf\u00e9"));
  EXPECT_TRUE(contains("abc", ""));
  EXPECT_FALSE(contains("abc", "abcd"));
  EXPECT_FALSE(isNfc("\xff"));  // an ill-formed byte is no NFC text
  EXPECT_EQ(takeGraphemes("ab", 5), "ab");
}

TEST(TextTest, TrimsWhiteSpaceAndLineBreaksAtBothEnds) {
  const struct {
    const char* input;
    const char* trimmed;
  } cases[] = {{"", ""},
               {"   ", ""},
               {" a b ", "a b"},
               {"\t\n\v\f\rx\r\n", "x"},
               {"\u0085\u2029\u00a0x\u2028\u3000\u2003", "x"},
               {"\u200bx", "\u200bx"},     // ZERO WIDTH SPACE is Cf, not white space
               {"\xff \u00a0", "\ufffd"},  // ill-formed bytes are not white space
               {"\u00a0x\xe2\x80", "x\ufffd"}};
  for (const auto& c : cases) {
    EXPECT_EQ(trim(c.input), c.trimmed) << c.input;
    // The view keeps the ill-formed bytes that trim() repairs.
    EXPECT_EQ(sanitizeUtf8(trimmedView(c.input)), c.trimmed) << c.input;
  }
}

TEST(TextTest, UpperCasingIsFullAndLocaleIndependent) {
  EXPECT_EQ(upper("stra\u00dfe"), "STRASSE");
  EXPECT_EQ(upper("i"), "I");  // not the Turkish dotted capital
  EXPECT_EQ(upper("default ime"), "DEFAULT IME");
  EXPECT_EQ(upper("\u0149"), "\u02bcN");  // one code point becomes two
}

TEST(TextTest, DisplayWidthCountsColumnsPerUserPerceivedCharacter) {
  const struct {
    std::string text;
    std::size_t columns;
  } cases[] = {
      {"Office PC", 9},
      {"\u6771\u4eac", 4},                // East Asian Wide
      {"Cafe\u0301", 4},                  // a combining accent adds nothing
      {"\U0001F469\u200D\U0001F4BB", 2},  // ZWJ sequence: one emoji
      {"\U0001F1E9\U0001F1EA", 2},        // flag
      {"\u2764\uFE0F", 2},                // emoji presentation selector
      {"\u2764", 1},                      // the same, text presentation
      {"a\u200Bb", 2},                    // zero width space
      {"\x1b[1m", 3},                     // ESC itself takes no column
      {"\xff", 1},                        // read as U+FFFD
  };
  for (const auto& c : cases) EXPECT_EQ(displayWidth(c.text), c.columns) << c.text;
}

TEST(TextTest, CutsToWidthWithoutSplittingCharacters) {
  const struct {
    std::string text;
    std::size_t columns;
    std::string kept;
  } cases[] = {
      {"Office PC", 6, "Office"},
      {"\u6771\u4eac", 3, "\u6771"},  // the second wide character would need a fourth column
      {"Cafe\u0301 PC", 4, "Cafe\u0301"},
      {"ab\U0001F469\u200D\U0001F4BBc", 3, "ab"},
      {"ab\U0001F469\u200D\U0001F4BBc", 4, "ab\U0001F469\u200D\U0001F4BB"},
      {"1\uFE0F", 1, ""},  // a keycap digit is two columns wide
      {"bad\xff!", 9, "bad\ufffd!"},
      {"abc", 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(cutToWidth(c.text, c.columns), c.kept) << c.text;
}

// What may reach a terminal from a remote window title: nothing it would act on (escape
// sequences), nor anything that reorders or hides what it shows (bidirectional controls,
// zero-width and other format characters).
TEST(TextTest, ShowsControlsAndFormatCharacters) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"Office PC \u2014 B\u00fcro \u6771\u4eac \U0001F4BB",
       "Office PC \u2014 B\u00fcro \u6771\u4eac \U0001F4BB"},
      {"Office\x1b]2;PWNED\aPC", "Office\\u{1B}]2;PWNED\\u{7}PC"},
      {"a\nb\tc\rd\x7f", "a\\u{A}b\\u{9}c\\u{D}d\\u{7F}"},
      {std::string("nul\0", 4), "nul\\u{0}"},
      {"\u009b31m", "\\u{9B}31m"},  // C1 CSI
      {"\u00a0", "\u00a0"},         // no-break space is not a control
      {"Lab\u202Egpj.exe", "Lab\\u{202E}gpj.exe"},
      {"\u202A\u202D\u2066x\u2069", "\\u{202A}\\u{202D}\\u{2066}x\\u{2069}"},  // both ranges' ends
      {"\u200Bx\u200Cy\u200Dz\u200E\u200F", "\\u{200B}x\\u{200C}y\\u{200D}z\\u{200E}\\u{200F}"},
      {"\U0001F469\u200D\U0001F4BB", "\U0001F469\\u{200D}\U0001F4BB"},  // the joiner too
      {"\u2060\u2064\uFEFFsoft\u00ADhyphen", "\\u{2060}\\u{2064}\\u{FEFF}soft\\u{AD}hyphen"},
      {"tag\U000E0041", "tag\\u{E0041}"},  // beyond the first plane
      {"bad\xff\xc2", "bad\ufffd\ufffd"},
      // Drawn in no column, or as a line break: separators, noncharacters, unassigned.
      {"\u2028ls\u2029ps", "\\u{2028}ls\\u{2029}ps"},
      {"\uFFFE\uFFFF\uFDD0\U0010FFFF\u0378", "\\u{FFFE}\\u{FFFF}\\u{FDD0}\\u{10FFFF}\\u{378}"},
      {"\uE000", "\uE000"},  // private use is a character
  };
  for (const auto& c : cases) EXPECT_EQ(showControls(c.in), c.out) << c.in;
}

TEST(TextTest, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_TRUE(isValidUtf8("caf\u00e9"));
  EXPECT_FALSE(isValidUtf8("\xff"));
  EXPECT_FALSE(isValidUtf8("\xc0\xaf"));          // overlong "/"
  EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));      // lone surrogate
  EXPECT_FALSE(isValidUtf8("\xf4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(isValidUtf8("\xe2\x82"));          // truncated
  EXPECT_EQ(sanitizeUtf8("a\xffz"), "a\ufffdz");
  EXPECT_TRUE(isValidUtf8(sanitizeUtf8("\xe2\x82\xed\xa0\x80\xff")));
  // Every other operation reads bad bytes the same way and never fails.
  EXPECT_EQ(trim(" \xff "), "\ufffd");
  EXPECT_EQ(upper("a\xff"), "A\ufffd");
  EXPECT_EQ(graphemeCount("\xff\xfe"), 2u);
}

}  // namespace
}  // namespace velmora::text
