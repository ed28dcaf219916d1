#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test (Linux and macOS).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests
cmake --preset ci
cmake --build --preset ci
ctest --preset ci
