#include "clock/start_file.h"

#include <fcntl.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#if __has_include(<xlocale.h>)
#include <xlocale.h>  // strtod_l and newlocale where <stdlib.h> alone lacks them
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "clock/atomic_file.h"
#include "clock/unique_fd.h"
#include "text/decimal.h"
#include "text/text.h"

namespace velmora {
namespace {

// Created once and kept for the life of the process; strtod_l needs it on every parse.
locale_t cLocale() {
  static const locale_t c = ::newlocale(LC_ALL_MASK, "C", nullptr);
  return c;
}

// Up to `limit` + 1 bytes of the regular file at `path`, so that the caller can tell an
// oversized file from one that fits. Opening without blocking keeps a FIFO planted at the path
// from stalling the caller.
std::optional<std::string> readCapped(const std::string& path, std::size_t limit) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  // Room for what the file holds now (a few bytes), not for the limit: every refresh reads it.
  // A file that grows meanwhile is read on, up to one byte past the limit.
  const auto size = static_cast<std::size_t>(std::max<off_t>(info.st_size, 0));
  std::string bytes(std::min(size, limit) + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() > limit) break;
      bytes.resize(std::min(2 * bytes.size(), limit + 1));
    }
    ssize_t n = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  bytes.resize(filled);
  return bytes;
}

// strtod reports underflow unevenly across C libraries (glibc only when inexact), so every
// result below the normal range counts as underflow.
bool isUnderflow(double value) {
  return value != 0.0 && std::fabs(value) < std::numeric_limits<double>::min();
}

}  // namespace

std::optional<double> parseStartMoment(std::string_view bytes) {
  if (!text::isValidUtf8(bytes)) return std::nullopt;
  std::string number = text::trim(bytes);
  locale_t c = cLocale();
  if (number.empty() || c == nullptr) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  double value = ::strtod_l(number.c_str(), &end, c);
  // An embedded NUL also stops strtod short of the end.
  if (end != number.c_str() + number.size() || errno == ERANGE) return std::nullopt;
  if (!std::isfinite(value) || isUnderflow(value)) return std::nullopt;
  return value;
}

std::optional<double> readStart(const StatePaths& paths) {
  std::optional<std::string> bytes = readCapped(paths.kStateFile, kMaxStartFileBytes);
  if (!bytes || bytes->size() > kMaxStartFileBytes) return std::nullopt;
  return parseStartMoment(*bytes);
}

bool clearStart(const StatePaths& paths) {
  std::error_code ec;
  return std::filesystem::remove(paths.kStateFile, ec);
}

std::string formatStartMoment(double seconds) {
  std::string decimal = text::shortestDecimal(seconds);
  if (std::isfinite(seconds) && decimal.find('.') == std::string::npos) decimal += ".0";
  return decimal;
}

WriteOutcome writeStart(const StatePaths& paths, double seconds) {
  if (!std::isfinite(seconds)) return {EDOM};
  return writeFileAtomically(paths.kStateFile, formatStartMoment(seconds));
}

}  // namespace velmora
