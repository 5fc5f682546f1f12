#!/usr/bin/env bash
# Runs every benchmark program of a Release build, then the Python benchmarks against the module
# of the Python build when one is given.
set -euo pipefail
build=${1:-build/release}
python_build=${2:-}
shopt -s nullglob
for b in "$build"/bench/bench_*; do
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true
done
if [ -n "$python_build" ]; then
  for p in bench/*.py; do
    echo "== $(basename "$p")"
    PYTHONPATH="$python_build/python" "${PYTHON:-/usr/bin/python3}" "$p"
  done
fi
