#!/usr/bin/env bash
# The demo: builds a small model in a scratch folder and shows it with qeldb.
set -euo pipefail
qeldb=${1:-build/release/qeldb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== qeldb --version"
"$qeldb" --version

echo "== qeldb new: a new model's master data file with the user's defaults"
"$qeldb" new "$work/tower" --units 0 --job "Demo tower"
echo "== qeldb mdf"
"$qeldb" mdf "$work/tower"
"$qeldb" mdf "$work/tower" --field JobName --field JoistCriteria.DefLoad.UniLoad.Type
