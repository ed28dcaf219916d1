// The tracker's fixed configuration: the watched client, the poll interval, the title colours,
// the tables of window titles that are never sessions, and the state paths under a home
// directory. Nothing here is read at run time from a command line, environment or file.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::string_view kBundleID = "com.microsoft.rdc.macos";
inline constexpr std::string_view kAppName = "Windows App";
// The tracker's own bundle identifier, which is also the Label of its LaunchAgent.
inline constexpr std::string_view kTrackerBundleID = "com.velmora.session-tracker";
inline constexpr double kPoll = 5.0;
// The poll timer may fire this much late: Apple's energy guide asks for 10 % of the interval.
inline constexpr double kPollTolerance = kPoll / 10;
// System Settings, Privacy & Security, at the Accessibility list.
inline constexpr std::string_view kAccessibilitySettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

// A colour as the presenters need it: either RGB components or one of the platform's named
// colours (whose components here are only a stand-in for platforms without that colour).
struct Color {
  enum class Kind { kRgb, kGray, kSecondaryLabel, kSystemRed };
  Kind kind = Kind::kRgb;
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double alpha = 1.0;

  friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kBlue{Color::Kind::kRgb, 0.29, 0.62, 1.0, 1.0};
inline constexpr Color kGray{Color::Kind::kGray, 0.5, 0.5, 0.5, 1.0};
inline constexpr Color kSecondaryLabel{Color::Kind::kSecondaryLabel, 0.55, 0.55, 0.55, 1.0};
inline constexpr Color kSystemRed{Color::Kind::kSystemRed, 1.0, 0.23, 0.19, 1.0};

inline constexpr std::array<std::string_view, 2> kDesktopPlaceholderNames = {"Devices",
                                                                             "RemoteApps"};

inline constexpr std::array<std::string_view, 7> kExcludedNames = {
    "Connection Center", "Options", "Preferences", "About", "-", "", "Velmora Session Tracker"};

// Walked in this order; several entries contain others and all stay.
inline constexpr std::array<std::string_view, 11> kExcludedSubstrings = {
    "Cicero",      "CiceroUIWndFrame", "MSCTFIME", "FloatingLangBar", "TF_FloatingLangBar",
    "Default IME", "MSCTFIME UI",      "IME_",     "UIWndFrame",      "CTF",
    "TSF_"};

// The three state paths with "~" expanded once, for one home directory, and where the
// tracker's LaunchAgent lives.
struct StatePaths {
  std::string kStateDir;
  std::string kStateFile;
  std::string kDebugFile;
  // ~/Library/LaunchAgents/com.velmora.session-tracker.plist
  std::string kLaunchAgentFile;
  // The session history: ~/Library/Application Support/Velmora Session Tracker, where an app
  // keeps its own data (~/.cache may be purged), and history.sqlite3 in it.
  std::string kHistoryDir;
  std::string kHistoryFile;
  // ~/Downloads, where the history's CSV export goes.
  std::string kDownloadsDir;

  // `home` is the user's home directory; tests pass a temporary one.
  [[nodiscard]] static StatePaths forHome(std::string_view home);
};

// The two files the tracker writes in kStateDir: kStateFile and kDebugFile.
enum class StateFile { kSessionStart, kDebugReport };

// Replaces a leading "~" of `path` (alone or before "/") by `home`; other paths are unchanged.
[[nodiscard]] std::string expandTilde(std::string_view path, std::string_view home);

}  // namespace velmora
