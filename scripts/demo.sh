#!/usr/bin/env bash
# The demo: builds a small model in a scratch folder and shows it with qeldb.
set -euo pipefail
qeldb=${1:-build/release/qeldb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== qeldb --version"
"$qeldb" --version
