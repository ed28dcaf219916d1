// Runs exactly REFRESHES refreshes of the core (BM_PassTitleAndMenu's work) at WINDOWS windows,
// for counting instructions: run it under callgrind at two refresh counts and divide the
// difference by the difference of the counts, which cancels the start-up and the first pass.
//
//   velmora_refresh_cost WINDOWS REFRESHES
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "benchmarks/core_refresh.h"

namespace {

bool parseCount(const char* text, int64_t& value) {
  char* end = nullptr;
  value = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && value >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  int64_t windows = 0;
  int64_t refreshes = 0;
  if (argc != 3 || !parseCount(argv[1], windows) || !parseCount(argv[2], refreshes)) {
    std::fprintf(stderr, "usage: velmora_refresh_cost WINDOWS REFRESHES\n");
    return 2;
  }
  velmora::bench::CoreRefresh refresh(windows);
  std::size_t rows = 0;
  for (int64_t i = 0; i < refreshes; ++i) rows = refresh.run();
  std::printf("%lld windows, %lld refreshes, %zu menu rows\n", static_cast<long long>(windows),
              static_cast<long long>(refreshes), rows);
  return 0;
}
