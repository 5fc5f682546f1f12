#!/usr/bin/env bash
# The demo: builds a small model in a scratch folder and shows it with qeldb.
set -euo pipefail
qeldb=${1:-build/release/qeldb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The user's settings file (quvol.ini) is looked for in $DEVINI first.
export DEVINI="$(cd "$(dirname "$0")/../samples/settings" && pwd)/"  # must end in a separator

echo "== qeldb --version"
"$qeldb" --version

# A small model folder: record files laid out byte by byte (records are little-endian; a version
# stamp is major<<16 | minor<<8 | patch).
model="$work/tower/tower"
mkdir -p "$work/tower"
zeros() { head -c "$1" /dev/zero; }
stamp() { printf "\\x$(printf %02x "$3")\\x$(printf %02x "$2")\\x$(printf %02x "$1")\\x00"; }
zeros 672 >"$model.sty"                                                 # 2 stories of 336 bytes
for i in 1 2 3; do stamp 17 1 0; zeros 1308; done >"$model.b3d"        # 3 beams, current 17.1.0
{ zeros 188; stamp 15 5 0; zeros 320; } >"$model.w3d"                  # 1 wall of the 15.5.0 layout
for i in 1 2 3 4; do zeros 20; done >"$model.lod"                      # 4 loads of 20 bytes
zeros 500 >"$model.c3d"                                                 # not even one column record

echo
echo "== qeldb tables $model"
"$qeldb" tables "$model"
echo
echo "== qeldb tables --json $model"
"$qeldb" tables --json "$model"
echo
echo "== qeldb tables on a model that does not exist (exit code 2)"
set +e
"$qeldb" tables "$work/nothing/here"
echo "exit code: $?"
set -e
echo
echo "== qeldb new: a new model's master data file with the user's defaults"
"$qeldb" new "$work/fresh" --units 0 --job "Demo tower"
echo
echo "== qeldb mdf $work/fresh"
"$qeldb" mdf "$work/fresh"
echo
echo "== qeldb mdf --field JobName --field JoistCriteria.DefLoad.UniLoad.Type"
"$qeldb" mdf "$work/fresh" --field JobName --field JoistCriteria.DefLoad.UniLoad.Type
echo
echo "== fields taken from the user's settings (samples/settings/quvol.ini)"
"$qeldb" mdf "$work/fresh" --field SmallestWShape --field DefaultBeamPoisson
echo
echo "== a master data file saved with a byte-order mark: read as the older binary form, so warnings"
echo "== and exit code 3, and --save refuses to make the misreading permanent"
{ printf '\xef\xbb\xbf'; cat "$work/fresh.qel"; } >"$work/bom.qel"
set +e
"$qeldb" mdf "$work/bom" >/dev/null
echo "exit code: $?"
"$qeldb" mdf "$work/bom" --save
echo "exit code: $?"
set -e
echo
echo "== grid systems: an orthogonal and a radial system"
"$qeldb" demo-grids "$work/demo"
"$qeldb" grids "$work/demo"
echo "== the same as JSON (the first lines)"
"$qeldb" grids --json "$work/demo" >"$work/grids.json"
head -n 20 "$work/grids.json"
echo
echo "== model archives: the tower's folder packed, listed, read in place and restored"
"$qeldb" pack "$work/tower" "$work/tower.zip" --comment "Demo tower, as issued"
"$qeldb" ls "$work/tower.zip"
echo "== qeldb tables tower --archive tower.zip (read without extracting)"
"$qeldb" tables tower --archive "$work/tower.zip"
"$qeldb" unpack "$work/tower.zip" "$work/restored"
diff -r "$work/tower" "$work/restored" && echo "restored folder is identical"
