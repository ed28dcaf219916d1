#include "platform/sim/scenario/scenario_reader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/sim/desktop/sim_login_items.h"
#include "platform/sim/desktop/sim_notifier.h"

namespace velmora::sim {
namespace {

using nlohmann::json;

// Longest time a scenario may cover: far beyond any story, short of running forever.
constexpr double kMaxTime = 1e9;

// Thrown by the checks that turn one event's small JSON tree into data, at the first thing
// wrong; caught where the event (or the root object) is taken in and returned as a SimError.
// Nothing is thrown past the reader: checks returning results instead would be tested and
// passed up at each of their thirty-odd calls, for the same message.
struct Invalid {
  std::string pointer;
  std::string message;
};

std::string typeName(const json& j) {
  return j.type_name();
}

void requireObject(const json& j, const std::string& at, std::initializer_list<const char*> keys) {
  if (!j.is_object()) throw Invalid{at, "expected an object, found " + typeName(j)};
  // No structured binding: clang before 16 cannot capture one in a lambda.
  for (const auto& item : j.items()) {
    const std::string& key = item.key();
    const auto known = [&key](const char* k) { return key == k; };
    if (std::none_of(keys.begin(), keys.end(), known)) {
      std::string where = at;
      where.append("/").append(key);
      throw Invalid{std::move(where), "unknown key \"" + key + "\""};
    }
  }
}

// The value as a message quotes it: a number itself, anything else by its type.
std::string found(const json& j) {
  return j.is_number() ? j.dump() : typeName(j);
}

double time(const json& j, const std::string& at) {
  const double t = j.is_number() ? j.get<double>() : -1.0;
  if (!(t >= 0.0) || t > kMaxTime) {
    throw Invalid{at, "expected seconds from 0 to 1e9, found " + found(j)};
  }
  return t;
}

// The moment of time 0: a date the tracker's reports show with a year of four digits.
double moment(const json& j, const std::string& at) {
  const double t = j.is_number() ? j.get<double>() : -1.0;
  if (!(t >= kEarliestStart) || t >= kStartLimit) {
    throw Invalid{at,
                  "expected seconds since 1970 from 0 to below 253402300800 (the years 1970 to "
                  "9999), found " +
                      found(j)};
  }
  return t;
}

// Whether `j` is an integer from `low` to `high`; `high` is not negative.
bool isIntegerIn(const json& j, int64_t low, int64_t high) {
  if (j.is_number_unsigned()) {
    const uint64_t v = j.get<uint64_t>();
    return v <= static_cast<uint64_t>(high) && static_cast<int64_t>(v) >= low;
  }
  return j.is_number_integer() && j.get<int64_t>() >= low && j.get<int64_t>() <= high;
}

int64_t integer(const json& j, const std::string& at, int64_t low, int64_t high) {
  if (!isIntegerIn(j, low, high)) {
    throw Invalid{at, "expected an integer from " + std::to_string(low) + " to " +
                          std::to_string(high) + ", found " + found(j)};
  }
  return j.get<int64_t>();
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
SimAttribute textAttribute(const json& w, const char* key, const std::string& at) {
  if (!w.contains(key)) return SimAttribute::missing();
  const json& v = w[key];
  if (!v.is_string()) return SimAttribute::other();
  const auto& text = v.get_ref<const std::string&>();
  if (text.size() > kMaxWindowText) {
    throw Invalid{at + "/" + key, "a text of " + std::to_string(text.size()) +
                                      " bytes, longer than a window's title or subrole may be (" +
                                      std::to_string(kMaxWindowText) + " bytes)"};
  }
  return SimAttribute::ofText(text);
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
  return SimWindow{textAttribute(w, "title", at), textAttribute(w, "subrole", at), sizeAttribute(w),
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
    // The windows themselves are read one at a time as they come (ScenarioReader).
    const json& ws = j["windows"];
    if (!ws.is_array()) throw Invalid{at + "/windows", "expected an array, found " + typeName(ws)};
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
  requireObject(c, at, {"instances", "pid", "refuses_quit", "notifies", "hangs", "ax", "script"});
  SimClientState state;
  if (c.contains("instances")) state.instances = integer(c["instances"], at + "/instances", 0, 64);
  if (c.contains("pid")) {
    state.pid = static_cast<int32_t>(integer(c["pid"], at + "/pid", 1, INT32_MAX - 64));
  }
  if (c.contains("refuses_quit"))
    state.refusesQuit = boolean(c["refuses_quit"], at + "/refuses_quit");
  if (c.contains("notifies")) state.notifies = boolean(c["notifies"], at + "/notifies");
  if (c.contains("hangs")) state.hangs = boolean(c["hangs"], at + "/hangs");
  if (c.contains("ax")) state.ax = windowList(c["ax"], at + "/ax");
  if (c.contains("script")) state.script = listingAnswer(c["script"], at + "/script");
  return state;
}

SimLoginItem loginItem(const json& j, const std::string& at) {
  const std::optional<SimLoginItem> item = loginItemNamed(string(j, at));
  if (!item) {
    throw Invalid{at,
                  "expected \"off\", \"on\", \"needs-approval\", \"not-found\" or "
                  "\"unavailable\", found " +
                      j.dump()};
  }
  return *item;
}

NotificationStatus notifications(const json& j, const std::string& at) {
  const std::optional<NotificationStatus> status = notificationStatusNamed(string(j, at));
  if (!status) {
    throw Invalid{at, "expected \"not-asked\", \"allowed\", \"denied\" or \"unavailable\", found " +
                          j.dump()};
  }
  return *status;
}

PromptAnswer promptAnswer(const json& j) {
  const std::optional<PromptAnswer> answer = promptAnswerNamed(string(j, "/notifications_answer"));
  if (!answer) {
    throw Invalid{"/notifications_answer",
                  "expected \"allow\", \"deny\" or \"ignore\", found " + j.dump()};
  }
  return *answer;
}

// One of the two texts, as a boolean: true for `yes`.
bool either(const json& j, const std::string& at, const char* yes, const char* no) {
  const std::string text = string(j, at);
  if (text != yes && text != no) {
    throw Invalid{at, std::string("expected \"") + yes + "\" or \"" + no + "\", found " + j.dump()};
  }
  return text == yes;
}

ScenarioEvent event(const json& e, const std::string& at) {
  requireObject(e, at, {"at", "client", "click", "key", "login_item", "menu", "notifications"});
  if (!e.contains("at")) throw Invalid{at, "missing \"at\""};
  ScenarioEvent ev;
  ev.at = time(e["at"], at + "/at");
  const int kinds =
      static_cast<int>(e.contains("client")) + static_cast<int>(e.contains("click")) +
      static_cast<int>(e.contains("key")) + static_cast<int>(e.contains("login_item")) +
      static_cast<int>(e.contains("menu")) + static_cast<int>(e.contains("notifications"));
  if (kinds != 1) {
    throw Invalid{at,
                  "expected exactly one of \"client\", \"click\", \"key\", \"login_item\", "
                  "\"menu\", \"notifications\""};
  }
  if (e.contains("menu")) {
    ev.kind = ScenarioEvent::Kind::kMenu;
    ev.menuOpen = either(e["menu"], at + "/menu", "open", "close");
  } else if (e.contains("notifications")) {
    ev.kind = ScenarioEvent::Kind::kNotifications;
    ev.notifications = notifications(e["notifications"], at + "/notifications");
  } else if (e.contains("login_item")) {
    ev.kind = ScenarioEvent::Kind::kLoginItem;
    ev.loginItem = loginItem(e["login_item"], at + "/login_item");
  } else if (e.contains("client")) {
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

// How deep arrays and objects may nest. The format itself nests 8 deep (the root, "events", an
// event, "client", "ax", "windows", a window, its "size"); the parser's state and the reader's
// grow with the nesting, so a deeper document is refused where it gets too deep.
constexpr int kMaxNesting = 64;

// Members an object keeps while it is read, and elements an array (other than "windows")
// keeps: the smallest keys in byte order, the first elements. No object of the format has as
// many keys, so one with more holds an unknown key, and the smallest of those, the one refused,
// is kept; no array of the format but "windows" has as many elements.
constexpr std::size_t kMaxMembers = 16;

// The keys of one object, each held once, in a few bytes more than its text: an object may have
// hundreds of thousands (of which only the smallest are kept as members, see kMaxMembers), and
// each must be told apart from all the others to find one given twice.
class KeySet {
 public:
  // False when `key` is in the set already.
  bool insert(std::string_view key) {
    if ((count_ + 1) * 2 > slots_.size()) rehash(std::max<std::size_t>(8, slots_.size() * 2));
    uint32_t& slot = slots_[find(key)];
    if (slot != 0) return false;
    slot = static_cast<uint32_t>(text_.size()) + 1;
    append(key);
    ++count_;
    return true;
  }

 private:
  // Each key as its length (4 bytes) and its bytes; a scenario is far below 4 GiB.
  void append(std::string_view key) {
    const auto length = static_cast<uint32_t>(key.size());
    text_.append(reinterpret_cast<const char*>(&length), sizeof length).append(key);
  }
  [[nodiscard]] std::string_view keyAt(uint32_t slot) const {
    uint32_t length = 0;
    std::memcpy(&length, text_.data() + slot - 1, sizeof length);
    return std::string_view(text_).substr(slot - 1 + sizeof length, length);
  }
  // The slot of `key`, or the empty one where it would go.
  [[nodiscard]] std::size_t find(std::string_view key) const {
    std::size_t i = std::hash<std::string_view>{}(key) & (slots_.size() - 1);
    while (slots_[i] != 0 && keyAt(slots_[i]) != key) i = (i + 1) & (slots_.size() - 1);
    return i;
  }
  void rehash(std::size_t size) {
    std::vector<uint32_t> old = std::exchange(slots_, std::vector<uint32_t>(size, 0));
    for (const uint32_t slot : old) {
      if (slot != 0) slots_[find(keyAt(slot))] = slot;
    }
  }

  std::string text_;
  std::vector<uint32_t> slots_;  // open addressing: 1 + the key's offset in text_, or 0
  std::size_t count_ = 0;
};

// A JSON pointer's token for `key` ("~" and "/" escaped), after a "/".
void appendToken(std::string& pointer, std::string_view key) {
  pointer += '/';
  for (const char c : key) {
    if (c == '~') {
      pointer += "~0";
    } else if (c == '/') {
      pointer += "~1";
    } else {
      pointer += c;
    }
  }
}

// What a container inside an event is to the reader. Only the format's own containers are
// built; of anything else (an attribute of another type, a value of the wrong type, the value
// of an unknown key) only the type counts, and a container there is kept empty. A key whose
// value is an object or array of the format needs its row here.
enum class Role { kEvent, kClient, kAx, kWindows, kWindow, kSize, kScript, kOther };

Role roleOf(Role parent, std::string_view key) {
  switch (parent) {
    case Role::kEvent:
      return key == "client" ? Role::kClient : Role::kOther;
    case Role::kClient:
      if (key == "ax") return Role::kAx;
      return key == "script" ? Role::kScript : Role::kOther;
    case Role::kAx:
      return key == "windows" ? Role::kWindows : Role::kOther;
    case Role::kWindows:
      return Role::kWindow;
    case Role::kWindow:
      return key == "size" ? Role::kSize : Role::kOther;
    default:
      return Role::kOther;
  }
}

// The text as the parser reads it, a character at a time, telling the reader how far it got:
// when the parser reports an opening bracket, its last character read is that bracket.
class TrackedText {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  TrackedText(const char* at, const char** reached) : at_(at), reached_(reached) {}
  reference operator*() const { return *at_; }
  TrackedText& operator++() {
    *reached_ = ++at_;
    return *this;
  }
  TrackedText operator++(int) {
    TrackedText before = *this;
    ++*this;
    return before;
  }
  friend bool operator==(const TrackedText& a, const TrackedText& b) { return a.at_ == b.at_; }

 private:
  const char* at_;
  const char** reached_;
};

// How many objects the array opening at `open` holds at its top level: the windows to make
// room for, so that they are never moved to a larger room while read. Counted before the parser
// has checked the text; the count of a broken array only makes room that goes unused.
std::size_t objectsIn(std::string_view text, std::size_t open) {
  std::size_t objects = 0;
  int depth = 0;
  bool inString = false;
  for (std::size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (depth++ == 1 && c == '{') ++objects;
    } else if ((c == ']' || c == '}') && --depth == 0) {
      break;
    }
  }
  return objects;
}

// Reads the scenario as the parser goes, into its final form: the root object's members one at
// a time, and each event of "events" as a small tree of its own, checked and converted as soon
// as it is whole and then dropped. Its windows are converted one by one as each is whole, and
// kept only in their final form. No tree of the whole file, or of a whole event, is ever held,
// and nesting is limited: what is held beyond the final form is bounded.
//
// A refusal is the first of: a syntax error, or nesting deeper than kMaxNesting, wherever it is;
// the root's type; a root key given twice; the root's first unknown key in byte order; "start";
// the events in file order; "until", "login_item", "other_tracker", "notifications",
// "notifications_answer", "history". An event is refused for the
// first key given twice in any of its objects or the first invalid window, in file order, and
// otherwise as a check of its whole tree would refuse it.
class ScenarioReader {
 public:
  explicit ScenarioReader(std::string_view text) : text_(text), reached_(text.data()) {}

  // nlohmann's SAX interface; every call goes on, so that a syntax error later in the text is
  // still found, except where nesting gets too deep.
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

  // Reads `text` with nlohmann's parser.
  void parse();
  // After the whole text: the scenario, or what is wrong with it.
  [[nodiscard]] ScenarioResult result();

 private:
  // Where the parser is, outside the value being read.
  enum class Place { kTop, kRoot, kEvents, kAfter };
  // A container of the event being built.
  struct Frame {
    json* container;
    Role role;
  };
  // Any container of the event, built or only followed: where in it the reader is, and the
  // keys of an object so far.
  struct Step {
    explicit Step(bool isObject) : object(isObject) {}
    bool object;
    std::string key;           // an object's member being read
    std::size_t elements = 0;  // an array's elements begun
    KeySet keys;
  };

  bool scalar(json value);
  bool open(json container);
  bool close();
  void rootKey(std::string name);
  void openInside(json container);
  void closeInside();
  // Adds to the value being built, inside its innermost open container; nothing when the
  // value is not kept there.
  json* add(json value);
  // Whether the member named key_ is kept in `object`.
  bool keepsMember(json& object);
  void windowWhole(const json& window);
  // A value begins inside the event: the next element of an array.
  void begin();
  // The pointer of the member or element being read in the event, at every depth.
  [[nodiscard]] std::string pointer() const;
  [[nodiscard]] std::string windowPointer() const;
  // A whole value: a member of the root object or an event.
  void whole(json value);
  void member(json value);
  void event(const json& value);

  // The offset of the last character the parser read.
  [[nodiscard]] std::size_t lastRead() const {
    return static_cast<std::size_t>(reached_ - text_.data()) - 1;
  }

  std::string_view text_;
  const char* reached_;  // one past the last character the parser read
  Place place_ = Place::kTop;
  int nesting_ = 0;                     // of the whole document
  std::optional<std::size_t> tooDeep_;  // where it got too deep
  // The value being read: how many of its containers are still open (0 between values), and
  // whether it is built or only followed to its end.
  int depth_ = 0;
  bool build_ = false;
  json value_;
  std::vector<Frame> open_;
  int skipped_ = 0;         // containers open inside the built value that are followed, not built
  std::vector<Step> path_;  // every container of the event that is open, the event first
  std::string key_;         // the key of the next member of open_.back()
  bool keep_ = true;        // whether that member is kept

  // The event being built: the window being read, the windows so far, and its first key given
  // twice or invalid window.
  json window_;
  std::size_t windowIndex_ = 0;
  std::vector<SimWindow> windows_;
  std::optional<Invalid> problem_;

  std::string member_;  // the root member being read
  KeySet rootKeys_;
  std::optional<Invalid> rootType_;
  std::optional<Invalid> rootDuplicate_;
  std::optional<std::string> unknownKey_;  // the first in byte order
  std::optional<json> start_;
  std::optional<json> until_;
  std::optional<json> loginItem_;
  std::optional<json> otherTracker_;
  std::optional<json> notifications_;
  std::optional<json> notificationsAnswer_;
  std::optional<json> history_;
  std::vector<ScenarioEvent> events_;
  std::size_t eventIndex_ = 0;
  double lastAt_ = 0.0;
  std::optional<Invalid> eventsError_;

  std::optional<std::string> syntax_;  // the parser's message
  std::optional<std::size_t> syntaxByte_;
};

bool ScenarioReader::key(std::string& name) {
  if (depth_ == 0) {
    rootKey(std::move(name));
    return true;
  }
  if (!build_) return true;
  Step& step = path_.back();
  step.key = name;
  if (!step.keys.insert(name) && !problem_) {
    problem_ = Invalid{pointer(), "key \"" + name + "\" given twice"};
  }
  if (skipped_ > 0) return true;
  key_ = std::move(name);
  keep_ = keepsMember(*open_.back().container);
  return true;
}

void ScenarioReader::rootKey(std::string name) {
  member_ = std::move(name);
  if (!rootKeys_.insert(member_) && !rootDuplicate_) {
    std::string at;
    appendToken(at, member_);
    rootDuplicate_ = Invalid{std::move(at), "key \"" + member_ + "\" given twice"};
  }
  if (member_ == "events") {
    events_.clear();
    eventIndex_ = 0;
    lastAt_ = 0.0;
    eventsError_.reset();
  } else if (member_ != "start" && member_ != "until" && member_ != "login_item" &&
             member_ != "other_tracker" && member_ != "notifications" &&
             member_ != "notifications_answer" && member_ != "history" &&
             (!unknownKey_ || member_ < *unknownKey_)) {
    unknownKey_ = member_;
  }
}

// Of more than kMaxMembers keys only the smallest are kept (see kMaxMembers); a key given twice
// (a problem of the event, found in key()) keeps its first value.
bool ScenarioReader::keepsMember(json& object) {
  if (object.contains(key_)) return false;
  if (object.size() < kMaxMembers) return true;
  const auto last = std::prev(object.end());
  if (key_ >= last.key()) return false;
  object.erase(last);
  return true;
}

json* ScenarioReader::add(json value) {
  json& container = *open_.back().container;
  if (container.is_array()) {
    if (container.size() >= kMaxMembers) return nullptr;
    container.push_back(std::move(value));
    return &container.back();
  }
  if (!keep_) return nullptr;
  json& slot = container[key_];
  slot = std::move(value);
  return &slot;
}

void ScenarioReader::begin() {
  if (!path_.back().object) ++path_.back().elements;
}

std::string ScenarioReader::pointer() const {
  std::string at = "/events/" + std::to_string(eventIndex_);
  for (const Step& step : path_) {
    if (step.object) {
      appendToken(at, step.key);
    } else {
      at += "/" + std::to_string(step.elements - 1);
    }
  }
  return at;
}

bool ScenarioReader::scalar(json value) {
  if (depth_ > 0) {
    if (!build_) return true;
    begin();
    if (skipped_ > 0) return true;
    if (open_.back().role == Role::kWindows) {
      windowWhole(value);
    } else {
      add(std::move(value));
    }
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
  if (++nesting_ > kMaxNesting) {
    tooDeep_ = lastRead();
    return false;
  }
  if (depth_ > 0) {
    ++depth_;
    if (build_) {
      begin();
      path_.emplace_back(container.is_object());
      openInside(std::move(container));
    }
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
  path_.clear();
  if (build_) path_.emplace_back(container.is_object());
  value_ = std::move(container);
  open_.assign(1, Frame{&value_, Role::kEvent});
  windowIndex_ = 0;
  return true;
}

void ScenarioReader::openInside(json container) {
  if (skipped_ > 0 || (open_.back().container->is_object() && !keep_)) {
    ++skipped_;
    return;
  }
  const Role role = roleOf(open_.back().role, key_);
  if (role == Role::kWindow && container.is_object() && !problem_) {
    window_ = std::move(container);
    open_.push_back(Frame{&window_, role});
    return;
  }
  if (role == Role::kWindow) {
    if (!problem_) windowWhole(container);
    ++skipped_;
    return;
  }
  json* added = add(std::move(container));
  if (role == Role::kOther || added == nullptr) {
    ++skipped_;
    return;
  }
  if (role == Role::kWindows) windows_.reserve(objectsIn(text_, lastRead()));
  open_.push_back(Frame{added, role});
}

bool ScenarioReader::close() {
  --nesting_;
  if (depth_ == 0) {
    place_ = place_ == Place::kEvents ? Place::kRoot : Place::kAfter;
    return true;
  }
  if (build_) {
    closeInside();
    path_.pop_back();
  }
  if (--depth_ == 0) whole(std::move(value_));
  return true;
}

void ScenarioReader::closeInside() {
  if (skipped_ > 0) {
    --skipped_;
    return;
  }
  const Role role = open_.back().role;
  open_.pop_back();
  if (role == Role::kWindow) {
    windowWhole(window_);
    window_ = json();
  }
}

void ScenarioReader::windowWhole(const json& window) {
  const std::string at = windowPointer();
  ++windowIndex_;
  if (problem_) return;
  try {
    windows_.push_back(sim::window(window, at));
  } catch (const Invalid& e) {
    problem_ = e;
    windows_.clear();
  }
}

std::string ScenarioReader::windowPointer() const {
  return "/events/" + std::to_string(eventIndex_) + "/client/ax/windows/" +
         std::to_string(windowIndex_);
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
  } else if (member_ == "login_item") {
    loginItem_ = std::move(value);
  } else if (member_ == "other_tracker") {
    otherTracker_ = std::move(value);
  } else if (member_ == "notifications") {
    notifications_ = std::move(value);
  } else if (member_ == "notifications_answer") {
    notificationsAnswer_ = std::move(value);
  } else if (member_ == "history") {
    history_ = std::move(value);
  } else if (member_ == "events") {
    eventsError_ = Invalid{"/events", "expected an array, found " + typeName(value)};
  }
}

// The client of `event` with the windows read for it: they were read as its "windows", the
// only key of "ax" in a valid event.
void attachWindows(ScenarioEvent& event, std::vector<SimWindow> windows) {
  if (windows.empty()) return;
  auto client = std::make_shared<SimClientState>(*event.client);
  client->ax.windows = std::move(windows);
  event.client = std::move(client);
}

void ScenarioReader::event(const json& value) {
  const std::size_t index = eventIndex_++;
  std::optional<Invalid> problem = std::exchange(problem_, std::nullopt);
  std::vector<SimWindow> windows = std::exchange(windows_, {});
  if (eventsError_) return;
  try {
    if (problem) throw *problem;
    events_.push_back(sim::event(value, "/events/" + std::to_string(index)));
    attachWindows(events_.back(), std::move(windows));
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

void ScenarioReader::parse() {
  const TrackedText end(text_.data() + text_.size(), &reached_);
  (void)json::sax_parse(TrackedText(text_.data(), &reached_), end, this);
}

ScenarioResult ScenarioReader::result() {
  const std::string_view text = text_;
  if (syntax_ && syntaxByte_) {
    // The byte is one past the offending character; what() reads "[json.exception...] parse
    // error at line L, column C: <what is wrong>".
    const std::size_t offset = *syntaxByte_ > 0 ? *syntaxByte_ - 1 : 0;
    std::string message = *syntax_;
    const auto column = message.find("column ");
    const auto colon = message.find(": ", column == std::string::npos ? 0 : column);
    if (colon != std::string::npos) message = message.substr(colon + 2);
    return SimError{lineAndColumn(text, offset), message};
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
    return SimError{position, message};
  }
  if (tooDeep_) {
    return SimError{lineAndColumn(text, *tooDeep_),
                    "arrays and objects nested more than " + std::to_string(kMaxNesting) + " deep"};
  }
  try {
    if (rootType_) throw *rootType_;
    if (rootDuplicate_) throw *rootDuplicate_;
    if (unknownKey_) throw Invalid{"/" + *unknownKey_, "unknown key \"" + *unknownKey_ + "\""};
    Scenario s;
    if (start_) s.start = moment(*start_, "/start");
    if (eventsError_) throw *eventsError_;
    s.events = std::move(events_);
    s.until = until_ ? time(*until_, "/until") : lastAt_ + 5.0;
    if (loginItem_) s.loginItem = loginItem(*loginItem_, "/login_item");
    if (otherTracker_) s.otherTracker = sim::boolean(*otherTracker_, "/other_tracker");
    if (notifications_) s.notifications = notifications(*notifications_, "/notifications");
    if (notificationsAnswer_) s.notificationsAnswer = promptAnswer(*notificationsAnswer_);
    if (history_) s.history = sim::boolean(*history_, "/history");
    return s;
  } catch (const Invalid& e) {
    return SimError{e.pointer.empty() ? "/" : e.pointer, e.message};
  }
}

}  // namespace

ScenarioResult parseScenario(std::string_view text) {
  // The parser takes a NUL byte for the end of its input, and would accept a scenario followed
  // by one and anything at all. JSON allows no NUL byte anywhere, not even inside a string.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    return SimError{lineAndColumn(text, nul), "unexpected NUL byte; JSON text holds none"};
  }
  ScenarioReader reader(text);
  reader.parse();
  return reader.result();
}

}  // namespace velmora::sim
