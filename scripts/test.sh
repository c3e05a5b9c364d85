#!/usr/bin/env bash
# The project's one test command, and what CI runs (.ci/run):
#   set-up (scripts/setup.sh) and the format check of changed files;
#   the default build and every test;
#   the ASan+UBSan build and every test;
#   the ThreadSanitizer build of the threaded test programs and their tests;
#   with clang, the fuzz build and every libFuzzer program for 60 s;
#   the Debian package built and checked (scripts/check-package.sh).
# `scripts/test.sh --quick` (or NV_CI_QUICK=1) stops after the default build's
# tests. Warnings are errors under CI (CI set) unless NV_WERROR=OFF; NV_JOBS
# sets the parallel jobs (2), NV_FUZZ_SECONDS the time of each fuzzer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
quick="${NV_CI_QUICK:-0}"
if [ "${1:-}" = --quick ]; then quick=1; fi
werror="${NV_WERROR:-$([ -n "${CI:-}" ] && echo ON || echo OFF)}"
jobs="${NV_JOBS:-2}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-second_deadlock_stack=1}"

started=$SECONDS
step() {
  echo "test.sh: $1 ($((SECONDS - started)) s)"
}
tests() {
  ctest --test-dir "$1" --output-on-failure -j "$jobs" --timeout 300 "${@:2}"
}

bash "$root/scripts/setup.sh"
bash "$root/scripts/check-format.sh"

step "default build"
NV_BUILD_DIR="${NV_BUILD_DIR:-$root/build}" bash "$root/scripts/build.sh" default -DNV_WERROR="$werror"
tests "${NV_BUILD_DIR:-$root/build}"
if [ "$quick" = 1 ]; then
  step "quick mode: done"
  exit 0
fi

step "ASan+UBSan build"
NV_BUILD_DIR="$root/build-asan" bash "$root/scripts/build.sh" asan -DNV_WERROR="$werror"
# The programs the real-event flows start are not test programs: their leak
# suppressions come from a file. The sound-server test listens in real time,
# which the sanitizer's slower feeder cannot keep; it runs in the default build.
LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/support/lsan.supp}" \
  tests "$root/build-asan" -E '^SoundServerTest\.'


step "ThreadSanitizer build"
NV_BUILD_DIR="$root/build-tsan" bash "$root/scripts/build.sh" tsan -DNV_WERROR="$werror"
tests "$root/build-tsan" -L threaded

if command -v clang++ >/dev/null 2>&1; then
  step "fuzz build"
  NV_BUILD_DIR="$root/build-fuzz" bash "$root/scripts/build.sh" fuzz -DNV_WERROR="$werror"
  NV_BUILD_DIR="$root/build-fuzz" bash "$root/scripts/fuzz.sh" "${NV_FUZZ_SECONDS:-60}"
else
  step "clang++ missing: fuzzing skipped, seeds replayed only"
fi
step "package check"
bash "$root/scripts/check-package.sh"
