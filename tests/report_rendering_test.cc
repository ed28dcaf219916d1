#include "detect/report_rendering.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace std::string_literals;

struct ElementCase {
  std::string element;
  const char* rendered;
};

class RenderElementTest : public ::testing::TestWithParam<ElementCase> {};

TEST_P(RenderElementTest, QuotesAndEscapes) {
  EXPECT_EQ(renderList({GetParam().element}), GetParam().rendered);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderElementTest,
    ::testing::Values(
        ElementCase{"", "[\"\"]"}, ElementCase{"Office PC", "[\"Office PC\"]"},
        ElementCase{"a\\b", "[\"a\\\\b\"]"}, ElementCase{"say \"hi\"", "[\"say \\\"hi\\\"\"]"},
        ElementCase{"it's", "[\"it\\'s\"]"}, ElementCase{"1\n2", "[\"1\\n2\"]"},
        ElementCase{"1\r2", "[\"1\\r2\"]"}, ElementCase{"1\t2", "[\"1\\t2\"]"},
        ElementCase{"1\0"s
                    "2",
                    "[\"1\\02\"]"},
        ElementCase{"\x1b[0m", "[\"\\u{1B}[0m\"]"}, ElementCase{"\x7f\x01", "[\"\\u{7F}\\u{1}\"]"},
        ElementCase{"\u0085next", "[\"\\u{85}next\"]"},
        ElementCase{"x\"y\x01z\u0085w\\", "[\"x\\\"y\\u{1}z\\u{85}w\\\\\"]"},
        ElementCase{"Caf\u00e9 \u2014 \U0001F5A5", "[\"Caf\u00e9 \u2014 \U0001F5A5\"]"},
        ElementCase{"\u00a0", "[\"\u00a0\"]"}));  // C2 A0 is no control

TEST(RenderListTest, SeparatesWithCommaAndSpace) {
  EXPECT_EQ(renderList({}), "[]");
  EXPECT_EQ(renderList({"a", "b", "c"}), "[\"a\", \"b\", \"c\"]");
}

TEST(RenderMapTest, EmptyMapIsBracketedColon) {
  EXPECT_EQ(renderMap({}), "[:]");
}

TEST(RenderMapTest, EntriesInMapOrderKeysAndValuesEscaped) {
  const SessionNameCache cache = {{"RemoteApps", "It's \"T\"\n"}, {"Devices", "It's \"T\"\n"}};
  EXPECT_EQ(renderMap(cache),
            "[\"Devices\": \"It\\'s \\\"T\\\"\\n\", \"RemoteApps\": \"It\\'s \\\"T\\\"\\n\"]");
}

}  // namespace
}  // namespace velmora
