// The lookup of the generated tables that give code points a class by ranges
// (width_table.cc, unassigned_breaks.cc): sorted ranges that do not overlap, every code point
// outside them of one class.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

namespace velmora::text {

template <typename Class>
struct CodePointRange {
  char32_t first;
  char32_t last;
  Class value;
};

// The class of `c` in `ranges`, or `outside` when no range holds it.
template <typename Class, std::size_t N>
[[nodiscard]] constexpr Class classInRanges(const std::array<CodePointRange<Class>, N>& ranges,
                                            char32_t c, Class outside) {
  const auto after =
      std::upper_bound(ranges.begin(), ranges.end(), c,
                       [](char32_t v, const CodePointRange<Class>& r) { return v < r.first; });
  if (after == ranges.begin()) return outside;
  const CodePointRange<Class>& range = *(after - 1);
  return c <= range.last ? range.value : outside;
}

}  // namespace velmora::text
