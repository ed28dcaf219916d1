#include "detect/report_rendering.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// Backslash, quotes, line ends, tab and NUL by name; other C0 controls, DEL and C1 controls as
// \u{XX}; everything else, non-ASCII included, as it is. Lists and maps of several elements, and
// empty ones, are golden in the reports recorded in tests/data.
TEST(RenderListTest, QuotesAndEscapesEachElement) {
  const struct {
    std::string element;
    const char* rendered;
  } cases[] = {{"", "[\"\"]"},
               {"a\\b", "[\"a\\\\b\"]"},
               {"say \"hi\"", "[\"say \\\"hi\\\"\"]"},
               {"it's", "[\"it\\'s\"]"},
               {"1\n2\r3\t4", "[\"1\\n2\\r3\\t4\"]"},
               {std::string{'1', '\0', '2'}, "[\"1\\02\"]"},
               {"\x1b[0m", "[\"\\u{1B}[0m\"]"},
               {"\x7f\x01", "[\"\\u{7F}\\u{1}\"]"},
               {"x\"y\x01z\u0085w\\", "[\"x\\\"y\\u{1}z\\u{85}w\\\\\"]"},
               {"Caf\u00e9 \u2014 \U0001F5A5 \u00a0", "[\"Caf\u00e9 \u2014 \U0001F5A5 \u00a0\"]"}};
  for (const auto& c : cases) EXPECT_EQ(renderList({c.element}), c.rendered) << c.element;
}

}  // namespace
}  // namespace velmora
