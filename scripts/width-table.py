#!/usr/bin/env python3
"""Writes text/width_table.cc, the terminal column widths of every code point, from the
Unicode Character Database: UnicodeData.txt (general categories), DerivedCoreProperties.txt
(Default_Ignorable_Code_Point), EastAsianWidth.txt and emoji/emoji-data.txt (Emoji,
Emoji_Presentation). Debian's unicode-data package installs them in /usr/share/unicode.

    scripts/width-table.py [UNICODE_DIR] > text/width_table.cc

A code point takes no column when it is default-ignorable or a control (Cc), nonspacing mark
(Mn) or enclosing mark (Me); two when it is shown as an emoji by default or is East Asian Wide
or Fullwidth; two or one when it is another emoji (two with U+FE0F after it); one otherwise.
"""
import os
import sys

from ucd import code_points_with, records, unicode_data, version, write_range_table

MAX = 0x10FFFF
NARROW, ZERO, WIDE, EMOJI_TEXT = 0, 1, 2, 3
NAMES = {ZERO: "ColumnClass::kZero", WIDE: "ColumnClass::kWide", EMOJI_TEXT: "ColumnClass::kEmojiText"}


def zero_width(ucd):
    zero = code_points_with(os.path.join(ucd, "DerivedCoreProperties.txt"),
                            "Default_Ignorable_Code_Point")
    for c, fields in unicode_data(os.path.join(ucd, "UnicodeData.txt")):
        if fields[1] in ("Cc", "Mn", "Me"):
            zero.add(c)
    return zero


def east_asian_wide(ucd):
    # The blocks whose unassigned code points default to W, as EastAsianWidth.txt's header says.
    wide = set()
    for first, last in ((0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF),
                        (0x20000, 0x2FFFD), (0x30000, 0x3FFFD)):
        wide.update(range(first, last + 1))
    for first, last, fields in records(os.path.join(ucd, "EastAsianWidth.txt")):
        points = range(first, last + 1)
        if fields[0] in ("W", "F"):
            wide.update(points)
        else:
            wide.difference_update(points)
    return wide


def ranges(ucd):
    """(first, last, class) runs of every code point whose class is not NARROW."""
    emoji_data = os.path.join(ucd, "emoji", "emoji-data.txt")
    zero = zero_width(ucd)
    wide = east_asian_wide(ucd) | code_points_with(emoji_data, "Emoji_Presentation")
    emoji = code_points_with(emoji_data, "Emoji")
    runs = []
    for c in range(MAX + 1):
        cls = ZERO if c in zero else WIDE if c in wide else EMOJI_TEXT if c in emoji else NARROW
        if runs and runs[-1][2] == cls and runs[-1][1] == c - 1:
            runs[-1][1] = c
        else:
            runs.append([c, c, cls])
    return [run for run in runs if run[2] != NARROW]


def main():
    ucd = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"
    east_asian_width = os.path.join(ucd, "EastAsianWidth.txt")
    table = [(first, last, NAMES[cls]) for first, last, cls in ranges(ucd)]
    write_range_table(sys.stdout, "width-table.py",
                      f"the Unicode {version(east_asian_width)} character database",
                      "text/width_table.h", "ColumnClass", "ColumnClass columnClass(char32_t c)",
                      "ColumnClass::kNarrow", table)


if __name__ == "__main__":
    main()
