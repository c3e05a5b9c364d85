#!/usr/bin/env bash
# Builds the Debian package as the distribution would and checks it:
#  - a build of the programs alone in build-deb/ (or $NV_PACKAGE_BUILD_DIR)
#    with dpkg-buildflags' flags (all hardening on), then cpack;
#  - lintian: no error, warning or info tag (pedantic ones are listed);
#  - appstreamcli on the metainfo files and on the unpacked package (no
#    finding at all, pedantic ones included), desktop-file-validate on its
#    desktop entries and man --warnings on its manual pages;
#  - the unpacked programs run from where they are: nvtool writes a melody
#    set into a virtual doorbell and reads it back through the packaged
#    modules.
# Exits non-zero at the first failed check.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${NV_PACKAGE_BUILD_DIR:-$root/build-deb}"
jobs="${NV_JOBS:-2}"

cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
  -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" \
  -DNV_BUILD_TESTS=OFF -DNV_BUILD_BENCH=OFF -DNV_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build" -j "$jobs"

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "check-package: cpack made no single .deb in $build" >&2
  exit 1
fi
deb="${debs[0]}"
echo "check-package: $deb"

# lintian warns about running as root; that is no finding about the package.
lintian --fail-on error,warning,info --display-info --pedantic --tag-display-limit 0 "$deb" \
  2> >(grep -v 'running with root privileges' >&2)

appstreamcli validate --no-net --strict --pedantic "$root"/packaging/metainfo/*.metainfo.xml

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/pkg"
appstreamcli validate-tree --no-net --strict --pedantic "$tmp/pkg"
for entry in "$tmp"/pkg/usr/share/applications/*.desktop; do
  desktop-file-validate "$entry"
done
for page in "$tmp"/pkg/usr/share/man/man1/*.1.gz; do
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)"
  if [ -n "$warnings" ]; then
    echo "check-package: $page: $warnings" >&2
    exit 1
  fi
done

# The packaged nvtool, run through its launcher link, in a sandbox
# configuration folder: the modules must load from the package's program
# folder. A tune of the demo's MIDI file goes into a virtual doorbell as a
# set and comes back.
export XDG_CONFIG_HOME="$tmp/config"
nvtool="$tmp/pkg/usr/bin/nvtool"
port="virtual:$tmp/bell.bin?size=32768&fast=1"
"$nvtool" --help >/dev/null
"$nvtool" import "$root/scripts/demo-tune.mid" --melody 1 -o "$tmp/tune.mel" >/dev/null
"$nvtool" set create "$tmp/house.sto" "$tmp/tune.mel" >/dev/null
"$nvtool" bell --port "$port" mode sequential >/dev/null
"$nvtool" bell --port "$port" write-set "$tmp/house.sto" --verify >/dev/null
"$nvtool" bell --port "$port" read-set "$tmp/back.sto" >/dev/null
if ! cmp -s <("$nvtool" info --json "$tmp/house.sto" | grep -o '"notes".*') \
            <("$nvtool" info --json "$tmp/back.sto" | grep -o '"notes".*'); then
  echo "check-package: the set read back from the virtual doorbell differs from the one written" >&2
  exit 1
fi
echo "check-package: lintian, appstreamcli, desktop-file-validate, man and the packaged nvtool passed"
