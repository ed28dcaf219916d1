// The upper-case mappings of Unicode that turn one code point into several ("ß" into "SS",
// "ﬃ" into "FFI"), the unconditional ones of SpecialCasing.txt: a table generated from the
// Unicode character database (text/special_casing.cc, written by scripts/special-casing.py).
// Every other code point upper-cases to one code point, by the simple case mapping.
#pragma once

#include <string_view>

namespace velmora::text {

// The code points `c` upper-cases to when they are more than one; empty otherwise.
[[nodiscard]] std::u32string_view fullUpperMapping(char32_t c);

}  // namespace velmora::text
