#!/usr/bin/env bash
# The main job. On Linux: builds velmora-sim and runs it; arguments go to velmora-sim (try
# --help). On macOS: builds the app bundle and opens it. The build's progress goes to stderr, so
# that velmora-sim's own output (JSON Lines with --headless) stays alone on stdout.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --app >&2

# Configures once; after that the build itself re-runs CMake when a CMakeLists.txt changes.
build() {
  local preset="$1" target="$2"
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >&2
  cmake --build --preset "$preset" --target "$target" >&2
}

if [ "$(uname -s)" = Darwin ]; then
  if [ $# -gt 0 ]; then
    echo "run.sh: the app takes no arguments. To run velmora-sim, build it with" \
      "cmake --preset default && cmake --build --preset default --target velmora-sim" \
      "and run build/default/velmora-sim" >&2
    exit 2
  fi
  app="build/macos/platform/macos/Velmora Session Tracker.app"
  build macos velmora_macos
  # open only brings a running copy forward, which would hide this build.
  if pgrep -f "Velmora Session Tracker.app/Contents/MacOS/" >/dev/null; then
    echo "run.sh: Velmora Session Tracker is already running; choose Quit Velmora Session" \
      "Tracker in its menu, then run this again" >&2
    exit 1
  fi
  exec open "$app"
fi

build default velmora-sim
exec build/default/velmora-sim "$@"
