#!/usr/bin/env python3
"""Writes text/unassigned_breaks.cc, the grapheme break classes Unicode gives code points it has
not assigned yet, from the Unicode Character Database: UnicodeData.txt (what is assigned),
auxiliary/GraphemeBreakProperty.txt (Control) and emoji/emoji-data.txt (Extended_Pictographic).
Debian's unicode-data package installs them in /usr/share/unicode.

    scripts/unassigned-breaks.py [UNICODE_DIR] > text/unassigned_breaks.cc

utf8proc's tables give every unassigned code point the class Other; Unicode reserves whole
blocks for emoji (Extended_Pictographic) and makes its reserved default-ignorable code points
controls. Only those two classes are ever given to an unassigned code point.
"""
import os
import sys

from ucd import code_points_with, unicode_data, version, write_range_table


def runs(points, name):
    out = []
    for c in sorted(points):
        if out and out[-1][1] == c - 1:
            out[-1][1] = c
        else:
            out.append([c, c, name])
    return out


def main():
    ucd = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"
    taken = {c for c, _ in unicode_data(os.path.join(ucd, "UnicodeData.txt"))}
    breaks = os.path.join(ucd, "auxiliary", "GraphemeBreakProperty.txt")
    control = code_points_with(breaks, "Control") - taken
    pictographic = code_points_with(os.path.join(ucd, "emoji", "emoji-data.txt"),
                                    "Extended_Pictographic") - taken
    table = sorted(runs(control, "UnassignedBreak::kControl") +
                   runs(pictographic, "UnassignedBreak::kExtendedPictographic"))
    write_range_table(sys.stdout, "unassigned-breaks.py",
                      f"the Unicode {version(breaks)} character database",
                      "text/unassigned_breaks.h", "UnassignedBreak",
                      "UnassignedBreak unassignedBreak(char32_t c)", "UnassignedBreak::kOther",
                      table)


if __name__ == "__main__":
    main()
