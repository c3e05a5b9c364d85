#!/usr/bin/env bash
# Set-up, build and start the melody editor (arguments go to it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
bin="${NV_BUILD_DIR:-$root/build}/bin"
if [ -x "$bin/notara" ]; then
  exec "$bin/notara" "$@"
fi
exec "$bin/sonvox-smoke" "$@"
