#!/usr/bin/env bash
# Prints the Homebrew cask of a release on standard output, from
# packaging/homebrew/velmora-session-tracker.rb.in:
#   scripts/render-cask.sh VERSION SHA256 OWNER/REPO
# VERSION as in the tag (1.2.3), SHA256 the disk image's digest, OWNER/REPO the GitHub repository
# whose release holds the disk image. The values become Ruby source, so each must have its strict
# form; anything else is refused with status 2 and nothing is printed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source-path=SCRIPTDIR
. "$here/release-values.sh"

refuse() {
  echo "render-cask: $1" >&2
  echo "usage: scripts/render-cask.sh VERSION SHA256 OWNER/REPO" >&2
  exit 2
}

[ $# -eq 3 ] || refuse "three arguments needed, $# given"
version=$1
sha256=$2
repository=$3
valid_version "$version" || refuse "VERSION must look like 1.2.3 or 1.2.3-rc.1"
valid_sha256 "$sha256" || refuse "SHA256 must be 64 lowercase hexadecimal digits"
valid_repository "$repository" || refuse "OWNER/REPO must be a GitHub repository name"

# The checked values hold none of sed's '|', '&' or '\'.
sed -e "s|@VERSION@|$version|g" -e "s|@SHA256@|$sha256|g" -e "s|@REPOSITORY@|$repository|g" \
  "$here/../packaging/homebrew/velmora-session-tracker.rb.in"
