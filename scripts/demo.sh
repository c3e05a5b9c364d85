#!/usr/bin/env bash
# The headless demo: the whole road from a MIDI file to the doorbell and
# back, without a display and without touching the user's settings (the
# registry lives in a sandbox configuration folder inside the results).
#
#   scripts/demo.sh            results in build/demo/ (or $NV_DEMO_DIR)
#
# Needs a build (scripts/build.sh; scripts/run.sh builds first).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NV_BUILD_DIR:-$root/build}"
bin="$build/bin"
out="${NV_DEMO_DIR:-$build/demo}"
if [ ! -x "$bin/nvtool" ]; then
  bash "$root/scripts/build.sh"
fi

rm -rf "$out"
mkdir -p "$out/config/N&V/registry" "$out/midi"
mkdir -m 700 "$out/runtime"
export XDG_CONFIG_HOME="$out/config"
export XDG_RUNTIME_DIR="$out/runtime"
export QT_QPA_PLATFORM=offscreen
port="virtual:$out/doorbell.bin?size=32768"

# The sandbox registry: silent audio output and the virtual doorbell as the
# programs' port (registry-editor export format, as the platform keeps it).
cat >"$out/config/N&V/registry/HKEY_CURRENT_USER.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\N&V\\Sonvox]
"AudioDevice"="null"

[HKEY_CURRENT_USER\\Software\\N&V\\Chimox]
"Port"="$port"
REG

nvtool() { "$bin/nvtool" "$@"; }
step() { printf '\n== %s\n' "$*"; }

step "The MIDI file the project ships: three tunes on three channels"
# Imported melodies are named after their MIDI file, so each tune is taken
# from a copy named for it.
for name in Chimes Bass Ding-dong; do cp "$root/scripts/demo-tune.mid" "$out/midi/$name.mid"; done
nvtool info "$out/midi/Chimes.mid"

step "Import: one melody of each channel, the bass line cut to its first bars"
nvtool import "$out/midi/Chimes.mid" --melody 1 -o "$out/chimes.mel"
nvtool import "$out/midi/Bass.mid" --melody 2 --from 0 --to 6 -o "$out/bass.mel"
nvtool import "$out/midi/Ding-dong.mid" --melody 3 -o "$out/ding-dong.mel"
nvtool info "$out/ding-dong.mel"

step "A melody set of the three"
nvtool set create "$out/demo.sto" "$out/chimes.mel" "$out/bass.mel" "$out/ding-dong.mel"

step "Into a new virtual doorbell ($out/doorbell.bin)"
nvtool bell status
nvtool bell mode sequential >/dev/null
nvtool bell write-set "$out/demo.sto" --verify

step "Read back from the doorbell"
nvtool bell read-set "$out/readback.sto"
nvtool info "$out/readback.sto" | head -n 2

step "Ring the doorbell four times"
nvtool ring --port "$port" --times 4 --mute

step "Sound and staff of the chimes"
nvtool render "$out/chimes.mel" -o "$out/chimes.wav"
nvtool staff "$out/chimes.mel" -o "$out/chimes-staff.png" --zoom 150
nvtool export "$out/chimes.mel" -o "$out/chimes.mid"

step "Screenshots of the programs, off screen"
shoot() {
  local program="$1" picture="$2"
  shift 2
  if [ ! -x "$bin/$program" ]; then
    echo "$program: not built, no screenshot"
    return
  fi
  if QT_PLUGIN_PATH="$build/plugins" QT_QPA_GENERIC_PLUGINS="nvshot:$picture" \
    timeout 60 "$bin/$program" "$@" >>"$out/programs.log" 2>&1 && [ -s "$picture" ]; then
    echo "$picture"
  else
    echo "$program: no screenshot (see $out/programs.log)"
  fi
}
shoot notara "$out/notara.png" "$out/chimes.mel"
shoot setora "$out/setora.png"
shoot dinova "$out/dinova.png"

step "Done. The results are in $out:"
ls -1 "$out" | sed 's/^/  /'
