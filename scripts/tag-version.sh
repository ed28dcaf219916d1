#!/usr/bin/env bash
# Prints the version a release tag names (v0.2.0 -> 0.2.0) when it is the version of project()
# in CMakeLists.txt, which names the app's version and the packages; fails with a message
# otherwise:
#   scripts/tag-version.sh TAG
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -ne 1 ]; then
  echo "usage: scripts/tag-version.sh TAG" >&2
  exit 2
fi
project_version="$(sed -n 's/^project([A-Za-z_]* VERSION \([0-9][0-9.]*\)[ )].*/\1/p' \
  "$root/CMakeLists.txt")"
if [ -z "$project_version" ]; then
  echo "tag-version: found no project() version in CMakeLists.txt" >&2
  exit 1
fi
if [ "$1" != "v$project_version" ]; then
  echo "tag-version: the tag is not v$project_version, the version of project() in" \
    "CMakeLists.txt. Tag a commit whose project() names the version, as v<version>." >&2
  exit 1
fi
echo "$project_version"
