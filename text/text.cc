// What the two Unicode layers (text_icu.cc, text_cf.cc) share word for word.
#include "text/text.h"

namespace velmora::text {

std::string trim(std::string_view s) {
  return sanitizeUtf8(trimmedView(s));
}

bool equivalent(std::string_view a, std::string_view b) {
  if (a == b) return true;
  return comparisonKey(a) == comparisonKey(b);
}

bool contains(std::string_view haystack, std::string_view needle) {
  return comparisonKey(haystack).find(comparisonKey(needle)) != std::string::npos;
}

}  // namespace velmora::text
