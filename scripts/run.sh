#!/usr/bin/env bash
# Builds velmora-sim and runs it; arguments go to velmora-sim (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target velmora-sim >/dev/null
exec build/default/velmora-sim "$@"
