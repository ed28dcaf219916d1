#!/usr/bin/env bash
# Soak: velmora-sim --headless on a long, churning scenario (tools/churn.h), then checks that
# the run ends normally, prints one report per detection pass (those the client's quits ask
# for included: tools/soak_scenario predicts them), leaves no temporary file in the
# state directory, and that its peak memory does not grow with the number of refreshes.
#
#   scripts/soak.sh [REFRESHES]        default 100000; 20000 with SOAK_PRESET=asan
#
# Environment:
#   SOAK_PRESET     CMake preset to build velmora-sim with (default: default). With asan,
#                   LeakSanitizer fails the run on any leak; peak memory is then only reported.
#                   ci reuses the build of scripts/test.sh.
#   SOAK_BUILD_DIR  build directory instead of the preset's own
#   SOAK_SEED       seed of the scenario (default 1)
#   SOAK_RSS_MARGIN_KIB  allowed growth of peak RSS from REFRESHES/10 to REFRESHES (default 2048)
#   SOAK_RSS_PER_BYTE    peak RSS may be at most 8 MB plus this many times the scenario file's
#                        size (default 4)
#   SOAK_HEAP_LIMIT      allowed heap growth per refresh, in bytes, of the in-process run
#                        (default 16; checked when the preset builds velmora_benchmarks)
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${SOAK_PRESET:-default}"
if [ "$preset" = asan ]; then default_refreshes=20000; else default_refreshes=100000; fi
refreshes="${1:-$default_refreshes}"
seed="${SOAK_SEED:-1}"
margin_kib="${SOAK_RSS_MARGIN_KIB:-2048}"
rss_per_byte="${SOAK_RSS_PER_BYTE:-4}"
heap_limit="${SOAK_HEAP_LIMIT:-16}"
case "$refreshes" in '' | *[!0-9]*) echo "soak: REFRESHES must be a number" >&2; exit 2 ;; esac
if [ "$refreshes" -lt 100 ]; then echo "soak: REFRESHES must be at least 100" >&2; exit 2; fi

scripts/install-deps.sh
build_args=()
if [ -n "${SOAK_BUILD_DIR:-}" ]; then build_args=(-B "$SOAK_BUILD_DIR"); fi
# ${build_args[@]+...}: macOS's bash 3.2 calls an empty array unbound under set -u.
cmake --preset "$preset" ${build_args[@]+"${build_args[@]}"} >/dev/null
build_dir="${SOAK_BUILD_DIR:-build/$preset}"
cmake --build "$build_dir" --target velmora-sim >/dev/null
has_bench=no
# The presets generate Ninja files; the benchmarks exist where Google Benchmark was found.
if grep -q '^build velmora_benchmarks:' "$build_dir/build.ninja"; then
  cmake --build "$build_dir" --target velmora_benchmarks >/dev/null
  has_bench=yes
fi
tools_dir="$build_dir-soak-tools"
cmake -S tools -B "$tools_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$tools_dir" >/dev/null

work="$(mktemp -d /tmp/velmora-soak.XXXXXX)"
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"

