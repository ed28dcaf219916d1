// Reading a small file that anyone may have planted, without being stalled or flooded by it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace velmora {

// Up to `limit` + 1 bytes of the regular file open at `fd`, so that the caller can tell an
// oversized file from one that fits; nothing when `fd` is not a regular file or a read fails.
// The room taken follows the file's size, not the limit. The descriptor stays the caller's.
[[nodiscard]] std::optional<std::string> readCapped(int fd, std::size_t limit);

}  // namespace velmora
