// The notes posted when sessions end while Windows App keeps running.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "ui/session_times.h"

namespace velmora {

struct EndNote {
  std::string title;
  std::string body;
};

// At most this many sessions that end at one pass get a note each.
inline constexpr std::size_t kNotesPerPass = 3;
// The names a note for more sessions than that gives before "…".
inline constexpr std::size_t kNamesInCountedNote = 2;

// The notes for the sessions that ended at one pass: for up to kNotesPerPass one each, titled
// with its name, "Session ended after 45s" ("≥ " before a lower bound); beyond that (a network
// drop ends them all at once) a single one, "Sessions ended" with "30 sessions ended: Office PC,
// Build Server, …", the names as the menu shortens them.
[[nodiscard]] std::vector<EndNote> endNotes(std::span<const EndedSession> ended);

}  // namespace velmora
