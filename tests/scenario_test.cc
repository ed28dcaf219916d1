#include "platform/sim/scenario.h"

#include <gtest/gtest.h>

namespace velmora::sim {
namespace {

Scenario parsed(std::string_view json) {
  ScenarioResult r = parseScenario(json);
  if (auto* e = std::get_if<ScenarioError>(&r)) {
    ADD_FAILURE() << e->position << ": " << e->message;
    return {};
  }
  return std::get<Scenario>(r);
}

ScenarioError failed(std::string_view json) {
  ScenarioResult r = parseScenario(json);
  if (auto* e = std::get_if<ScenarioError>(&r)) return *e;
  ADD_FAILURE() << "accepted: " << json;
  return {};
}

TEST(ScenarioTest, DefaultsApplyToAbsentKeys) {
  const Scenario s = parsed(R"({"events": [{"at": 3, "client": {}}, {"at": 1, "key": "d"}]})");
  EXPECT_FALSE(s.start.has_value());
  EXPECT_EQ(s.until, 8.0);  // the last event's time plus 5
  ASSERT_EQ(s.events.size(), 2u);
  const SimClientState& c = *s.events[0].client;
  EXPECT_EQ(c.instances, 1);
  EXPECT_EQ(c.pid, 1000);
  EXPECT_FALSE(c.refusesQuit);
  EXPECT_EQ(c.ax.kind, SimWindowList::Kind::kWindows);
  EXPECT_TRUE(c.ax.windows.empty());
  EXPECT_EQ(c.script.kind, SimListingAnswer::Kind::kFromWindows);
  EXPECT_EQ(s.events[1].kind, ScenarioEvent::Kind::kKey);
  EXPECT_EQ(s.events[1].choice, "d");
  EXPECT_EQ(parsed("{}").until, 5.0);
}

TEST(ScenarioTest, WindowAttributesCanBeMissingOrOfAnotherType) {
  const Scenario s = parsed(R"({"start": 1700000000.5, "until": 60, "events": [{"at": 0,
      "client": {"instances": 2, "pid": 42, "refuses_quit": true, "ax": {"windows": [
        {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440.5, 900],
         "minimized": false},
        {},
        {"title": 7, "subrole": null, "size": "big", "minimized": "no"}]}}}]})");
  EXPECT_EQ(s.start, 1700000000.5);
  EXPECT_EQ(s.until, 60.0);
  const SimClientState& c = *s.events[0].client;
  EXPECT_EQ(c.instances, 2);
  EXPECT_EQ(c.pid, 42);
  EXPECT_TRUE(c.refusesQuit);
  ASSERT_EQ(c.ax.windows.size(), 3u);
  const SimWindow& w = c.ax.windows[0];
  EXPECT_EQ(w.title.kind, SimAttribute::Kind::kText);
  EXPECT_EQ(w.title.text, "Office PC");
  EXPECT_EQ(w.size.kind, SimAttribute::Kind::kSize);
  EXPECT_EQ(w.size.size.width, 1440.5);
  EXPECT_EQ(w.minimized.kind, SimAttribute::Kind::kBool);
  for (const SimAttribute& a : {c.ax.windows[1].title, c.ax.windows[1].subrole,
                                c.ax.windows[1].size, c.ax.windows[1].minimized}) {
    EXPECT_EQ(a.kind, SimAttribute::Kind::kMissing);
  }
  for (const SimAttribute& a : {c.ax.windows[2].title, c.ax.windows[2].subrole,
                                c.ax.windows[2].size, c.ax.windows[2].minimized}) {
    EXPECT_EQ(a.kind, SimAttribute::Kind::kOther);
  }
}

