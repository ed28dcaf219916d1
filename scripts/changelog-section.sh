#!/usr/bin/env bash
# Prints one version's section of CHANGELOG.md, the release notes of that version:
#   scripts/changelog-section.sh VERSION [CHANGELOG]
# The section is what follows the heading "## VERSION" (or "## VERSION (date)") up to the next
# "## " heading, without the heading itself and without blank lines at either end. Fails with
# status 1 when the changelog has no such section, an empty one or two of them; status 2 for bad
# arguments.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
# shellcheck source-path=SCRIPTDIR
. "$here/release-values.sh"

usage() {
  echo "changelog-section: $1" >&2
  echo "usage: scripts/changelog-section.sh VERSION [CHANGELOG]" >&2
  exit 2
}

[ $# -eq 1 ] || [ $# -eq 2 ] || usage "one or two arguments needed, $# given"
version=$1
changelog=${2:-$root/CHANGELOG.md}
valid_version "$version" || usage "VERSION must look like 1.2.3 or 1.2.3-rc.1"
if [ ! -f "$changelog" ] || [ ! -r "$changelog" ]; then
  echo "changelog-section: cannot read $changelog" >&2
  exit 1
fi

# Status 3: no section; 4: more than one; 5: only blank lines.
program='
  /^## / {
    inside = ($2 == version)
    if (inside) sections++
    next
  }
  inside && sections == 1 {
    if ($0 !~ /^[ \t]*$/) { first = first ? first : n + 1; last = n + 1 }
    lines[++n] = $0
  }
  END {
    if (sections == 0) exit 3
    if (sections > 1) exit 4
    if (!first) exit 5
    for (i = first; i <= last; i++) print lines[i]
  }'
status=0
notes="$(awk -v version="$version" "$program" "$changelog")" || status=$?

case $status in
  0) printf '%s\n' "$notes" ;;
  3) echo "changelog-section: $changelog has no section \"## $version\"" >&2 ;;
  4) echo "changelog-section: $changelog has more than one section \"## $version\"" >&2 ;;
  5) echo "changelog-section: the section \"## $version\" of $changelog is empty" >&2 ;;
  *) echo "changelog-section: awk failed on $changelog" >&2 ;;
esac
[ $status -eq 0 ] || exit 1
