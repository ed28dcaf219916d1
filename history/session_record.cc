#include "history/session_record.h"

#include <array>
#include <utility>

namespace velmora {
namespace {

constexpr std::array<std::pair<EndReason, std::string_view>, 5> kReasons = {{
    {EndReason::kGone, "gone"},
    {EndReason::kClientQuit, "client-quit"},
    {EndReason::kQuitRequested, "quit-requested"},
    {EndReason::kTrackerQuit, "tracker-quit"},
    {EndReason::kUnknownAfterCrash, "unknown-after-crash"},
}};

}  // namespace

std::string_view endReasonName(EndReason reason) {
  for (const auto& [r, name] : kReasons) {
    if (r == reason) return name;
  }
  return "";
}

std::optional<EndReason> endReasonNamed(std::string_view name) {
  for (const auto& [r, n] : kReasons) {
    if (n == name) return r;
  }
  return std::nullopt;
}

std::string_view historyWriteName(HistoryWrite::Kind kind) {
  switch (kind) {
    case HistoryWrite::Kind::kStart:
      return "start";
    case HistoryWrite::Kind::kEnd:
      return "end";
    case HistoryWrite::Kind::kHeartbeat:
      return "heartbeat";
    case HistoryWrite::Kind::kClosedAfterCrash:
      return "closed-after-crash";
  }
  return "";
}

}  // namespace velmora
