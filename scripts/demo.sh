#!/usr/bin/env bash
# The demo: builds a small model in a scratch folder and shows it with qeldb.
set -euo pipefail
qeldb=${1:-build/release/qeldb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== qeldb --version"
"$qeldb" --version

echo
echo "== grid systems: an orthogonal and a radial system"
"$qeldb" demo-grids "$work/demo"
"$qeldb" grids "$work/demo"
echo "== the same as JSON (the first lines)"
"$qeldb" grids --json "$work/demo" >"$work/grids.json"
head -n 20 "$work/grids.json"
