// The start-file parser on arbitrary bytes: whatever it accepts is a finite moment that the
// writer's text gives back exactly. The same bytes in a real start file read the same, and a
// moment written by the writer reads back exactly.
#include <stdlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "app/config.h"
#include "clock/start_file.h"
#include "fuzz/fuzz_check.h"

namespace {

// One temporary home for the whole run, under TMPDIR, removed when the run ends normally.
class FuzzHome {
 public:
  FuzzHome() {
    std::error_code ec;
    std::string pattern =
        (std::filesystem::temp_directory_path(ec) / "velmora-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern;
    paths_ = velmora::StatePaths::forHome(root_);
    std::filesystem::create_directories(paths_.kStateDir, ec);
    if (ec) root_.clear();
  }
  ~FuzzHome() {
    std::error_code ec;
    if (!root_.empty()) std::filesystem::remove_all(root_, ec);
  }
  FuzzHome(const FuzzHome&) = delete;
  FuzzHome& operator=(const FuzzHome&) = delete;

  [[nodiscard]] bool valid() const { return !root_.empty(); }
  [[nodiscard]] const velmora::StatePaths& paths() const { return paths_; }

 private:
  std::string root_;
  velmora::StatePaths paths_;
};

const FuzzHome& home() {
  static const FuzzHome instance;
  return instance;
}

// Both absent, or the same double, bit for bit as far as zero's sign goes.
bool same(std::optional<double> a, std::optional<double> b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || (*a == *b && std::signbit(*a) == std::signbit(*b));
}

void checkRealFile(std::string_view bytes, std::optional<double> parsed) {
  const FuzzHome& h = home();
  FUZZ_CHECK(h.valid());
  {
    std::ofstream out(h.paths().kStateFile, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(static_cast<bool>(out));
  }
  const std::optional<double> read = velmora::readStart(h.paths());
  // Oversized files are refused before they are parsed.
  FUZZ_CHECK(same(read, bytes.size() > velmora::kMaxStartFileBytes ? std::nullopt : parsed));
  if (parsed) {
    FUZZ_CHECK(velmora::writeStart(h.paths(), *parsed));
    FUZZ_CHECK(same(velmora::readStart(h.paths()), parsed));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<double> moment = velmora::parseStartMoment(bytes);
  checkRealFile(bytes, moment);
  if (!moment) return 0;
  FUZZ_CHECK(std::isfinite(*moment));
  const std::string text = velmora::formatStartMoment(*moment);
  // Plain notation with a point and a digit after it: no exponent, nothing around the number.
  FUZZ_CHECK(text.find_first_not_of("-0123456789.") == std::string::npos);
  const size_t point = text.find('.');
  FUZZ_CHECK(point != std::string::npos && point + 1 < text.size());
  FUZZ_CHECK(same(velmora::parseStartMoment(text), moment));
  return 0;
}
