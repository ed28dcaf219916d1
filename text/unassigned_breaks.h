// The grapheme break classes Unicode gives code points it has not assigned yet, which utf8proc's
// tables leave as Other: Extended_Pictographic for the unassigned code points of the blocks
// reserved for emoji, Control for the unassigned default-ignorable ones. A table generated from
// the Unicode character database (text/unassigned_breaks.cc, written by
// scripts/unassigned-breaks.py).
#pragma once

namespace velmora::text {

enum class UnassignedBreak : unsigned char { kOther, kExtendedPictographic, kControl };

// The class of `c` when it is unassigned; kOther for every assigned code point.
[[nodiscard]] UnassignedBreak unassignedBreak(char32_t c);

}  // namespace velmora::text
