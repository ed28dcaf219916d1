#include "platform/sim/scenario/scenario_reader.h"

#include <gtest/gtest.h>

#include "platform/sim/scenario/scenario_writer.h"

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
  // Running (1 instance, pid 1000), no windows, the listing from their titles.
  EXPECT_EQ(*s.events[0].client, SimClientState{});
  EXPECT_EQ(s.events[1].kind, ScenarioEvent::Kind::kKey);
  EXPECT_EQ(s.events[1].choice, "d");
  EXPECT_EQ(parsed("{}").until, 5.0);
}

// Every key of a client state; attributes can be missing or of another type.
TEST(ScenarioTest, ReadsEveryClientKey) {
  const Scenario s = parsed(R"({"start": 1700000000.5, "until": 60, "events": [
      {"at": 0, "client": {"instances": 2, "pid": 42, "refuses_quit": true, "notifies": false,
        "ax": {"windows": [
        {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440.5, 900],
         "minimized": false},
        {},
        {"title": 7, "subrole": null, "size": "big", "minimized": "no"}]},
        "script": {"text": "A\nB\n"}}},
      {"at": 1, "client": {"ax": {"error": -25211}, "script": {"error": "Not authorised"}}},
      {"at": 2, "client": {"ax": {"value": "not-a-list"}, "script": {"no_text": true}}},
      {"at": 3, "client": {"script": {"no_object": true}}},
      {"at": 4, "click": "Refresh"}]})");
  EXPECT_EQ(s.start, 1700000000.5);
  EXPECT_EQ(s.until, 60.0);
  const SimClientState& c = *s.events[0].client;
  EXPECT_EQ(c.instances, 2);
  EXPECT_EQ(c.pid, 42);
  EXPECT_TRUE(c.refusesQuit);
  EXPECT_FALSE(c.notifies);
  ASSERT_EQ(c.ax.windows.size(), 3u);
  EXPECT_EQ(c.ax.windows[0],
            (SimWindow{SimAttribute::ofText("Office PC"), SimAttribute::ofText("AXStandardWindow"),
                       SimAttribute::ofSize(1440.5, 900), SimAttribute::ofBool(false)}));
  EXPECT_EQ(c.ax.windows[1], SimWindow{});
  const SimAttribute other = SimAttribute::other();
  EXPECT_EQ(c.ax.windows[2], (SimWindow{other, other, other, other}));
  EXPECT_EQ(c.script, (SimListingAnswer{SimListingAnswer::Kind::kText, "A\nB\n"}));
  EXPECT_EQ(s.events[1].client->ax, (SimWindowList{SimWindowList::Kind::kError, -25211, {}}));
  EXPECT_EQ(s.events[1].client->script,
            (SimListingAnswer{SimListingAnswer::Kind::kError, "Not authorised"}));
  EXPECT_EQ(s.events[2].client->ax.kind, SimWindowList::Kind::kNotAList);
  EXPECT_EQ(s.events[2].client->script.kind, SimListingAnswer::Kind::kNoText);
  EXPECT_EQ(s.events[3].client->script.kind, SimListingAnswer::Kind::kNoScriptObject);
  EXPECT_EQ(s.events[4].kind, ScenarioEvent::Kind::kClick);
  EXPECT_EQ(s.events[4].choice, "Refresh");
  // The writer gives every key back as the reader takes it (--from-report relies on it).
  const Scenario again = parsed(scenarioJson(s));
  ASSERT_EQ(again.events.size(), s.events.size());
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(*again.events[i].client, *s.events[i].client);
}

TEST(ScenarioTest, ABadScenarioNamesThePositionAndWhatIsWrong) {
  const struct {
    const char* json;
    const char* position;
    const char* message;
  } cases[] = {
      {"{\n  \"events\": [tru]\n}", "line 2, column 17", "invalid literal"},
      {"", "line 1, column 1", "unexpected end of input"},
      {"[]", "/", "expected an object, found array"},
      {R"({"evnts": []})", "/evnts", "unknown key \"evnts\""},
      {R"({"events": [{"client": {}}]})", "/events/0", "missing \"at\""},
      {R"({"events": [{"at": -1, "key": "d"}]})", "/events/0/at", "from 0 to 1e9"},
      {R"({"events": [{"at": 1}]})", "/events/0", "exactly one of"},
      {R"({"events": [{"at": 1, "key": "d", "click": "x"}]})", "/events/0", "exactly one of"},
      {R"({"events": [{"at": 1, "client": {"instances": -1}}]})", "/events/0/client/instances",
       "from 0 to 64"},
      {R"({"events": [{"at": 1, "client": {"instances": 1.5}}]})", "/events/0/client/instances",
       "expected an integer"},
      {R"({"events": [{"at": 1, "client": {"pid": 99999999999}}]})", "/events/0/client/pid",
       "expected an integer from 1"},
      {R"({"events": [{"at": 1, "client": {"ax": {"windows": {}}}}]})",
       "/events/0/client/ax/windows", "expected an array"},
      {R"({"events": [{"at": 1, "client": {"ax": {"windows": [{"titel": "x"}]}}}]})",
       "/events/0/client/ax/windows/0/titel", "unknown key"},
      {R"({"events": [{"at": 1, "client": {"script": {"text": 5}}}]})",
       "/events/0/client/script/text", "expected a string"},
      {R"({"events": [{"at": 1, "client": {"script": {"no_text": false}}}]})",
       "/events/0/client/script/no_text", "must be true"},
      {R"({"until": 1e12})", "/until", "from 0 to 1e9"},
      // Too large for a double: refused like any other bad number, not thrown out.
      {"{\"events\": [],\n \"until\": 1e400}", "line 2, column 11",
       "number overflow parsing '1e400'"},
      {"{\"events\": [{\"at\": 1, \"click\": \"\xff\"}]}", "line 1, column 33", "ill-formed UTF-8"},
  };
  for (const auto& c : cases) {
    const ScenarioError e = failed(c.json);
    EXPECT_EQ(e.position, c.position) << c.json;
    EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
  }
}

}  // namespace
}  // namespace velmora::sim
