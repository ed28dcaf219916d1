// What the status item shows: one or two styled runs of text, decided from one detection result
// alone. The presenter appends the runs in order to an empty attributed title.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/config.h"
#include "detect/session_info.h"
#include "ui/style.h"

namespace velmora {

struct TitleRun {
  std::string text;
  double fontSize = 13.0;
  FontWeight weight = FontWeight::kRegular;
  Color color;

  friend bool operator==(const TitleRun&, const TitleRun&) = default;
};

// Names of this many user-perceived characters or more are cut for the title.
inline constexpr std::size_t kTitleNameLimit = 21;
// What is kept of a cut name, before "…".
inline constexpr std::size_t kTitleNameKept = 18;

// Not running: "RDP ○" in gray. Running without sessions: "RDP ●" in blue. Otherwise
// "RDP <count>● " in blue, then the first name (cut to 18 characters and "…" from 21 on) in
// the smaller regular font, unless there are no names or the first one is empty. `running` is
// decided first: a stale count never shows while the client is gone.
[[nodiscard]] std::vector<TitleRun> titleRuns(const SessionInfo& info);

// `name` as the title shows it.
[[nodiscard]] std::string titleName(const std::string& name);

// The title in words, for VoiceOver: "Windows App not running", "Windows App running, no
// sessions", "2 remote sessions, first: Office PC", or without a usable first name just "1 remote
// session". The same cases as titleRuns, decided in the same order; the first name is given
// whole, since a spoken label has no width to fit.
[[nodiscard]] std::string titleAccessibilityLabel(const SessionInfo& info);

}  // namespace velmora
