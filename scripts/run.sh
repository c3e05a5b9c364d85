#!/usr/bin/env bash
# Set-up, build and start the melody editor; an optional .mel path goes to it.
# Without a display it runs the headless demo (scripts/demo.sh) instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec bash "$root/scripts/demo.sh"
fi
exec "${NV_BUILD_DIR:-$root/build}/bin/notara" "$@"
