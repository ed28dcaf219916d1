// Window classification: which of one scan's windows are remote sessions, under which names.
// Plain logic over data; its only lasting state is the caller's SessionNameCache.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "detect/title_rules.h"
#include "detect/tracker_state.h"
#include "detect/win_info.h"

namespace velmora {

inline constexpr double kMinimumSide = 200.0;
inline constexpr double kLargeSessionWidth = 1100.0;
inline constexpr double kLargeSessionHeight = 800.0;
// A placeholder-titled window at least this wide, when nothing else was found, is a full-screen
// desktop; a narrower one the idle connection panel.
inline constexpr double kFullScreenMinWidth = 1400.0;
inline constexpr std::string_view kBackgroundSubrole = "AXUnknown";
inline constexpr std::string_view kDesktopSuffix = " (Desktop)";

// What the classification made of one window. Exactly one per window, set where it decides.
enum class WindowVerdict : uint8_t {
  kPassedOver,  // untitled without the background subrole, or minimised
  kSession,
  kUnnamedBackground,
  kExcludedName,  // the trimmed title is one of kExcludedNames
  kInputMethod,   // the title holds a kExcludedSubstrings fragment
  kTooSmall,
  // A placeholder-titled window named as a desktop, from the cache or as the placeholder with
  // kDesktopSuffix: full-screen when no session was found, else beside the sessions.
  kFullScreenDesktopCached,
  kFullScreenDesktopPlaceholder,
  kDesktopCached,
  kDesktopPlaceholder,
  kIdlePanel,  // a narrower placeholder-titled window when no session was found
};

// A short lower-case name of `verdict` for displays and logs, in the report's words:
// "session", "full-screen desktop (cached)", "idle connection panel", "passed over", ...
[[nodiscard]] std::string_view verdictName(WindowVerdict verdict);

// Narrower or lower than kMinimumSide: never a session, nor a desktop.
[[nodiscard]] inline bool isSmallWindow(const WinInfo& w) {
  return w.size.width < kMinimumSide || w.size.height < kMinimumSide;
}

// What the first pass makes of one window on its own: kSession, kUnnamedBackground, kTooSmall,
// kExcludedName, kInputMethod, or kPassedOver (also for a placeholder-titled window of at least
// the minimum size, which the second pass decides from what the first found).
[[nodiscard]] WindowVerdict firstPassVerdict(const WinInfo& w);

struct Classification {
  std::vector<std::string> names;  // no two equivalent entries
  int64_t unnamedCount = 0;
  // The kDesktopPlaceholderNames entries whose window was taken for the idle connection
  // panel, once each, in window order. The merge must not bring these back as desktops.
  std::vector<std::string> idlePanels;
  // One per window, in window order.
  std::vector<WindowVerdict> verdicts;
};

// Classifies one scan's windows in list order, appending one report line per decided window to
// `report`, and fills or empties `cache`. Each title is tested once.
[[nodiscard]] Classification classifyWindows(const std::vector<WinInfo>& windows,
                                             std::string& report, SessionNameCache& cache);

}  // namespace velmora
