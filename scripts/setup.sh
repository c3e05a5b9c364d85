#!/usr/bin/env bash
# Installs what the build, the tests and the programs need on Debian 12.
# Quiet and quick when everything is already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libasound2-dev alsa-utils
  qt6-base-dev qt6-svg-dev libgl-dev fonts-liberation2 qt6-translations-l10n
  libfreetype-dev lilypond-fonts
  xvfb xauth xdotool imagemagick x11-utils
  librsvg2-bin poppler-utils
  python3-mido
  fp-utils libchm-dev
  lintian appstream desktop-file-utils man-db
  pipewire pipewire-bin pipewire-alsa wireplumber dbus
  ccache clang-format clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
