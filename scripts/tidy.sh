#!/bin/sh
# clang-tidy (.clang-tidy's checks) over the core and the simulator: the sources and the headers
# of every folder in scripts/core_folders.txt and of platform/sim; tests, benchmarks and fuzz
# targets are left out. Prints the findings and exits 1 when there is any.
#
#   scripts/tidy.sh [BUILD_DIR]     BUILD_DIR holds compile_commands.json (default build/ci)
cd "$(dirname "$0")/.." || exit 2
build=${1:-build/ci}

folders=$(grep -v -e '^#' -e '^$' scripts/core_folders.txt | tr '\n' '|')
# One regex for both: a source or header directly or deeper in one of these folders.
paths="$PWD/(${folders}platform/sim)/"

log=$(mktemp /tmp/velmora-tidy-XXXXXX) || exit 2
if run-clang-tidy -quiet -p "$build" -header-filter="$paths" "$paths" >"$log" 2>&1; then
  rm -f "$log"
  exit 0
fi
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -v -e '^clang-tidy' -e ' generated\.$' \
  -e '^Suppressed' -e '^Use -header-filter' -e '^Enabled checks:' -e '^Running clang-tidy'
rm -f "$log"
echo "clang-tidy: findings above" >&2
exit 1
