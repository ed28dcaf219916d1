// A scenario for the simulated desktop: what the client does over time and what the user
// chooses from the menu. Read from JSON; see the README for the format.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "detect/win_info.h"

namespace velmora::sim {

// One window attribute as the client would report it: unreadable, or a value of some type.
struct SimAttribute {
  enum class Kind { kMissing, kText, kBool, kSize, kOther };
  Kind kind = Kind::kMissing;
  bool flag = false;  // beside `kind`, not after `text`: no padding in many windows
  std::string text;
  WinSize size;

  static SimAttribute missing() { return {}; }
  static SimAttribute ofText(std::string t) { return {Kind::kText, false, std::move(t), {}}; }
  static SimAttribute ofBool(bool b) { return {Kind::kBool, b, {}, {}}; }
  static SimAttribute ofSize(double w, double h) { return {Kind::kSize, false, {}, {w, h}}; }
  static SimAttribute other() { return {Kind::kOther, false, {}, {}}; }

  friend bool operator==(const SimAttribute&, const SimAttribute&) = default;
};

struct SimWindow {
  SimAttribute title;
  SimAttribute subrole;
  SimAttribute size;
  SimAttribute minimized;

  friend bool operator==(const SimWindow&, const SimWindow&) = default;
};

// What reading the window list gives. The windows are the client's even when reading them
// fails (the listing script still names them): a refusal keeps the tracker from reading them,
// it does not close them.
struct SimWindowList {
  enum class Kind { kWindows, kError, kNotAList };
  Kind kind = Kind::kWindows;
  int32_t error = 0;
  std::vector<SimWindow> windows;

  friend bool operator==(const SimWindowList&, const SimWindowList&) = default;
};

// How "System Events" answers the listing script.
struct SimListingAnswer {
  enum class Kind { kFromWindows, kText, kNoText, kError, kNoScriptObject };
  Kind kind = Kind::kFromWindows;
  std::string text;  // the returned text, or the error description

  friend bool operator==(const SimListingAnswer&, const SimListingAnswer&) = default;
};

struct SimClientState {
  int64_t instances = 1;
  int32_t pid = 1000;
  bool refusesQuit = false;
  SimWindowList ax;
  SimListingAnswer script;

  friend bool operator==(const SimClientState&, const SimClientState&) = default;
};

struct ScenarioEvent {
  enum class Kind { kClient, kClick, kKey };
  double at = 0.0;
  Kind kind = Kind::kClient;
  // kClient: the state, never null there; shared, not copied, by whatever applies it.
  std::shared_ptr<const SimClientState> client;
  std::string choice;  // the title (kClick) or key (kKey)
};

struct Scenario {
  std::optional<double> start;  // virtual moment of time 0; absent: now
  double until = 5.0;
  std::vector<ScenarioEvent> events;  // in file order
};

struct ScenarioError {
  std::string position;  // "line L, column C" or a JSON pointer such as "/events/2/at"
  std::string message;
};

using ScenarioResult = std::variant<Scenario, ScenarioError>;

[[nodiscard]] ScenarioResult parseScenario(std::string_view json);

// The state the client is in before any scenario event: not running.
[[nodiscard]] SimClientState notRunning();

}  // namespace velmora::sim
