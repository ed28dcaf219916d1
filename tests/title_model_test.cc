#include "ui/title_model.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace velmora {

void PrintTo(const TitleRun& run, std::ostream* os) {
  *os << ::testing::PrintToString(run.text) << " " << run.fontSize << "pt weight "
      << static_cast<int>(run.weight) << " colour kind " << static_cast<int>(run.color.kind);
}

namespace {

using Runs = std::vector<TitleRun>;

const TitleRun kNotRunning{"RDP \u25CB", 13.0, FontWeight::kMedium, kGray};
const TitleRun kRunning{"RDP \u25CF", 13.0, FontWeight::kMedium, kBlue};

TitleRun countRun(const std::string& text) {
  return TitleRun{text, 13.0, FontWeight::kMedium, kBlue};
}
TitleRun nameRun(const std::string& text) {
  return TitleRun{text, 12.0, FontWeight::kRegular, kBlue};
}

SessionInfo running(int64_t count, std::vector<std::string> names = {}) {
  return SessionInfo{count, std::move(names), true};
}

// Multi-code-point user-perceived characters.
const std::string kCoder = "\U0001F469\u200D\U0001F4BB";  // woman, ZWJ, laptop
const std::string kAcute = "e\u0301";                     // e and a combining acute
const std::string kFlag = "\U0001F1E9\U0001F1EA";         // two regional indicators

TEST(TitleRunsTest, SpecialCharactersAreTheExactCodePoints) {
  EXPECT_EQ(kNotRunning.text, "RDP \xE2\x97\x8B");
  EXPECT_EQ(kRunning.text, "RDP \xE2\x97\x8F");
  EXPECT_EQ(titleName(std::string(21, 'a')), std::string(18, 'a') + "\xE2\x80\xA6");
}

TEST(TitleRunsTest, NotRunningIsGrayWhateverTheCount) {
  EXPECT_EQ(titleRuns(SessionInfo{}), Runs{kNotRunning});
  EXPECT_EQ(titleRuns(SessionInfo{3, {"Office PC"}, false}), Runs{kNotRunning});
}

TEST(TitleRunsTest, RunningWithoutSessionsShowsOnlyTheBlueCircle) {
  EXPECT_EQ(titleRuns(running(0)), Runs{kRunning});
  EXPECT_EQ(titleRuns(running(0, {"Office PC"})), Runs{kRunning});
  EXPECT_EQ(titleRuns(running(-1, {"Office PC"})), Runs{kRunning});
}

TEST(TitleRunsTest, SessionsShowTheCountAndTheFirstName) {
  EXPECT_EQ(titleRuns(running(2, {"Office PC", "Lab"})),
            (Runs{countRun("RDP 2\u25CF "), nameRun("Office PC")}));
  EXPECT_EQ(titleRuns(running(1234567, {"x"})),
            (Runs{countRun("RDP 1234567\u25CF "), nameRun("x")}));
}

TEST(TitleRunsTest, NoUsableFirstNameKeepsTheTrailingSpaceAlone) {
  EXPECT_EQ(titleRuns(running(1)), Runs{countRun("RDP 1\u25CF ")});
  // Only the first name is looked at, even when a later one is usable.
  EXPECT_EQ(titleRuns(running(2, {"", "Lab"})), Runs{countRun("RDP 2\u25CF ")});
}

struct NameCase {
  std::string name;
  std::string shown;
};

class TitleNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(TitleNameTest, CutsFrom21UserPerceivedCharacters) {
  EXPECT_EQ(titleRuns(running(1, {GetParam().name})),
            (Runs{countRun("RDP 1\u25CF "), nameRun(GetParam().shown)}));
}

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// 20 user-perceived characters in 46 code points.
const std::string kMixed20 = kCoder + "Office" + repeat(kAcute, 3) + kFlag + "123456789";

INSTANTIATE_TEST_SUITE_P(
    Cases, TitleNameTest,
    ::testing::Values(
        NameCase{"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST"},
        NameCase{"ABCDEFGHIJKLMNOPQRSTU", "ABCDEFGHIJKLMNOPQR\u2026"},
        NameCase{std::string(200, 'z'), std::string(18, 'z') + "\u2026"},
        NameCase{kMixed20, kMixed20},
        NameCase{kMixed20 + "X", kCoder + "Office" + repeat(kAcute, 3) + kFlag + "1234567\u2026"},
        // A cut never splits a cluster that straddles the 18th character.
        NameCase{std::string(17, 'a') + kCoder + "bcd", std::string(17, 'a') + kCoder + "\u2026"},
        NameCase{repeat(kAcute, 21), repeat(kAcute, 18) + "\u2026"},
        NameCase{repeat(kFlag, 20), repeat(kFlag, 20)}));

TEST(TitleAccessibilityLabelTest, SaysTheTitleInWords) {
  const struct {
    SessionInfo info;
    std::string label;
  } cases[] = {
      {SessionInfo{}, "Windows App not running"},
      {SessionInfo{2, {"Office PC"}, false}, "Windows App not running"},
      {running(0, {"Office PC"}), "Windows App running, no sessions"},
      {running(-1), "Windows App running, no sessions"},
      {running(1, {"Office PC"}), "1 remote session, first: Office PC"},
      {running(2, {"Office PC", "Lab"}), "2 remote sessions, first: Office PC"},
      {running(1), "1 remote session"},
      {running(3, {"", "Lab"}), "3 remote sessions"},
      // Whole, where the title cuts it.
      {running(1, {std::string(30, 'a')}), "1 remote session, first: " + std::string(30, 'a')},
  };
  for (const auto& c : cases) EXPECT_EQ(titleAccessibilityLabel(c.info), c.label) << c.label;
}

}  // namespace
}  // namespace velmora
