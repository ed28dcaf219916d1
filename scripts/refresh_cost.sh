#!/usr/bin/env bash
# Instructions and heap allocations per core refresh (BM_PassTitleAndMenu's work: detection
# pass, title, menu) at 20 and 1,000 windows, counted by valgrind: two runs of
# velmora_refresh_cost with different refresh counts, their difference divided by the
# difference of the counts, so that start-up and the first pass cancel out.
#
#   scripts/refresh_cost.sh [BINARY]
#
# Without BINARY it builds velmora_refresh_cost in build/bench (RelWithDebInfo, as in
# BENCHMARKS.md). Needs valgrind.
set -euo pipefail
cd "$(dirname "$0")/.."

binary="${1:-}"
if [ -z "$binary" ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TESTS=OFF >/dev/null
  cmake --build build/bench --target velmora_refresh_cost >/dev/null
  binary=build/bench/velmora_refresh_cost
fi
command -v valgrind >/dev/null || { echo "refresh_cost: valgrind is missing" >&2; exit 2; }

work="$(mktemp -d /tmp/velmora-refresh-cost.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# instructions WINDOWS REFRESHES: the program's total instruction count.
instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$work/cg" "$binary" "$1" "$2" >/dev/null 2>&1
  sed -n 's/^summary: //p' "$work/cg"
}

# allocations WINDOWS REFRESHES: the program's total number of heap allocations.
allocations() {
  valgrind --tool=memcheck "$binary" "$1" "$2" 2>&1 >/dev/null |
    sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' | tr -d ,
}

# per WINDOWS FEWER MORE COUNTER: COUNTER per refresh.
per() {
  local a b
  a="$($4 "$1" "$2")"
  b="$($4 "$1" "$3")"
  echo $(((b - a) / ($3 - $2)))
}

printf '%8s  %14s  %12s\n' windows instructions allocations
for run in "20 100 200" "1000 5 15"; do
  set -- $run
  printf '%8s  %14s  %12s\n' "$1" "$(per "$1" "$2" "$3" instructions)" \
    "$(per "$1" "$2" "$3" allocations)"
done
