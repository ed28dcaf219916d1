#!/usr/bin/env python3
"""Fails when a relative link in README.md or docs/*.md leads nowhere.

Every inline link and image, [text](target) and ![alt](target), whose target has no scheme
(http:, mailto:, ...) must name a file or folder that exists, relative to the Markdown file;
a #anchor, alone or after a Markdown file, must be one of that file's headings as GitHub
makes their anchors. Links in code (fenced blocks, `spans`) are not links.

    scripts/check_links.py [FILE.md ...]    (default: README.md and docs/*.md)

Prints each broken link as FILE:LINE: TARGET: WHY and exits 1 when there is any. Python 3's
standard library only, so a Mac's stock python3 runs it as well as Debian's.
"""
import glob
import os
import re
import sys

FENCE = re.compile(r"^ {0,3}(```|~~~).*?^ {0,3}\1[^\n]*$", re.M | re.S)
CODE_SPAN = re.compile(r"`[^`\n]*`")
LINK = re.compile(r"\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
HEADING = re.compile(r"^ {0,3}#{1,6}[ \t]+(.*?)[ \t#]*$", re.M)
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


def blank(match):
    """The matched text with every character but line feeds made a space: lines keep counting."""
    return re.sub(r"[^\n]", " ", match.group(0))


def prose(text):
    """`text` without its code, at the same offsets."""
    return CODE_SPAN.sub(blank, FENCE.sub(blank, text))


def slug(heading):
    """GitHub's anchor of a heading: its text lower-cased, without markup and punctuation (but
    - and _), each space a -."""
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link's text only
    text = re.sub(r"<[^>]+>", "", text).lower()
    text = "".join(c for c in text if c.isalnum() or c in " -_")
    return text.replace(" ", "-")


def anchors(path, cache={}):
    """Every anchor of the Markdown file at `path`; a repeated heading's gets -1, -2, ..."""
    if path not in cache:
        with open(path, encoding="utf-8") as f:
            text = FENCE.sub(blank, f.read())
        seen, found = {}, set()
        for heading in HEADING.findall(text):
            base = slug(heading)
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else "%s-%d" % (base, count))
        cache[path] = found
    return cache[path]


def problem(source, target):
    """Why `target`, linked from `source`, leads nowhere; None when it leads somewhere."""
    path, _, anchor = target.partition("#")
    dest = os.path.normpath(os.path.join(os.path.dirname(source), path)) if path else source
    if not os.path.exists(dest):
        return "no such file"
    if not anchor:
        return None
    if not dest.endswith(".md") or os.path.isdir(dest):
        return "an anchor into what is no Markdown file"
    if anchor not in anchors(dest):
        return "no heading with this anchor in " + dest
    return None


def broken_links(source):
    """(line, target, why) of every broken link in the Markdown file `source`."""
    with open(source, encoding="utf-8") as f:
        text = prose(f.read())
    found = []
    for match in LINK.finditer(text):
        target = match.group(1)
        if SCHEME.match(target):
            continue
        why = problem(source, target)
        if why:
            found.append((text.count("\n", 0, match.start()) + 1, target, why))
    return found


def main(argv):
    given = [os.path.abspath(f) for f in argv[1:]]
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    files = [os.path.relpath(f) for f in given] or ["README.md"] + sorted(glob.glob("docs/*.md"))
    status = 0
    for source in files:
        for line, target, why in broken_links(source):
            print("%s:%d: %s: %s" % (source, line, target, why))
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
