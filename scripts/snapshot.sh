#!/bin/sh
# The front page's picture: velmora-sim draws the status item and its open menu from the
# tracker's own title and menu models, on the built-in story at 70 s (three sessions open, two
# recently ended), into docs/menu.svg. With --check it writes nothing and fails when the
# checked-in picture differs from what the models draw now (.ci/run): after a change to the
# title or the menu, run this script and commit the picture.
#
#   scripts/snapshot.sh [--check] [BUILD_DIR]     BUILD_DIR holds velmora-sim (default build/ci)
cd "$(dirname "$0")/.." || exit 2
check=false
if [ "${1-}" = --check ]; then
  check=true
  shift
fi
sim=${1:-build/ci}/velmora-sim
picture=docs/menu.svg

# The local times in the menu (Recently Ended) are UTC's, on every machine.
drawn=$(mktemp /tmp/velmora-snapshot-XXXXXX) || exit 2
trap 'rm -f "$drawn"' EXIT
TZ=UTC "$sim" --snapshot "$drawn" --at 70 || exit 2
if [ "$check" = false ]; then
  cp "$drawn" "$picture" && echo "$picture redrawn"
  exit
fi
if ! cmp -s "$drawn" "$picture"; then
  diff "$picture" "$drawn" | head -n 20
  echo "$picture differs from what the menu models draw now: run scripts/snapshot.sh" >&2
  exit 1
fi
