#include "platform/sim/scenario/scenario_reader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

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
  for (const auto& [key, value] : j.items()) {
    const auto known = [&key = key](const char* k) { return key == k; };
    if (std::none_of(keys.begin(), keys.end(), known)) {
      std::string where = at;
      where.append("/").append(key);
      throw Invalid{std::move(where), "unknown key \"" + key + "\""};
    }
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
    list.windows.reserve(ws.size());
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
  requireObject(c, at, {"instances", "pid", "refuses_quit", "notifies", "ax", "script"});
  SimClientState state;
  if (c.contains("instances")) state.instances = integer(c["instances"], at + "/instances", 0, 64);
  if (c.contains("pid")) {
    state.pid = static_cast<int32_t>(integer(c["pid"], at + "/pid", 1, INT32_MAX - 64));
  }
  if (c.contains("refuses_quit"))
    state.refusesQuit = boolean(c["refuses_quit"], at + "/refuses_quit");
  if (c.contains("notifies")) state.notifies = boolean(c["notifies"], at + "/notifies");
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
    ev.client = std::make_shared<const SimClientState>(clientState(e["client"], at + "/client"));
  } else if (e.contains("click")) {
    ev.kind = ScenarioEvent::Kind::kClick;
    ev.choice = string(e["click"], at + "/click");
  } else {
    ev.kind = ScenarioEvent::Kind::kKey;
    ev.choice = string(e["key"], at + "/key");
  }
  return ev;
}

