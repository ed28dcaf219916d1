#!/bin/sh
# Fails when the tests outgrow their share of the code: non-blank lines of the .cc, .h and .sh
# files under tests/ against those of the .cc, .h and .mm files outside tests/, benchmarks/,
# fuzz/ and tools/. Data files (tests/data) do not count. Files git tracks when the checkout has
# a .git, every file found otherwise.
#
#   scripts/test_share.sh        prints "Test lines: T, code lines: C, share 0.NN"
#
# Exits 1 when T > 0.35 × C.
cd "$(dirname "$0")/.." || exit 2

list_files() {
  if [ -d .git ] || [ -f .git ]; then
    git ls-files
  else
    find . -path ./build -prune -o -type f -print | sed 's|^\./||'
  fi
}

# Non-blank lines of the files named on standard input, one a line.
count_lines() {
  total=0
  while IFS= read -r file; do
    [ -f "$file" ] || continue
    n=$(grep -c '[^[:space:]]' "$file")
    total=$((total + n))
  done
  echo "$total"
}

files=$(list_files)
tests=$(printf '%s\n' "$files" | grep -E '^tests/.*\.(cc|h|sh)$' | count_lines)
code=$(printf '%s\n' "$files" | grep -E '\.(cc|h|mm)$' |
  grep -v -E '^(tests|benchmarks|fuzz|tools|build)/' | count_lines)

if [ "$code" -eq 0 ]; then
  echo "No code lines found" >&2
  exit 2
fi
# Two decimals, rounded to the nearest, in integer arithmetic (no bc on every machine).
hundredths=$(((tests * 200 / code + 1) / 2))
printf 'Test lines: %s, code lines: %s, share %d.%02d\n' "$tests" "$code" \
  $((hundredths / 100)) $((hundredths % 100))
if [ $((tests * 100)) -gt $((code * 35)) ]; then
  echo "Tests are more than 0.35 of the code: cut restating tests or merge cases" >&2
  exit 1
fi
