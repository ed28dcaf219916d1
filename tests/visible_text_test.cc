// What velmora-sim lets through to a terminal.
#include "platform/sim/output/visible_text.h"

#include "gtest/gtest.h"

namespace velmora::sim {
namespace {

TEST(VisibleTextTest, ControlsAreShownAndBadBytesReplaced) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"Office PC — Büro 東京 👩‍💻", "Office PC — Büro 東京 👩‍💻"},
      {"Office\x1b]2;PWNED\aPC", "Office\\u{1B}]2;PWNED\\u{7}PC"},
      {"a\nb\tc\rd\x7f", "a\\u{A}b\\u{9}c\\u{D}d\\u{7F}"},
      {std::string("nul\0", 4), "nul\\u{0}"},
      {"\xc2\x9b"
       "31m",
       "\\u{9B}31m"},            // C1 CSI
      {"\xc2\xa0", "\xc2\xa0"},  // no-break space is not a control
      {"bad\xff\xc2", "bad\xef\xbf\xbd\xef\xbf\xbd"},
  };
  for (const auto& c : cases) EXPECT_EQ(visibleText(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace velmora::sim