# run NAME STOP_AFTER: plays the scenario of $refreshes refreshes up to refresh STOP_AFTER;
# sets $peak_kib, $seconds and $scenario_bytes.
run() {
  local name="$1" stop_after="$2"
  local scenario="$work/$name.json" home="$work/home-$name"
  mkdir "$home"
  "$tools_dir/soak_scenario" --seed "$seed" --stop-after "$stop_after" "$refreshes" \
    >"$scenario" 2>"$work/$name.summary"
  local expected
  expected="$(sed -n 's/^reports //p' "$work/$name.summary")"
  scenario_bytes=$(($(wc -c <"$scenario")))  # BSD wc pads the count with blanks
  local started=$SECONDS statuses
  # The JSON Lines of a long run are large: count the reports and keep only the last line.
  set +e
  "$tools_dir/peak_rss" "$work/$name.rss" "$build_dir/velmora-sim" --headless \
    --scenario "$scenario" --home "$home" |
    awk '/^\{("busy":[0-9.e+-]*,)?"cause":"[a-z-]*","event":"report"/ { n++ } { last = $0 } END { print n + 0; print last }' \
      >"$work/$name.out"
  statuses=("${PIPESTATUS[@]}")
  set -e
  seconds=$((SECONDS - started))
  if [ "${statuses[0]}" -ne 0 ] || [ "${statuses[1]}" -ne 0 ]; then
    echo "soak: $name: velmora-sim failed with status ${statuses[0]}" >&2
    exit 1
  fi
  local reports last
  reports="$(sed -n 1p "$work/$name.out")"
  last="$(sed -n 2p "$work/$name.out")"
  if [ "$reports" != "$expected" ]; then
    echo "soak: $name: $reports reports, expected $expected" >&2
    exit 1
  fi
  case "$last" in
    '{"event":"exit","reason":"end",'*) ;;
    *) echo "soak: $name: the run did not end normally: $last" >&2; exit 1 ;;
  esac
  local leftovers
  leftovers="$(ls -A "$home/.cache/velmora_session_tracker" | grep -vx -e session_start -e debug.log || true)"
  if [ -n "$leftovers" ]; then
    echo "soak: $name: left in the state directory: $leftovers" >&2
    exit 1
  fi
  rm -f "$scenario"
  peak_kib="$(cat "$work/$name.rss")"
  echo "soak: $name: $stop_after refreshes, $reports reports, peak RSS $peak_kib KiB, ${seconds}s"
}

echo "soak: velmora-sim from $build_dir, $refreshes refreshes, seed $seed"
# All three runs hold the same scenario; only the refresh at which they stop differs.
run baseline 1
baseline_kib=$peak_kib
run early $((refreshes / 10))
early_kib=$peak_kib
run full "$refreshes"
full_kib=$peak_kib
full_seconds=$seconds
sed -n 1p "$work/full.summary" | sed 's/^/soak: scenario: /'
echo "soak: peak RSS beyond holding the scenario: $((early_kib - baseline_kib)) KiB at" \
  "$((refreshes / 10)) refreshes, $((full_kib - baseline_kib)) KiB at $refreshes"
echo "soak: full run: ${full_seconds}s wall"

if [ "$preset" != asan ] && [ "$full_kib" -gt $((early_kib + margin_kib)) ]; then
  echo "soak: peak RSS grew from $early_kib KiB to $full_kib KiB (margin $margin_kib KiB)" >&2
  exit 1
fi
# The scenario is read into its final form and its text freed: memory stays near its size.
limit_kib=$(((8000000 + rss_per_byte * scenario_bytes) / 1024))
if [ "$preset" = asan ]; then
  echo "soak: peak RSS $full_kib KiB (ASan's quarantine: not checked)"
else
  echo "soak: peak RSS $full_kib KiB, limit $limit_kib KiB (8 MB + $rss_per_byte x the" \
    "scenario's $scenario_bytes bytes)"
fi
if [ "$preset" != asan ] && [ "$full_kib" -gt "$limit_kib" ]; then
  echo "soak: peak RSS $full_kib KiB is above $limit_kib KiB" >&2
  exit 1
fi

# Peak RSS cannot see growth that fits in the memory the scenario's parse freed; the heap of an
# in-process run, whose story is generated as it goes, can.
if [ "$has_bench" = yes ]; then
  json="$("$build_dir/velmora_benchmarks" --benchmark_filter='BM_HeadlessHeapGrowth' \
    --benchmark_format=json 2>/dev/null)"
  growth="$(printf '%s\n' "$json" | awk -F: '/"growth_bytes_per_refresh"/ {
    gsub(/[^0-9eE.+-]/, "", $2); print $2; exit }')"
  echo "soak: in-process heap growth per refresh: $growth bytes"
  if ! awk -v g="$growth" -v limit="$heap_limit" 'BEGIN { exit !(g != "" && g <= limit) }'; then
    echo "soak: the heap grows by $growth bytes per refresh (limit $heap_limit)" >&2
    exit 1
  fi
fi
echo "soak: passed"
