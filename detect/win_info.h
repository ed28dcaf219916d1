// One client window as read through Accessibility.
#pragma once

#include <string>

namespace velmora {

struct WinSize {
  double width = 0.0;
  double height = 0.0;

  friend bool operator==(const WinSize&, const WinSize&) = default;
};

// A field the window does not supply keeps its default: "", 0 x 0, false.
struct WinInfo {
  std::string title;
  std::string subRole;
  WinSize size;
  bool minimized = false;
};

}  // namespace velmora