TEST(ScenarioTest, WindowListFailuresAndScriptAnswers) {
  const Scenario s = parsed(R"({"events": [
      {"at": 0, "client": {"ax": {"error": -25211}, "script": {"error": "Not authorised"}}},
      {"at": 1, "client": {"ax": {"value": "not-a-list"}, "script": {"text": "A\nB\n"}}},
      {"at": 2, "client": {"script": {"no_text": true}}},
      {"at": 3, "client": {"script": {"no_object": true}}},
      {"at": 4, "click": "Refresh"}]})");
  EXPECT_EQ(s.events[0].client->ax.kind, SimWindowList::Kind::kError);
  EXPECT_EQ(s.events[0].client->ax.error, -25211);
  EXPECT_EQ(s.events[0].client->script.kind, SimListingAnswer::Kind::kError);
  EXPECT_EQ(s.events[0].client->script.text, "Not authorised");
  EXPECT_EQ(s.events[1].client->ax.kind, SimWindowList::Kind::kNotAList);
  EXPECT_EQ(s.events[1].client->script.text, "A\nB\n");
  EXPECT_EQ(s.events[2].client->script.kind, SimListingAnswer::Kind::kNoText);
  EXPECT_EQ(s.events[3].client->script.kind, SimListingAnswer::Kind::kNoScriptObject);
  EXPECT_EQ(s.events[4].kind, ScenarioEvent::Kind::kClick);
  EXPECT_EQ(s.events[4].choice, "Refresh");
}

struct BadCase {
  const char* json;
  const char* position;
  const char* message;
};

class BadScenarioTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadScenarioTest, NamesThePositionAndWhatIsWrong) {
  const ScenarioError e = failed(GetParam().json);
  EXPECT_EQ(e.position, GetParam().position);
  EXPECT_NE(e.message.find(GetParam().message), std::string::npos) << e.message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadScenarioTest,
    ::testing::Values(
        BadCase{"{\n  \"events\": [tru]\n}", "line 2, column 17", "invalid literal"},
        BadCase{"", "line 1, column 1", "unexpected end of input"},
        BadCase{"[]", "/", "expected an object, found array"},
        BadCase{R"({"evnts": []})", "/evnts", "unknown key \"evnts\""},
        BadCase{R"({"events": [{"client": {}}]})", "/events/0", "missing \"at\""},
        BadCase{R"({"events": [{"at": -1, "key": "d"}]})", "/events/0/at", "from 0 to 1e9"},
        BadCase{R"({"events": [{"at": "1", "key": "d"}]})", "/events/0/at", "found string"},
        BadCase{R"({"events": [{"at": 1}]})", "/events/0", "exactly one of"},
        BadCase{R"({"events": [{"at": 1, "key": "d", "click": "x"}]})", "/events/0",
                "exactly one of"},
        BadCase{R"({"events": [{"at": 1, "client": {"instances": -1}}]})",
                "/events/0/client/instances", "from 0 to 64"},
        BadCase{R"({"events": [{"at": 1, "client": {"instances": 1.5}}]})",
                "/events/0/client/instances", "expected an integer"},
        BadCase{R"({"events": [{"at": 1, "client": {"pid": 99999999999}}]})",
                "/events/0/client/pid", "expected an integer from 1"},
        BadCase{R"({"events": [{"at": 1, "client": {"ax": {"windows": {}}}}]})",
                "/events/0/client/ax/windows", "expected an array"},
        BadCase{R"({"events": [{"at": 1, "client": {"ax": {"windows": [{"titel": "x"}]}}}]})",
                "/events/0/client/ax/windows/0/titel", "unknown key"},
        BadCase{R"({"events": [{"at": 1, "client": {"script": {"text": 5}}}]})",
                "/events/0/client/script/text", "expected a string"},
        BadCase{R"({"events": [{"at": 1, "client": {"script": {"no_text": false}}}]})",
                "/events/0/client/script/no_text", "must be true"},
        BadCase{R"({"until": 1e12})", "/until", "from 0 to 1e9"},
        // Too large for a double: refused like any other bad number, not thrown out.
        BadCase{"{\"events\": [],\n \"until\": 1e400}", "line 2, column 11",
                "number overflow parsing '1e400'"},
        BadCase{R"({"events": [{"at": 1, "client": {"pid": 1e999}}]})", "line 1, column 41",
                "number overflow"},
        BadCase{"{\"events\": [{\"at\": 1, \"click\": \"\xff\"}]}", "line 1, column 33",
                "ill-formed UTF-8"}));

}  // namespace
}  // namespace velmora::sim
