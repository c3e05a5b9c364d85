#!/usr/bin/env bash
# Runs every libFuzzer program of the fuzz build for SECONDS each (60), one
# after the other, starting from its seeds:
#   scripts/fuzz.sh [SECONDS] [NAME...]
# Needs `scripts/build.sh fuzz` first (clang). The corpus each run grows is
# kept in build-fuzz/fuzz/work/<name>/; an input that fails is saved as
# build-fuzz/fuzz/findings/<name>-crash-<hash> and fails this script. Fuzzers
# that fuzzers.txt does not list (added without nv_add_fuzzer) run from an
# empty corpus.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
fuzz="${NV_BUILD_DIR:-$root/build-fuzz}/fuzz"
seconds="${1:-60}"
[ $# -gt 0 ] && shift
only=("$@")

wanted() {
  [ "${#only[@]}" -eq 0 ] && return 0
  local name
  for name in "${only[@]}"; do [ "$name" = "$1" ] && return 0; done
  return 1
}

# The seeds our writers make, for the fuzzers whose seeds are not in git.
if [ -x "$fuzz/fuzz_seed_corpus" ]; then "$fuzz/fuzz_seed_corpus" "$fuzz/corpus"; fi

declare -A seeds=() programs=()
while IFS=$'\t' read -r name program seedDir; do
  [ -n "$name" ] || continue
  programs[$name]="$program" seeds[$name]="$seedDir"
done <"$fuzz/fuzzers.txt"
for program in "$fuzz"/*; do
  name="$(basename "$program")"
  [ -f "$program" ] && [ -x "$program" ] || continue
  [[ "$name" == *_replay || "$name" == fuzz_seed_corpus ]] && continue
  if ! printf '%s\n' "${programs[@]}" | grep -qxF "$program" && grep -q max_total_time "$program"; then
    programs[$name]="$program" seeds[$name]=""
  fi
done

mkdir -p "$fuzz/findings"
failed=()
for name in $(printf '%s\n' "${!programs[@]}" | sort); do
  wanted "$name" || continue
  work="$fuzz/work/$name"
  mkdir -p "$work"
  if [ -n "${seeds[$name]}" ] && [ -d "${seeds[$name]}" ]; then cp -n "${seeds[$name]}"/* "$work"/ 2>/dev/null || true; fi
  echo "fuzz: $name for ${seconds}s"
  if ! "${programs[$name]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$fuzz/findings/$name-" "$work" >"$fuzz/findings/$name.log" 2>&1; then
    failed+=("$name")
    tail -n 40 "$fuzz/findings/$name.log" >&2
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$fuzz/findings/$name.log" | sed "s/^/fuzz: $name /" || true
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: failures in ${failed[*]}; inputs under $fuzz/findings" >&2
  exit 1
fi
