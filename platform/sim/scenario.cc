#include "platform/sim/scenario.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>
#include <set>

namespace velmora::sim {
namespace {

using nlohmann::json;

// Longest time a scenario may cover: far beyond any story, short of running forever.
constexpr double kMaxTime = 1e9;

struct Invalid {
  std::string pointer;
  std::string message;
};

std::string typeName(const json& j) {
  return j.type_name();
}

void requireObject(const json& j, const std::string& at, std::initializer_list<const char*> keys) {
  if (!j.is_object()) throw Invalid{at, "expected an object, found " + typeName(j)};
  const std::set<std::string> known(keys.begin(), keys.end());
  for (const auto& [key, value] : j.items()) {
    if (known.count(key) == 0) throw Invalid{at + "/" + key, "unknown key \"" + key + "\""};
  }
}

double time(const json& j, const std::string& at) {
  if (!j.is_number()) throw Invalid{at, "expected a number of seconds, found " + typeName(j)};
  const double t = j.get<double>();
  if (!(t >= 0.0) || t > kMaxTime) {
    throw Invalid{at, "expected seconds from 0 to 1e9, found " + j.dump()};
  }
  return t;
}

int64_t integer(const json& j, const std::string& at, int64_t low, int64_t high) {
  if (!j.is_number_integer()) throw Invalid{at, "expected an integer, found " + typeName(j)};
  if (j.is_number_unsigned() && j.get<uint64_t>() > static_cast<uint64_t>(high)) {
    throw Invalid{at, "expected an integer from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", found " + j.dump()};
  }
  const auto v = j.get<int64_t>();
  if (v < low || v > high) {
    throw Invalid{at, "expected an integer from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", found " + j.dump()};
  }
  return v;
}

bool boolean(const json& j, const std::string& at) {
  if (!j.is_boolean()) throw Invalid{at, "expected true or false, found " + typeName(j)};
  return j.get<bool>();
}

std::string string(const json& j, const std::string& at) {
  if (!j.is_string()) throw Invalid{at, "expected a string, found " + typeName(j)};
  return j.get<std::string>();
}

bool isSize(const json& j) {
  return j.is_array() && j.size() == 2 && j[0].is_number() && j[1].is_number();
}

// A key that is absent is an unreadable attribute; a value of another type than the attribute
// holds is an attribute of another type.
SimAttribute textAttribute(const json& w, const char* key) {
  if (!w.contains(key)) return SimAttribute::missing();
  const json& v = w[key];
  return v.is_string() ? SimAttribute::ofText(v.get<std::string>()) : SimAttribute::other();
}

SimAttribute sizeAttribute(const json& w) {
  if (!w.contains("size")) return SimAttribute::missing();
  const json& v = w["size"];
  if (!isSize(v)) return SimAttribute::other();
  return SimAttribute::ofSize(v[0].get<double>(), v[1].get<double>());
}

SimAttribute boolAttribute(const json& w, const char* key) {
  if (!w.contains(key)) return SimAttribute::missing();
  const json& v = w[key];
  return v.is_boolean() ? SimAttribute::ofBool(v.get<bool>()) : SimAttribute::other();
}

SimWindow window(const json& w, const std::string& at) {
  requireObject(w, at, {"title", "subrole", "size", "minimized"});
  return SimWindow{textAttribute(w, "title"), textAttribute(w, "subrole"), sizeAttribute(w),
                   boolAttribute(w, "minimized")};
}

SimWindowList windowList(const json& j, const std::string& at) {
  if (!j.is_object() || j.size() != 1) {
    throw Invalid{at, R"(expected {"error": CODE}, {"value": "not-a-list"} or {"windows": [...]})"};
  }
  SimWindowList list;
  if (j.contains("error")) {
    list.kind = SimWindowList::Kind::kError;
    list.error = static_cast<int32_t>(integer(j["error"], at + "/error", INT32_MIN, INT32_MAX));
  } else if (j.contains("value")) {
    list.kind = SimWindowList::Kind::kNotAList;
  } else if (j.contains("windows")) {
    const json& ws = j["windows"];
    if (!ws.is_array()) throw Invalid{at + "/windows", "expected an array, found " + typeName(ws)};
    for (std::size_t i = 0; i < ws.size(); ++i) {
      list.windows.push_back(window(ws[i], at + "/windows/" + std::to_string(i)));
    }
  } else {
    throw Invalid{at + "/" + j.begin().key(), "unknown key \"" + j.begin().key() + "\""};
  }
  return list;
}

SimListingAnswer listingAnswer(const json& j, const std::string& at) {
  requireObject(j, at, {"text", "no_text", "error", "no_object"});
  if (j.size() != 1) {
    throw Invalid{at, "expected exactly one of \"text\", \"no_text\", \"error\", \"no_object\""};
  }
  if (j.contains("text")) return {SimListingAnswer::Kind::kText, string(j["text"], at + "/text")};
  if (j.contains("error")) {
    return {SimListingAnswer::Kind::kError, string(j["error"], at + "/error")};
  }
  if (j.contains("no_text")) {
    if (!boolean(j["no_text"], at + "/no_text")) throw Invalid{at + "/no_text", "must be true"};
    return {SimListingAnswer::Kind::kNoText, {}};
  }
  if (!boolean(j["no_object"], at + "/no_object")) {
    throw Invalid{at + "/no_object", "must be true"};
  }
  return {SimListingAnswer::Kind::kNoScriptObject, {}};
}

SimClientState clientState(const json& c, const std::string& at) {
  requireObject(c, at, {"instances", "pid", "refuses_quit", "ax", "script"});
  SimClientState state;
  if (c.contains("instances")) state.instances = integer(c["instances"], at + "/instances", 0, 64);
  if (c.contains("pid")) {
    state.pid = static_cast<int32_t>(integer(c["pid"], at + "/pid", 1, INT32_MAX - 64));
  }
  if (c.contains("refuses_quit"))
    state.refusesQuit = boolean(c["refuses_quit"], at + "/refuses_quit");
  if (c.contains("ax")) state.ax = windowList(c["ax"], at + "/ax");
  if (c.contains("script")) state.script = listingAnswer(c["script"], at + "/script");
  return state;
}

ScenarioEvent event(const json& e, const std::string& at) {
  requireObject(e, at, {"at", "client", "click", "key"});
  if (!e.contains("at")) throw Invalid{at, "missing \"at\""};
  ScenarioEvent ev;
  ev.at = time(e["at"], at + "/at");
  const int kinds = static_cast<int>(e.contains("client")) + static_cast<int>(e.contains("click")) +
                    static_cast<int>(e.contains("key"));
  if (kinds != 1) throw Invalid{at, "expected exactly one of \"client\", \"click\", \"key\""};
  if (e.contains("client")) {
    ev.kind = ScenarioEvent::Kind::kClient;
    ev.client = clientState(e["client"], at + "/client");
  } else if (e.contains("click")) {
    ev.kind = ScenarioEvent::Kind::kClick;
    ev.choice = string(e["click"], at + "/click");
  } else {
    ev.kind = ScenarioEvent::Kind::kKey;
    ev.choice = string(e["key"], at + "/key");
  }
  return ev;
}

Scenario scenario(const json& root) {
  requireObject(root, "", {"start", "until", "events"});
  Scenario s;
  if (root.contains("start")) {
    const json& start = root["start"];
    if (!start.is_number()) throw Invalid{"/start", "expected a number, found " + typeName(start)};
    s.start = start.get<double>();
  }
  double last = 0.0;
  if (root.contains("events")) {
    const json& events = root["events"];
    if (!events.is_array())
      throw Invalid{"/events", "expected an array, found " + typeName(events)};
    for (std::size_t i = 0; i < events.size(); ++i) {
      s.events.push_back(event(events[i], "/events/" + std::to_string(i)));
      last = std::max(last, s.events.back().at);
    }
  }
  s.until = root.contains("until") ? time(root["until"], "/until") : last + 5.0;
  return s;
}

std::string lineAndColumn(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

SimClientState notRunning() {
  SimClientState state;
  state.instances = 0;
  return state;
}

ScenarioResult parseScenario(std::string_view text) {
  // The parser takes a NUL byte for the end of its input, and would accept a scenario followed
  // by one and anything at all. JSON allows no NUL byte anywhere, not even inside a string.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    return ScenarioError{lineAndColumn(text, nul), "unexpected NUL byte; JSON text holds none"};
  }
  json root;
  try {
    root = json::parse(text.begin(), text.end());
  } catch (const json::parse_error& e) {
    // e.byte is one past the offending character.
    const std::size_t offset = e.byte > 0 ? e.byte - 1 : 0;
    // what() reads "[json.exception...] parse error at line L, column C: <what is wrong>".
    std::string message = e.what();
    const auto column = message.find("column ");
    const auto colon = message.find(": ", column == std::string::npos ? 0 : column);
    if (colon != std::string::npos) message = message.substr(colon + 2);
    return ScenarioError{lineAndColumn(text, offset), message};
  } catch (const json::exception& e) {
    // A number too large for a double ("1e400") is refused with no byte position; the
    // message quotes the number, which is then found in the text.
    std::string message = e.what();
    if (const auto bracket = message.find("] "); bracket != std::string::npos) {
      message = message.substr(bracket + 2);
    }
    std::string position = "/";
    const auto open = message.find('\'');
    const auto close = message.rfind('\'');
    if (open != std::string::npos && close > open + 1) {
      const auto at = text.find(message.substr(open + 1, close - open - 1));
      if (at != std::string_view::npos) position = lineAndColumn(text, at);
    }
    return ScenarioError{position, message};
  }
  try {
    return scenario(root);
  } catch (const Invalid& e) {
    return ScenarioError{e.pointer.empty() ? "/" : e.pointer, e.message};
  }
}

}  // namespace velmora::sim
