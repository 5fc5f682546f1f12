#!/usr/bin/env bash
# Runs every benchmark program of a Release build.
set -euo pipefail
build=${1:-build/release}
shopt -s nullglob

# Debian builds its benchmark library without NDEBUG, so every run starts with the library's
# "***WARNING*** Library was built as DEBUG". It concerns the distribution's copy of that
# library, not our code (built Release, timed against its floor in the same run): the first time
# it appears, one line says so; the warning itself is left out.
explained=$(mktemp)
trap 'rm -f "$explained"' EXIT
explain() {
  local line
  while IFS= read -r line; do
    if [[ $line == *"Library was built as DEBUG"* ]]; then
      if [ ! -s "$explained" ]; then
        echo "note: Debian's benchmark library is built without NDEBUG and calls itself DEBUG;" \
          "our code is built Release, and each ratio is measured against its floor in one run"
        echo 1 >"$explained"
      fi
    else
      printf '%s\n' "$line"
    fi
  done
}

for b in "$build"/bench/bench_*; do
  echo "== $(basename "$b")"
  { "$b" --benchmark_counters_tabular=true 2>&1 1>&3 3>&- | explain >&2; } 3>&1
done
