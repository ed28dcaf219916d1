#include "app/config.h"

namespace velmora {
namespace {

constexpr std::string_view kStateDirLiteral = "~/.cache/velmora_session_tracker";
constexpr std::string_view kStateFileLiteral = "~/.cache/velmora_session_tracker/session_start";
constexpr std::string_view kDebugFileLiteral = "~/.cache/velmora_session_tracker/debug.log";
constexpr std::string_view kLaunchAgentLiteral =
    "~/Library/LaunchAgents/com.velmora.session-tracker.plist";
constexpr std::string_view kHistoryDirLiteral =
    "~/Library/Application Support/Velmora Session Tracker";
constexpr std::string_view kHistoryFileLiteral =
    "~/Library/Application Support/Velmora Session Tracker/history.sqlite3";
constexpr std::string_view kDownloadsLiteral = "~/Downloads";

std::string_view withoutTrailingSlashes(std::string_view home) {
  while (home.size() > 1 && home.back() == '/') home.remove_suffix(1);
  return home;
}

}  // namespace

std::string expandTilde(std::string_view path, std::string_view home) {
  if (path.empty() || path[0] != '~' || (path.size() > 1 && path[1] != '/')) {
    return std::string(path);
  }
  home = withoutTrailingSlashes(home);
  std::string_view rest = path.substr(1);
  // "/" as home must not give "//.cache".
  if (home == "/" && !rest.empty()) home = "";
  return std::string(home) + std::string(rest);
}

StatePaths StatePaths::forHome(std::string_view home) {
  return StatePaths{expandTilde(kStateDirLiteral, home),   expandTilde(kStateFileLiteral, home),
                    expandTilde(kDebugFileLiteral, home),  expandTilde(kLaunchAgentLiteral, home),
                    expandTilde(kHistoryDirLiteral, home), expandTilde(kHistoryFileLiteral, home),
                    expandTilde(kDownloadsLiteral, home)};
}

}  // namespace velmora
