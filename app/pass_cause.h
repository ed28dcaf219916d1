// Why a detection pass ran. The delegate tells its pass observer; velmora-sim prints it.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

enum class PassCause : uint8_t {
  kLaunch,        // the one refresh at launch
  kTimer,         // the repeating timer
  kChange,        // the client said that something changed (a notification), a moment ago
  kRefresh,       // the Refresh menu item
  kCopy,          // Copy Debug Info: a pass that redraws nothing
  kQuitFollowUp,  // the refresh after Quit Windows App
};

// The cause in one word, as velmora-sim prints it.
[[nodiscard]] constexpr std::string_view passCauseName(PassCause cause) {
  switch (cause) {
    case PassCause::kLaunch:
      return "launch";
    case PassCause::kTimer:
      return "timer";
    case PassCause::kChange:
      return "change";
    case PassCause::kRefresh:
      return "refresh";
    case PassCause::kCopy:
      return "copy";
    case PassCause::kQuitFollowUp:
      break;
  }
  return "quit-follow-up";
}

}  // namespace velmora
