// The note posted when a session ends while Windows App keeps running.
#pragma once

#include <string>

#include "ui/session_times.h"

namespace velmora {

struct EndNote {
  std::string title;  // the session's name
  std::string body;   // "Session ended after 45s" ("≥ " before a lower bound)
};

[[nodiscard]] EndNote endNote(const EndedSession& ended);

}  // namespace velmora
