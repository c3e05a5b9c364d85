#!/usr/bin/env bash
# Checks with clang-format the C++ files that differ from the merge base with
# main, committed or not, and new files not yet added. Skipped outside a git work tree, without a main
# branch, or when clang-format is missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if ! command -v clang-format >/dev/null 2>&1; then
  echo "check-format: clang-format missing, skipped"
  exit 0
fi
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "check-format: not a git work tree, skipped"
  exit 0
fi
main=""
for ref in main origin/main; do
  if git rev-parse --verify -q "$ref^{commit}" >/dev/null; then
    main="$ref"
    break
  fi
done
if [ -z "$main" ]; then
  echo "check-format: no main branch, skipped"
  exit 0
fi
base="$(git merge-base HEAD "$main")"
mapfile -t files < <({
  git diff --name-only --diff-filter=ACMR "$base" -- '*.cpp' '*.h'
  git ls-files --others --exclude-standard -- '*.cpp' '*.h'
} | sort -u)
if [ "${#files[@]}" -eq 0 ]; then
  echo "check-format: no changed C++ files"
  exit 0
fi
clang-format --dry-run --Werror "${files[@]}"
echo "check-format: ${#files[@]} changed files formatted"
