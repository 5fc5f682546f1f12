#!/usr/bin/env bash
# Runs every benchmark program of a Release build.
set -euo pipefail
build=${1:-build/release}
shopt -s nullglob
for b in "$build"/bench/bench_*; do
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
