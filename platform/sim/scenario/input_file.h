// Reading a file that a user names on the command line (a scenario, a debug report). The file
// may be anything: a directory, a FIFO nobody writes to, a device, a huge file. Only regular
// files (or standard input, when asked for) are read, and never more than a set size.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

namespace velmora::sim {

// Files larger than this are refused before they are read.
inline constexpr std::size_t kMaxInputFileBytes = std::size_t{64} << 20;

struct InputFileError {
  std::string message;  // what is wrong, without the file's name: "is a directory"
};

using InputFileResult = std::variant<std::string, InputFileError>;

// The whole content of the regular file at `path`, or of standard input when `path` is "-".
// Refused without blocking: a directory, a FIFO, a device or socket, a file that cannot be
// opened. Refused: more than `limit` bytes (a file growing while read included). Reading
// standard input blocks until its writer closes it.
[[nodiscard]] InputFileResult readInputFile(const std::string& path,
                                            std::size_t limit = kMaxInputFileBytes);

}  // namespace velmora::sim
