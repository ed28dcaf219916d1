#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS (default 45) on a copy
# of its checked-in corpus, which is never written to. Fails on the first finding and keeps the
# input in build/fuzz/findings/; prints each target's executions.
# Usage: scripts/fuzz.sh [TARGET...]   (default: all of them)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${FUZZ_SECONDS:-45}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(start_file scenario detection raise_script report_scenario)
  # The text target compares with ICU, which a Mac build does not use.
  [ "$(uname)" = Darwin ] || targets+=(text)
fi

work=$(mktemp -d /tmp/velmora-fuzz-XXXXXX)
trap 'rm -rf "$work"' EXIT

scripts/install-deps.sh
if ! { cmake --preset fuzz && cmake --build --preset fuzz -j 2; } >"$work/build.log" 2>&1; then
  tail -n 80 "$work/build.log"
  echo "fuzz: the build failed" >&2
  exit 1
fi

findings=$root/build/fuzz/findings
mkdir -p "$findings"
# Whatever a target leaves in TMPDIR goes away with the work directory.
export TMPDIR=$work
for target in "${targets[@]}"; do
  binary=$root/build/fuzz/fuzz/${target}_fuzz
  [ -x "$binary" ] || { echo "fuzz: no target $target" >&2; exit 1; }
  mkdir -p "$work/corpus/$target"
  cp "$root/fuzz/corpus/$target"/* "$work/corpus/$target"/
  log=$work/$target.log
  # ${dict[@]+...} below: macOS's bash 3.2 calls an empty array unbound under set -u.
  dict=()
  [ -f "$root/fuzz/$target.dict" ] && dict=(-dict="$root/fuzz/$target.dict")
  # -max_len is above the start file's 4096-byte cap, so oversized files are tried too.
  if ! (cd "$work" && "$binary" -max_total_time="$seconds" -print_final_stats=1 \
        -max_len=8192 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/$target-" \
        ${dict[@]+"${dict[@]}"} "$work/corpus/$target" >"$log" 2>&1); then
    tail -n 60 "$log"
    echo "fuzz: $target FAILED; replay with: $binary $findings/$target-<file>" >&2
    exit 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  echo "fuzz: $target: ${runs:-?} executions in ${seconds} s, no findings"
done
