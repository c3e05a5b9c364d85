#!/usr/bin/env bash
# Set-up, build and every test: the project's one test command.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "${NV_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j "${NV_JOBS:-2}" --timeout 300
bash "$root/scripts/check-package.sh"
