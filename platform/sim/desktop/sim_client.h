// The simulated Windows App as plain data: its instances and process id, its windows with
// every attribute as the client would report it (or fail to), and how "System Events" answers
// the listing script. The desktop plays it; the scenario format reads and writes it.
#pragma once

#include <cstdint>
#include <string>
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
  // Whether the client announces a change of its windows to a watch of its process. Its
  // launches and quits are announced by the workspace either way.
  bool notifies = true;
  // It answers nothing (a stuck connection, a modal loop): every Accessibility read of it waits
  // for its time-out, and so does a listing, which "System Events" asks it for.
  bool hangs = false;
  SimWindowList ax;
  SimListingAnswer script;

  friend bool operator==(const SimClientState&, const SimClientState&) = default;
};

// The state the client is in before anything happens: not running.
[[nodiscard]] inline SimClientState notRunning() {
  SimClientState state;
  state.instances = 0;
  return state;
}

}  // namespace velmora::sim
