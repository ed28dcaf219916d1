#!/usr/bin/env bash
# Peak memory of velmora-sim on hostile input: scenarios and reports of a few MB in the shapes
# that used to take hundreds of times their size (arrays and objects nested millions deep, long
# arrays and many objects where only a value's type counts, an object of many unknown keys,
# many windows, a large report, reports past the converter's limits and one whose lines mimic
# window lines, titles at and past their limit). Each run must end with the status expected and
# a peak resident set size of at most 8 MB plus four times its input's size, measured by
# tools/peak_rss (as scripts/soak.sh); a played scenario may take 4 MB more for each window its
# client has at once (docs/velmora-sim.md's bound: titles and subroles of at most 64 KiB).
#
#   scripts/input_memory.sh
#
# Environment:
#   MEMORY_PRESET     CMake preset to build velmora-sim with (default: default; ci reuses the
#                     build of scripts/test.sh). Not asan: its shadow memory is not the program's.
#   MEMORY_BUILD_DIR  build directory instead of the preset's own
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${MEMORY_PRESET:-default}"
if [ "$preset" = asan ]; then echo "input_memory: asan measures its own memory" >&2; exit 2; fi
scripts/install-deps.sh
build_args=()
if [ -n "${MEMORY_BUILD_DIR:-}" ]; then build_args=(-B "$MEMORY_BUILD_DIR"); fi
# ${build_args[@]+...}: macOS's bash 3.2 calls an empty array unbound under set -u.
cmake --preset "$preset" ${build_args[@]+"${build_args[@]}"} >/dev/null
build_dir="${MEMORY_BUILD_DIR:-build/$preset}"
cmake --build "$build_dir" --target velmora-sim >/dev/null
tools_dir="$build_dir-soak-tools"  # shared with scripts/soak.sh
cmake -S tools -B "$tools_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$tools_dir" --target peak_rss >/dev/null
sim="$build_dir/velmora-sim"

work="$(mktemp -d /tmp/velmora-memory.XXXXXX)"
trap 'rm -rf "$work"' EXIT
failed=0

# repeat N TEXT: TEXT (with awk's escapes) N times.
repeat() {
  awk -v n="$1" -v t="$2" 'BEGIN { for (i = 0; i < n; i++) printf "%s", t }'
}

# chars N C: the character C N times.
chars() {
  head -c "$1" /dev/zero | tr '\0' "$2"
}

# A scenario of one window, played at 0, whose members the commands given write.
one_window() {
  printf '{"start": 1765000000, "until": 0, "events": [{"at": 0, "client": {"ax": {"windows": [{'
  "$@"
  printf '}]}}}]}\n'
}

# Windows played at once, beyond the 8 MB and four times the input (measure).
played_windows=0

# N windows "Session I" with every attribute, at time AT, then Copy Debug Info at 0.
windows() {
  local n="$1" at="$2"
  printf '{"start": 1765000000, "until": 0, "events": [{"at": %s, "client": {"ax": {"windows": [' "$at"
  awk -v n="$n" 'BEGIN { for (i = 0; i < n; i++) printf "%s{\"title\": \"Session %d of a long list of remote desktops\", \"subrole\": \"AXStandardWindow\", \"size\": [1440, 900], \"minimized\": false}", (i ? ", " : ""), i }'
  printf ']}}}, {"at": 0, "key": "d"}]}\n'
}

# The report that Copy Debug Info writes for SCENARIO, into FILE.
report_of() {
  local home="$work/home-$(basename "$2")"
  mkdir "$home"
  "$sim" --headless --scenario "$1" --home "$home" >/dev/null
  cp "$home/.cache/velmora_session_tracker/debug.log" "$2"
}

# measure NAME STATUS FILE ARG...: runs velmora-sim with ARG..., reading FILE; checks its exit
# status and that its peak RSS is within 8 MB + 4 x FILE's size.
measure() {
  local name="$1" expected="$2" file="$3" status=0
  shift 3
  local bytes=$(($(wc -c <"$file")))  # BSD wc pads the count with blanks
  "$tools_dir/peak_rss" "$work/rss" "$sim" "$@" >/dev/null 2>"$work/err" || status=$?
  local peak_kib limit_kib=$(((8000000 + 4 * bytes + 4000000 * played_windows) / 1024))
  peak_kib="$(cat "$work/rss")"
  echo "input_memory: $name: $bytes bytes, status $status, peak RSS $peak_kib KiB (limit $limit_kib)"
  if [ "$status" -ne "$expected" ]; then
    echo "input_memory: $name: status $status, expected $expected: $(head -c 300 "$work/err")" >&2
    failed=1
  fi
  if [ "$peak_kib" -gt "$limit_kib" ]; then
    echo "input_memory: $name: peak RSS $peak_kib KiB is above $limit_kib KiB" >&2
    failed=1
  fi
}

scenario() {
  measure "$1" "$2" "$work/$1.json" --headless --scenario "$work/$1.json" --home "$work/home"
}

