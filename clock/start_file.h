// The session-start file: the moment the client was first seen running, as seconds since
// 1970-01-01 00:00:00 UTC in one line of decimal text without a line end.
//
// Every function absorbs its failures; none throws.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/config.h"
#include "files/atomic_file.h"

namespace velmora {

// Files larger than this are not start files (the writer's text is at most a few dozen bytes)
// and are rejected without being read whole; white space padding past this size is therefore
// not accepted.
inline constexpr std::size_t kMaxStartFileBytes = 4096;

// The start moment held in `bytes`, or nothing. The bytes must be valid UTF-8; white space and
// line ends around the number are ignored. The rest must be one whole number in C-locale strtod
// syntax (optional sign; decimal with optional fraction and exponent, or "0x" hexadecimal), read
// the same whatever the process locale. Rejected: empty text, trailing characters, a decimal
// comma, range errors (overflow, and underflow to zero or to a subnormal value), infinities and
// NaN, so that a refresh replaces such a file.
[[nodiscard]] std::optional<double> parseStartMoment(std::string_view bytes);

// The start moment stored in `paths.kStateFile`, or nothing when the file is missing, not a
// regular file (a link to one is followed), unreadable, larger than kMaxStartFileBytes, or not
// accepted by parseStartMoment.
[[nodiscard]] std::optional<double> readStart(const StatePaths& paths);

// Removes `paths.kStateFile` (a file, a link, or an empty directory); silent when absent.
// True when something was removed.
bool clearStart(const StatePaths& paths);

// The shortest decimal text that reads back as exactly `seconds`, in plain notation (never an
// exponent) and always with a point and at least one digit after it: 1700000000 gives
// "1700000000.0". Infinities and NaN give "inf", "-inf" and "nan", which no reader accepts.
[[nodiscard]] std::string formatStartMoment(double seconds);

// Writes formatStartMoment(seconds) atomically to `paths.kStateFile` with mode 0600. Nothing is
// written when `seconds` is not finite (EDOM) or the write fails (its error). The state
// directory must exist (ensureStateDir).
Outcome writeStart(const StatePaths& paths, double seconds);

}  // namespace velmora
