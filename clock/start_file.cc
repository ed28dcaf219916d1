#include "clock/start_file.h"

#include <fcntl.h>
#include <locale.h>
#include <stdlib.h>
#include <unistd.h>
#if __has_include(<xlocale.h>)
#include <xlocale.h>  // strtod_l and newlocale where <stdlib.h> alone lacks them
#endif

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "files/atomic_file.h"
#include "files/capped_read.h"
#include "files/unique_fd.h"
#include "text/decimal.h"
#include "text/text.h"

namespace velmora {
namespace {

// Created once and kept for the life of the process; strtod_l needs it on every parse.
locale_t cLocale() {
  static const locale_t c = ::newlocale(LC_ALL_MASK, "C", nullptr);
  return c;
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
  // Opening without blocking keeps a FIFO planted at the path from stalling the refresh.
  UniqueFd fd(::open(paths.kStateFile.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  std::optional<std::string> bytes = readCapped(fd.get(), kMaxStartFileBytes);
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

Outcome writeStart(const StatePaths& paths, double seconds) {
  if (!std::isfinite(seconds)) return {EDOM};
  return writeFileAtomically(paths.kStateFile, formatStartMoment(seconds));
}

}  // namespace velmora
