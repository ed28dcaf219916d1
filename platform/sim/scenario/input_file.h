// Reading a file that a user names on the command line (a scenario, a debug report). The file
// may be anything: a directory, a device, a huge file, a FIFO. Only regular files, FIFOs and
// pipes (or standard input, when asked for) are read, and never more than a set size.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

#include "platform/sim/scenario/sim_error.h"

namespace velmora::sim {

// Larger input is refused: a regular file before it is read, a FIFO or pipe once it gave more.
inline constexpr std::size_t kMaxInputFileBytes = std::size_t{64} << 20;

// An error's `where` is the path as given; its message does not name the file: "is a directory".
using InputFileResult = std::variant<std::string, SimError>;

// The whole content of the regular file at `path`, of the FIFO or pipe there (`<(...)` names
// one), or of standard input when `path` is "-". Refused without blocking: a directory, a
// device or socket, a file that cannot be opened. Refused: more than `limit` bytes (a file
// growing while read included). A FIFO, a pipe and standard input are read until their writer
// closes them; opening a FIFO waits until something opens it for writing, as `cat` does.
[[nodiscard]] InputFileResult readInputFile(const std::string& path,
                                            std::size_t limit = kMaxInputFileBytes);

}  // namespace velmora::sim
