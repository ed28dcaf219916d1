#!/usr/bin/env bash
# Installs what is missing, and does nothing when all of it is there: Debian packages through
# apt-get (as root or through sudo), Homebrew formulae on macOS. Two groups:
#
#   scripts/install-deps.sh --app     what building the program needs (scripts/run.sh): the app
#                                     bundle on macOS, velmora-sim elsewhere
#   scripts/install-deps.sh [--tests] that, and what the tests and the checks of .ci/run need
#                                     (scripts/test.sh, .ci/run)
#
# Runs under macOS's /bin/bash 3.2.
set -euo pipefail

group=tests
case "${1:-}" in
  --app) group=app ;;
  --tests | '') ;;
  *)
    echo "usage: scripts/install-deps.sh [--app | --tests]" >&2
    exit 2
    ;;
esac

# The major version of this macOS (11, 12, ...).
macos_major() { sw_vers -productVersion | cut -d. -f1; }

install_homebrew() {
  if ! xcode-select -p >/dev/null 2>&1; then
    echo "install-deps: the Xcode command-line tools are missing; run: xcode-select --install" >&2
    exit 1
  fi
  if ! command -v brew >/dev/null 2>&1; then
    echo "install-deps: Homebrew is needed on macOS (https://brew.sh); install it, then run" \
      "this again" >&2
    exit 1
  fi
  # A tool found on the PATH (a runner's own cmake, say) is not installed again.
  local tools=(cmake ninja) formulae=(nlohmann-json)
  if [ "$group" = tests ]; then
    formulae+=(googletest)
    # Homebrew has bottles of google-benchmark for macOS 14 and later only; older systems would
    # build it from source. The benchmarks are left out without it.
    if [ "$(macos_major)" -ge 14 ]; then
      formulae+=(google-benchmark)
    else
      echo "install-deps: google-benchmark is left out on macOS $(macos_major) (no bottle);" \
        "velmora_benchmarks is not built"
    fi
  fi
  local missing=() f
  for f in "${tools[@]}"; do
    command -v "$f" >/dev/null 2>&1 || brew list --formula "$f" >/dev/null 2>&1 || missing+=("$f")
  done
  for f in "${formulae[@]}"; do
    brew list --formula "$f" >/dev/null 2>&1 || missing+=("$f")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    brew install "${missing[@]}"
  fi
}

install_debian() {
  # velmora-sim: the compiler, utf8proc for the text layer, nlohmann's JSON for scenario files.
  # (macOS builds utf8proc from its pinned source instead: nothing from Homebrew at run time.)
  local packages=(cmake ninja-build g++ libutf8proc-dev nlohmann-json3-dev)
  if [ "$group" = tests ]; then
    # GoogleTest twice: built for libstdc++, and its sources for the libc++ build of .ci/run.
    # clang-tidy (with run-clang-tidy) and clang-format: the checks of .ci/run; clang with its
    # runtimes for the fuzz targets; the newest clang and its libc++ for the libc++ build, the
    # nearest to Xcode's; tmux and perl for the interactive test; locales for the decimal-comma
    # test; ruby checks the Homebrew cask the release scripts render; zlib reads a compressed
    # Unicode test file (macOS has it); ICU, a second implementation of Unicode, checks the
    # text layer's generated tables and its fuzz target; python3 checks the documentation's links.
    packages+=(clang libclang-rt-dev clang-tidy clang-format clang-19 libc++-19-dev
               libc++abi-19-dev pkg-config zlib1g-dev libicu-dev
               libgtest-dev libgmock-dev googletest libbenchmark-dev tmux perl locales ruby
               python3)
  fi
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi

  # A locale with a decimal comma, for the start-file parser's locale test.
  if [ "$group" = tests ]; then
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' ||
      $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
  fi
}

case "$(uname -s)" in
  Darwin) install_homebrew ;;
  *) install_debian ;;
esac
