#include "app/session_memory.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace velmora {
namespace {

// One step of a run, "<cause><moment> <names>": causes L launch, T timer, C copy, R refresh,
// F quit follow-up; names comma-separated, "-" for none, "!" client stopped, "?" windows
// unreadable. "Q<moment>" is the user's choice of Quit Windows App.
struct Story {
  SessionMemory memory;
  std::string notes;

  void step(const std::string& text, std::optional<double> clientStart) {
    if (text[0] == 'Q') return memory.quitRequested(std::stod(text.substr(1)));
    std::istringstream in(text);
    char cause = 0;
    double moment = 0;
    std::string names;
    in >> cause >> moment >> names;
    DetectionResult pass;
    pass.info.running = names != "!";
    pass.windowsUnreadable = names == "?";
    if (names != "!" && names != "?" && names != "-") {
      std::istringstream list(names);
      for (std::string name; std::getline(list, name, ',');) pass.info.names.push_back(name);
    }
    const PassCause causes[] = {PassCause::kLaunch, PassCause::kTimer, PassCause::kCopy,
                                PassCause::kRefresh, PassCause::kQuitFollowUp};
    const PassCause c = causes[std::string("LTCRF").find(cause)];
    for (const EndedSession& e : memory.observe(pass, c, moment, clientStart)) {
      notes += render(e) + ";";
    }
  }

  static std::string render(const EndedSession& e) {
    std::ostringstream out;
    out << e.name << " " << e.first << "-" << e.end << (e.atLeast ? "≥" : "");
    return out.str();
  }
  std::string recent() const {
    std::string out;
    for (const EndedSession& e : memory.recent()) out += render(e) + ";";
    return out;
  }
  std::string listed() const {
    std::ostringstream out;
    for (const SessionTime& t : memory.listedTimes())
      out << t.since << (t.atLeast ? "≥" : "") << ";";
    return out.str();
  }
};

TEST(SessionMemoryTest, FirstMomentsEndsAndNotes) {
  constexpr std::optional<double> kNone;
  const std::string eleven = "S0,S1,S2,S3,S4,S5,S6,S7,S8,S9,S10";
  const std::string elevenEnded =
      "S0 15-20;S1 15-20;S2 15-20;S3 15-20;S4 15-20;S5 15-20;S6 15-20;S7 15-20;S8 15-20;S9 15-20;";
  const struct {
    const char* what;
    std::string steps;  // separated by "|"
    std::optional<double> clientStart;
    std::string listed, recent, notes;
  } cases[] = {
      {"a one-pass gap keeps the first moment", "L0 A|T5 A,B|T10 B|T15 A,B", kNone, "0;5;", "", ""},
      {"two passes without it end it at the first", "L0 A,B|T5 A|R7 A", kNone, "0;", "B 0-5;",
       "B 0-5;"},
      {"an unreadable pass counts for nothing", "L0 A,B|T5 -|T10 ?|T15 A", kNone, "0;", "B 0-5;",
       "B 0-5;"},
      {"copy passes do not count, nor list", "L0 A|C1 A,B|C2 -|C3 -|T5 A", kNone, "0;", "", ""},
      {"listed at launch, the client long running: at least since the launch", "L100 A|T105 A,B",
       0.0, "100≥;105;", "", ""},
      {"the client started within one interval before the launch", "L100 A", 96.0, "100;", "", ""},
      {"a not-at-launch session, and ends of one that was", "L100 A|T105 -|T110 -", 0.0, "",
       "A 100-105≥;", "A 100-105≥;"},
      {"the client stops: all end there, one missed already where it was missed, no note",
       "L0 A,B|T5 A|T10 !", kNone, "", "A 0-10;B 0-5;", ""},
      {"Quit Windows App: no note", "L0 A|Q0|F1 -|T5 -|T10 B|T15 -|T20 -", kNone, "",
       "B 10-15;A 0-1;", "B 10-15;"},
      {"a refused quit: listed past the answer, its note is back",
       "L0 A|Q10|F11 A|T15 A|T20 -|T25 -", kNone, "", "A 0-20;", "A 0-20;"},
      {"unreadable passes first: at least since the first readable one", "L0 ?|T5 ?|T10 A", -3600.0,
       "10≥;", "", ""},
      {"names equal up to canonical form and white space around",
       "L0 Caf\u00e9|T5 Cafe\u0301\u00a0|T10 Cafe\u0301\u00a0", kNone, "0;", "", ""},
      {"ten at most, newest first", "L0 X|T5 -|T10 -|T15 " + eleven + "|T20 -|T25 -", kNone, "",
       elevenEnded, "X 0-5;" + elevenEnded + "S10 15-20;"},
  };
  for (const auto& c : cases) {
    Story run;
    std::istringstream steps(c.steps);
    for (std::string s; std::getline(steps, s, '|');) run.step(s, c.clientStart);
    EXPECT_EQ(run.listed(), c.listed) << c.what;
    EXPECT_EQ(run.recent(), c.recent) << c.what;
    EXPECT_EQ(run.notes, c.notes) << c.what;
  }
}

}  // namespace
}  // namespace velmora
