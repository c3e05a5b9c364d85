#!/usr/bin/env bash
# Configures and builds one of the CMake presets with Ninja:
#   scripts/build.sh [PRESET] [CMAKE_ARGS...]
# PRESET is default (build/), asan (build-asan/, ASan+UBSan), tsan
# (build-tsan/, only the threaded test programs) or fuzz (build-fuzz/, clang,
# the libFuzzer programs). NV_BUILD_DIR names another build folder, NV_JOBS
# the parallel jobs (2). ccache, when installed, is the compiler launcher.
# Further arguments go to CMake's configure step, e.g. -DNV_WERROR=ON.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
preset=default
if [ $# -gt 0 ] && [[ "$1" != -* ]]; then
  preset="$1"
  shift
fi
targets=()
case "$preset" in
  default) folder=build ;;
  asan) folder=build-asan ;;
  tsan) folder=build-tsan targets=(--target threaded_tests) ;;
  fuzz) folder=build-fuzz targets=(--target fuzzers) ;;
  *)
    echo "build.sh: unknown preset '$preset' (default, asan, tsan or fuzz)" >&2
    exit 2
    ;;
esac
build="${NV_BUILD_DIR:-$root/$folder}"
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cd "$root"
cmake --preset "$preset" -B "$build" "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j "${NV_JOBS:-2}" "${targets[@]}"
