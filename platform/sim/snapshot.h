// velmora-sim --snapshot: the picture of the status item and its open menu at a moment of a
// scenario (output/menu_picture.h), written to a file.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "platform/sim/prepared_run.h"
#include "platform/sim/scenario/scenario.h"

namespace velmora::sim {

// Time 0 of a snapshot whose scenario names no "start": 2025-01-06 09:00:00 UTC, so that the
// same scenario draws the same local times ("ended 09:01") every run, under the same TZ.
inline constexpr double kSnapshotStart = 1736154000.0;

// Gives `scenario` the snapshot's start when it has none.
void fixSnapshotStart(Scenario& scenario);

// Plays `run` on virtual time to `at` seconds (default: the scenario's end), with the menu
// opened a second before, as a user would, so that its times have ticked once; then writes the
// picture of the title and the open menu to `file` atomically (0644; a link there is replaced,
// not followed). Returns the exit status: 0, or 2 with the reason on `err` when `at` lies past
// the scenario's end or the file cannot be written.
[[nodiscard]] int writeSnapshot(Run& run, const std::string& file, std::optional<double> at,
                                std::ostream& err);

}  // namespace velmora::sim