// Reads the scenario as the parser goes, into its final form: the root object's members one at
// a time, and each event of "events" as a small tree of its own, checked and converted as soon
// as it is whole and then dropped. No tree of the whole file is ever held. A refusal is the one
// a check of the whole tree would give: the root's type, its first unknown key in byte order,
// "start", the events in file order, "until"; a syntax error anywhere comes before all of them.
// Of a key given twice, the last value counts, as in a tree.
class ScenarioReader {
 public:
  // nlohmann's SAX interface; every call goes on, so that a syntax error later in the text is
  // still found.
  bool null() { return scalar(json(nullptr)); }
  bool boolean(bool value) { return scalar(json(value)); }
  bool number_integer(json::number_integer_t value) { return scalar(json(value)); }
  bool number_unsigned(json::number_unsigned_t value) { return scalar(json(value)); }
  bool number_float(json::number_float_t value, const std::string& /*text*/) {
    return scalar(json(value));
  }
  bool string(std::string& value) { return scalar(json(std::move(value))); }
  bool binary(json::binary_t& /*value*/) { return true; }  // JSON text has none
  bool start_object(std::size_t /*elements*/) { return open(json::object()); }
  bool start_array(std::size_t /*elements*/) { return open(json::array()); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool key(std::string& name);
  template <class Exception>
  bool parse_error(std::size_t /*position*/, const std::string& /*token*/, const Exception& e) {
    syntax_ = e.what();
    if constexpr (std::is_same_v<Exception, json::parse_error>) syntaxByte_ = e.byte;
    return false;
  }

  // After the whole text: the scenario, or what is wrong with it.
  [[nodiscard]] ScenarioResult result(std::string_view text);

 private:
  // Where the parser is, outside the value being read.
  enum class Place { kTop, kRoot, kEvents, kAfter };

  bool scalar(json value);
  bool open(json container);
  bool close();
  // Adds to the value being built, inside its innermost open container.
  json* add(json value);
  // A whole value: a member of the root object or an event.
  void whole(json value);
  void member(json value);
  void event(const json& value);

  Place place_ = Place::kTop;
  // The value being read: how many of its containers are still open (0 between values), and
  // whether it is built or only followed to its end.
  int depth_ = 0;
  bool build_ = false;
  json value_;
  std::vector<json*> open_;
  std::string key_;  // the key of the next member of open_.back()

  std::string member_;  // the root member being read
  std::optional<Invalid> rootType_;
  std::optional<std::string> unknownKey_;  // the first in byte order
  std::optional<json> start_;
  std::optional<json> until_;
  std::vector<ScenarioEvent> events_;
  std::size_t eventIndex_ = 0;
  double lastAt_ = 0.0;
  std::optional<Invalid> eventsError_;

  std::optional<std::string> syntax_;  // the parser's message
  std::optional<std::size_t> syntaxByte_;
};

bool ScenarioReader::key(std::string& name) {
  if (depth_ > 0) {
    if (build_) key_ = std::move(name);
    return true;
  }
  member_ = std::move(name);
  if (member_ == "events") {
    events_.clear();
    eventIndex_ = 0;
    lastAt_ = 0.0;
    eventsError_.reset();
  } else if (member_ != "start" && member_ != "until" && (!unknownKey_ || member_ < *unknownKey_)) {
    unknownKey_ = member_;
  }
  return true;
}

json* ScenarioReader::add(json value) {
  json& container = *open_.back();
  if (container.is_array()) {
    container.push_back(std::move(value));
    return &container.back();
  }
  json& slot = container[key_];
  slot = std::move(value);
  return &slot;
}

bool ScenarioReader::scalar(json value) {
  if (depth_ > 0) {
    if (build_) add(std::move(value));
    return true;
  }
  if (place_ == Place::kTop) {
    rootType_ = Invalid{"", "expected an object, found " + typeName(value)};
    place_ = Place::kAfter;
    return true;
  }
  whole(std::move(value));
  return true;
}

bool ScenarioReader::open(json container) {
  if (depth_ > 0) {
    ++depth_;
    if (build_) open_.push_back(add(std::move(container)));
    return true;
  }
  if (place_ == Place::kTop && container.is_object()) {
    place_ = Place::kRoot;
    return true;
  }
  if (place_ == Place::kRoot && member_ == "events" && container.is_array()) {
    place_ = Place::kEvents;
    return true;
  }
  if (place_ == Place::kTop) {
    rootType_ = Invalid{"", "expected an object, found " + typeName(container)};
    place_ = Place::kAfter;
  }
  // Only an event is built; of anything else only the type counts.
  depth_ = 1;
  build_ = place_ == Place::kEvents && !eventsError_;
  value_ = std::move(container);
  open_.assign(1, &value_);
  return true;
}

bool ScenarioReader::close() {
  if (depth_ == 0) {
    place_ = place_ == Place::kEvents ? Place::kRoot : Place::kAfter;
    return true;
  }
  if (build_) open_.pop_back();
  if (--depth_ == 0) whole(std::move(value_));
  return true;
}

void ScenarioReader::whole(json value) {
  if (place_ == Place::kRoot) {
    member(std::move(value));
  } else if (place_ == Place::kEvents) {
    event(value);
  }
}

void ScenarioReader::member(json value) {
  if (member_ == "start") {
    start_ = std::move(value);
  } else if (member_ == "until") {
    until_ = std::move(value);
  } else if (member_ == "events") {
    eventsError_ = Invalid{"/events", "expected an array, found " + typeName(value)};
  }
}

void ScenarioReader::event(const json& value) {
  const std::size_t index = eventIndex_++;
  if (eventsError_) return;
  try {
    events_.push_back(sim::event(value, "/events/" + std::to_string(index)));
    lastAt_ = std::max(lastAt_, events_.back().at);
  } catch (const Invalid& e) {
    eventsError_ = e;
    events_.clear();
  }
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

ScenarioResult ScenarioReader::result(std::string_view text) {
  if (syntax_ && syntaxByte_) {
    // The byte is one past the offending character; what() reads "[json.exception...] parse
    // error at line L, column C: <what is wrong>".
    const std::size_t offset = *syntaxByte_ > 0 ? *syntaxByte_ - 1 : 0;
    std::string message = *syntax_;
    const auto column = message.find("column ");
    const auto colon = message.find(": ", column == std::string::npos ? 0 : column);
    if (colon != std::string::npos) message = message.substr(colon + 2);
    return ScenarioError{lineAndColumn(text, offset), message};
  }
  if (syntax_) {
    // A number too large for a double ("1e400") is refused with no byte position; the
    // message quotes the number, which is then found in the text.
    std::string message = *syntax_;
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
    if (rootType_) throw *rootType_;
    if (unknownKey_) throw Invalid{"/" + *unknownKey_, "unknown key \"" + *unknownKey_ + "\""};
    Scenario s;
    if (start_) {
      if (!start_->is_number()) {
        throw Invalid{"/start", "expected a number, found " + typeName(*start_)};
      }
      s.start = start_->get<double>();
    }
    if (eventsError_) throw *eventsError_;
    s.events = std::move(events_);
    s.until = until_ ? time(*until_, "/until") : lastAt_ + 5.0;
    return s;
  } catch (const Invalid& e) {
    return ScenarioError{e.pointer.empty() ? "/" : e.pointer, e.message};
  }
}

}  // namespace

ScenarioResult parseScenario(std::string_view text) {
  // The parser takes a NUL byte for the end of its input, and would accept a scenario followed
  // by one and anything at all. JSON allows no NUL byte anywhere, not even inside a string.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    return ScenarioError{lineAndColumn(text, nul), "unexpected NUL byte; JSON text holds none"};
  }
  ScenarioReader reader;
  (void)json::sax_parse(text.begin(), text.end(), &reader);
  return reader.result(text);
}

}  // namespace velmora::sim
