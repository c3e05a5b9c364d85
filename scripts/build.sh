#!/usr/bin/env bash
# Configures and builds into build/ (or $NV_BUILD_DIR) with Ninja.
# Extra arguments go to CMake's configure step, e.g. -DNV_SANITIZE=address.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NV_BUILD_DIR:-$root/build}"
jobs="${NV_JOBS:-2}"
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j "$jobs"
