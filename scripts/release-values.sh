# Sourced by the release scripts: checks for the values a release puts into file names, URLs and
# the Homebrew cask's Ruby source. Each accepts only its strict form, so no quote, backslash,
# '#', '&', '|', space or line break can pass. Plain bash 3.2 (macOS's /bin/bash).

# The patterns' ranges mean ASCII letters only in the C locale.
export LC_ALL=C

# 1.2.3, or with a prerelease suffix: 1.2.3-rc.1.
valid_version() {
  local re='^(0|[1-9][0-9]*)\.(0|[1-9][0-9]*)\.(0|[1-9][0-9]*)(-[0-9A-Za-z]+(\.[0-9A-Za-z]+)*)?$'
  [[ $1 =~ $re ]]
}

# A SHA-256 digest as shasum prints it: 64 lowercase hex digits.
valid_sha256() {
  local re='^[0-9a-f]{64}$'
  [[ $1 =~ $re ]]
}

# OWNER/REPO as GitHub allows them: an owner of letters, digits and hyphens, not starting with a
# hyphen, at most 39 characters; a repository of letters, digits, '.', '-' and '_', at most 100,
# never "." or "..".
valid_repository() {
  local re='^[A-Za-z0-9][A-Za-z0-9-]*/[A-Za-z0-9._-]+$'
  [[ $1 =~ $re ]] || return 1
  local owner=${1%%/*} repo=${1#*/}
  [ ${#owner} -le 39 ] && [ ${#repo} -le 100 ] && [ "$repo" != . ] && [ "$repo" != .. ]
}
