// Window classification: which of one scan's windows are remote sessions, under which names.
// Plain logic over data; its only lasting state is the caller's SessionNameCache.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "detect/tracker_state.h"
#include "detect/win_info.h"

namespace velmora {

inline constexpr double kMinimumSide = 200.0;
inline constexpr double kLargeSessionWidth = 1100.0;
inline constexpr double kLargeSessionHeight = 800.0;
inline constexpr double kFullScreenWidth = 1400.0;
inline constexpr std::string_view kBackgroundSubrole = "AXUnknown";
inline constexpr std::string_view kDesktopSuffix = " (Desktop)";

struct Classification {
  std::vector<std::string> names;  // no two equivalent entries
  int64_t unnamedCount = 0;
  // The kDesktopPlaceholderNames entries whose window was taken for the idle connection
  // panel, once each, in window order. The merge must not bring these back as desktops.
  std::vector<std::string> idlePanels;
};

// True for titles that are never sessions: the trimmed title is one of kExcludedNames, or its
// upper-cased form contains an upper-cased entry of kExcludedSubstrings.
[[nodiscard]] bool isExcludedTitle(std::string_view title);

// The kDesktopPlaceholderNames entry that `title` equals (canonically), if any.
[[nodiscard]] std::optional<std::string_view> placeholderName(std::string_view title);

// Classifies one scan's windows in list order, appending one report line per decided window to
// `report`, and fills or empties `cache`.
[[nodiscard]] Classification classifyWindows(const std::vector<WinInfo>& windows,
                                             std::string& report, SessionNameCache& cache);

}  // namespace velmora
