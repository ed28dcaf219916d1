#!/usr/bin/env bash
# The release scripts: the rendered cask is valid Ruby whose stanzas hold the values given, bad
# values are refused before they reach it, the changelog extractor prints exactly one section
# and fails on a missing, doubled or empty one, and a tag must name the project version.
# Usage: release_scripts_test.sh RUBY PROJECT_VERSION
set -uo pipefail

ruby=$1
project_version=$2
root="$(cd "$(dirname "$0")/.." && pwd)"
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-release-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_refused STATUS COMMAND...: the command exits with STATUS, prints nothing on standard
# output and says why on standard error.
expect_refused() {
  local want=$1 got
  shift
  "$@" >"$work/out" 2>"$work/err"
  got=$?
  [ "$got" -eq "$want" ] || fail "exit status $got, not $want: $*"
  [ ! -s "$work/out" ] || fail "printed on standard output: $*"
  [ -s "$work/err" ] || fail "no message: $*"
}

# --- The cask --------------------------------------------------------------------------------
sha=0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef
render="$root/scripts/render-cask.sh"
"$render" 12.34.5 "$sha" example-owner/tap.repo_1 >"$work/cask.rb" || fail "render-cask refused good values"
"$ruby" -c "$work/cask.rb" >/dev/null || fail "the rendered cask is not valid Ruby"
! grep -n '@[A-Z0-9_]*@' "$work/cask.rb" || fail "a placeholder is left in the cask"
"$render" 1.0.0-rc.1 "$sha" o/r >/dev/null || fail "render-cask refused a prerelease version"

# The stanzas as Homebrew's DSL would receive them, through a stand-in that prints each call.
"$ruby" - "$work/cask.rb" >"$work/stanzas" <<'RUBY' || fail "the cask did not evaluate"
def show(value)
  case value
  when Hash then value.map { |key, item| "#{key}: #{show(item)}" }.join(", ")
  when Array then "[" + value.map { |item| show(item) }.join(", ") + "]"
  else value.inspect
  end
end

class Stanzas
  def version(value = nil)
    return @version if value.nil?
    @version = value
    puts "version #{show(value)}"
  end

  def method_missing(name, *args)
    puts "#{name} #{args.map { |arg| show(arg) }.join(', ')}"
  end

  def respond_to_missing?(_name, _include_private = false)
    true
  end
end

def cask(token, &block)
  puts "cask #{show(token)}"
  Stanzas.new.instance_eval(&block)
end

load ARGV[0]
RUBY
cat >"$work/stanzas.expected" <<EOF2
cask "velmora-session-tracker"
version "12.34.5"
sha256 "$sha"
url "https://github.com/example-owner/tap.repo_1/releases/download/v12.34.5/VelmoraSessionTracker-12.34.5-macos-universal.dmg"
name "Velmora Session Tracker"
desc "Menu bar status of Windows App's remote desktop sessions"
homepage "https://github.com/example-owner/tap.repo_1"
app "Velmora Session Tracker.app"
uninstall launchctl: "com.velmora.session-tracker", quit: "com.velmora.session-tracker"
zap trash: ["~/.cache/velmora_session_tracker", "~/Library/LaunchAgents/com.velmora.session-tracker.plist"]
EOF2
diff -u "$work/stanzas.expected" "$work/stanzas" >&2 || fail "the cask's stanzas differ (diff above)"

expect_refused 2 "$render" 1.2.3 "$sha"
expect_refused 2 "$render" 1.2 "$sha" o/r
expect_refused 2 "$render" v1.2.3 "$sha" o/r
expect_refused 2 "$render" '1.2.3"; system("id"); "' "$sha" o/r
expect_refused 2 "$render" "1.2.3
1.2.4" "$sha" o/r
expect_refused 2 "$render" 1.2.3 "${sha%?}" o/r
expect_refused 2 "$render" 1.2.3 "${sha}0" o/r
expect_refused 2 "$render" 1.2.3 "$(echo "$sha" | tr a-f A-F)" o/r
expect_refused 2 "$render" 1.2.3 "$sha" owner
expect_refused 2 "$render" 1.2.3 "$sha" o/r/extra
expect_refused 2 "$render" 1.2.3 "$sha" -owner/r
expect_refused 2 "$render" 1.2.3 "$sha" o/..
expect_refused 2 "$render" 1.2.3 "$sha" 'o/r#{`id`}'
expect_refused 2 "$render" 1.2.3 "$sha" 'ówner/r'

# --- The changelog's sections ----------------------------------------------------------------
section="$root/scripts/changelog-section.sh"
cat >"$work/CHANGELOG.md" <<'EOF2'
# Changelog

## 0.10.0 (unreleased)

- Ten.

## 0.1.0-rc.1

- Candidate.

## 0.1.0 (2026-01-02)

Notes of 0.1.0.

### Fixed

- One.


## 0.0.9

## 0.0.8

- Eight.

## 0.0.8

- Eight again.
EOF2
printf 'Notes of 0.1.0.\n\n### Fixed\n\n- One.\n' >"$work/notes.expected"
"$section" 0.1.0 "$work/CHANGELOG.md" >"$work/notes" || fail "no section 0.1.0"
diff -u "$work/notes.expected" "$work/notes" >&2 || fail "the section of 0.1.0 differs (diff above)"
expect_refused 1 "$section" 0.0.9 "$work/CHANGELOG.md"
expect_refused 1 "$section" 0.0.8 "$work/CHANGELOG.md"
expect_refused 1 "$section" 0.0.0
expect_refused 2 "$section" 'v0.1.0'
# The version being built has its notes ready.
if ! "$section" "$project_version" >/dev/null; then
  fail "CHANGELOG.md has no section for $project_version, the project() version"
fi

# --- The tag --------------------------------------------------------------------------------
[ "$("$root/scripts/tag-version.sh" "v$project_version")" = "$project_version" ] ||
  fail "tag-version refused v$project_version"
expect_refused 1 "$root/scripts/tag-version.sh" "v$project_version.1"
expect_refused 1 "$root/scripts/tag-version.sh" "$project_version"

if [ "$failures" -ne 0 ]; then
  echo "$failures release script checks failed" >&2
  exit 1
fi
echo "release scripts: all checks passed"
