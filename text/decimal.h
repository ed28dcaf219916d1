// Doubles as plain decimal text, the same in every locale and on every platform. The C++
// library's floating-point std::to_chars would do, but Apple's ships it only from macOS 13.3 on,
// and the tracker runs on macOS 11.
#pragma once

#include <string>

namespace velmora::text {

// The exact decimal digits of a whole number, without exponent, point or grouping
// ("-12345678901234567890123"); "nan", "-nan", "inf" or "-inf" for what is no number. A
// fraction is rounded off.
[[nodiscard]] std::string wholeDecimal(double value);

// The shortest fixed-notation text (no exponent) that reads back as exactly `value`, as
// std::to_chars(value, std::chars_format::fixed) gives it: 0.1 gives "0.1", 1e23
// "99999999999999991611392", 1700000000.0 "1700000000" (no point). At an exact power of two
// the text may have one digit more than the shortest. Non-numbers as in wholeDecimal.
[[nodiscard]] std::string shortestDecimal(double value);

}  // namespace velmora::text