mkdir "$work/home"
# What the program takes before it reads anything: most of the 8 MB.
"$tools_dir/peak_rss" "$work/rss" "$sim" --version >/dev/null
echo "input_memory: velmora-sim --version: peak RSS $(cat "$work/rss") KiB"
# Refused where they get too deep.
deep_arrays() { printf '"subrole": '; chars 2000000 '['; chars 2000000 ']'; }
one_window deep_arrays >"$work/deep_arrays.json"
scenario deep_arrays 2
deep_objects() { printf '"subrole": '; repeat 500000 '{"a": '; printf 1; chars 500000 '}'; }
one_window deep_objects >"$work/deep_objects.json"
scenario deep_objects 2
# An attribute of another type: only its type counts, however many objects it holds.
many_objects() { printf '"title": ['; repeat 999999 '{}, '; printf '{}]'; }
one_window many_objects >"$work/many_objects.json"
scenario many_objects 0
long_array() { printf '"title": ['; repeat 1999999 '1, '; printf '1]'; }
one_window long_array >"$work/long_array.json"
scenario long_array 0
# Refused for its smallest unknown key, read to its end first.
wide_object() {
  awk 'BEGIN { for (i = 0; i < 300000; i++) printf "\"k%d\": 1, ", i }'
  printf '"title": "x"'
}
one_window wide_object >"$work/wide_object.json"
scenario wide_object 2
# Read and held whole, though never played: the run ends before the client comes.
windows 30000 10 >"$work/many_windows.json"
scenario many_windows 0
# Titles and subroles at their limit of 64 KiB, played: 4 MB a window at most; one past it is
# refused.
at_limit() {
  printf '{"start": 1765000000, "until": 0, "events": [{"at": 0, "client": {"ax": {"windows": ['
  for i in $(seq 16); do
    printf '%s{"title": "%s' "$([ "$i" = 1 ] || echo ', ')" "$i"
    chars $((65536 - ${#i})) x
    printf '", "subrole": "'
    chars 65536 y
    printf '", "size": [1440, 900], "minimized": false}'
  done
  printf ']}}}, {"at": 0, "key": "d"}]}\n'
}
at_limit >"$work/titles_at_limit.json"
played_windows=16 scenario titles_at_limit 0
long_title() { printf '"title": "'; chars 8000000 x; printf '"'; }
one_window long_title >"$work/long_title.json"
scenario long_title 2

# The largest report reproduced, one past the converter's limit of windows, and one whose
# lines each read as the end of a window line in as many ways as there are lines above it.
windows 1000 0 >"$work/largest.json"
report_of "$work/largest.json" "$work/largest.txt"
measure largest_report 0 "$work/largest.txt" --from-report "$work/largest.txt"
# Reports up to the converter's limit of 512 KiB: many windows, and a title at its limit.
windows_titled() {
  printf '{"start": 1765000000, "until": 0, "events": [{"at": 0, "client": {"ax": {"windows": ['
  awk -v n="$1" -v t="$(chars "$2" x)" 'BEGIN { for (i = 0; i < n; i++) printf "%s{\"title\": \"%d %s\", \"subrole\": \"AXStandardWindow\", \"size\": [1440, 900], \"minimized\": false}", (i ? ", " : ""), i, t }'
  printf ']}}}, {"at": 0, "key": "d"}]}\n'
}
windows_titled 1 65530 >"$work/long_title_report.json"
report_of "$work/long_title_report.json" "$work/long_title_report.txt"
measure report_long_title 0 "$work/long_title_report.txt" --from-report "$work/long_title_report.txt"
windows_titled 1000 80 >"$work/near_limit.json"
report_of "$work/near_limit.json" "$work/near_limit.txt"
measure report_near_limit 0 "$work/near_limit.txt" --from-report "$work/near_limit.txt"
windows_titled 1000 120 >"$work/past_limit.json"
report_of "$work/past_limit.json" "$work/past_limit.txt"
measure report_past_limit 2 "$work/past_limit.txt" --from-report "$work/past_limit.txt"
windows 12000 0 >"$work/too_large.json"
report_of "$work/too_large.json" "$work/too_large.txt"
measure too_large_report 2 "$work/too_large.txt" --from-report "$work/too_large.txt"
{
  printf '=== Detection @ 2025-12-06 05:46:40 +0000 ===\n--- AX Detection ---\n'
  printf '  AX windows found: 1\n  AX[0]: "x" subrole=y 1x1\n'
  repeat 400 '    -> x" subrole=y 1x1\n'
  printf '  AX final: 0 named, 0 unnamed\n\n--- AS Detection ---\n  Raw: [] -> Filtered: []\n\n'
  printf 'Final: 0 named + 0 unnamed = 0\nNames: [] | Cache: [:]\n'
} >"$work/mimic.txt"
measure mimicking_report 2 "$work/mimic.txt" --from-report "$work/mimic.txt"

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "input_memory: passed"
