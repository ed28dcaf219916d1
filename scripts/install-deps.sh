#!/usr/bin/env bash
# Installs what the build and the tests need, and does nothing when all of it is there:
# Debian packages through apt-get (as root or through sudo), Homebrew formulae on macOS.
set -euo pipefail

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
  local formulae=(cmake ninja googletest google-benchmark nlohmann-json)
  local missing=() f
  for f in "${formulae[@]}"; do
    brew list --formula "$f" >/dev/null 2>&1 || missing+=("$f")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    brew install "${missing[@]}"
  fi
}

install_debian() {
  # clang-tidy (with run-clang-tidy) and clang-format: the checks of .ci/run; ruby checks the
  # Homebrew cask the release scripts render.
  local packages=(cmake ninja-build g++ clang libclang-rt-dev clang-tidy clang-format pkg-config
                  libicu-dev libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev tmux
                  locales ruby)
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
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' || $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
}

case "$(uname -s)" in
  Darwin) install_homebrew ;;
  *) install_debian ;;
esac
