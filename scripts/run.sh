#!/usr/bin/env bash
# Set-up, build and start the melody editor; an optional .mel path goes to it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
exec "${NV_BUILD_DIR:-$root/build}/bin/notara" "$@"
