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

// The title and its words for VoiceOver, which say the whole first name where the title cuts it.
TEST(TitleRunsTest, TitleAndLabelOfEachState) {
  const std::string a30(30, 'a');
  const struct {
    SessionInfo info;
    Runs runs;
    std::string label;
  } cases[] = {
      {SessionInfo{3, {"Office PC"}, false}, {kNotRunning}, "Windows App not running"},
      {running(0, {"Office PC"}), {kRunning}, "Windows App running, no sessions"},
      {running(-1, {"Office PC"}), {kRunning}, "Windows App running, no sessions"},
      {running(1, {"Office PC"}),
       {countRun("RDP 1\u25CF "), nameRun("Office PC")},
       "1 remote session, first: Office PC"},
      {running(1234567, {"x", "Lab"}),
       {countRun("RDP 1234567\u25CF "), nameRun("x")},
       "1234567 remote sessions, first: x"},
      {running(1), {countRun("RDP 1\u25CF ")}, "1 remote session"},
      // Only the first name is looked at, even when a later one is usable.
      {running(3, {"", "Lab"}), {countRun("RDP 3\u25CF ")}, "3 remote sessions"},
      {running(1, {a30}),
       {countRun("RDP 1\u25CF "), nameRun(std::string(18, 'a') + "\u2026")},
       "1 remote session, first: " + a30},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(titleRuns(c.info), c.runs) << c.label;
    EXPECT_EQ(titleAccessibilityLabel(c.info), c.label);
  }
}

// Cut from 21 user-perceived characters (grapheme clusters counted as one) to 18 and an
// ellipsis, never inside a cluster.
TEST(TitleRunsTest, TheNameIsCutFrom21Characters) {
  // 20 user-perceived characters in 46 code points.
  const std::string mixed20 = kCoder + "Office" + kAcute + kAcute + kAcute + kFlag + "123456789";
  const struct {
    std::string name, shown;
  } cases[] = {{"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST"},
               {"ABCDEFGHIJKLMNOPQRSTU", "ABCDEFGHIJKLMNOPQR\u2026"},
               {mixed20, mixed20},
               {std::string(17, 'a') + kCoder + "bcd", std::string(17, 'a') + kCoder + "\u2026"}};
  for (const auto& c : cases) {
    EXPECT_EQ(titleRuns(running(1, {c.name})), (Runs{countRun("RDP 1\u25CF "), nameRun(c.shown)}));
  }
}

}  // namespace
}  // namespace velmora
