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
echo "== qeldb mdf --set: fields changed by archive name, the old file kept as .qel.bak"
"$qeldb" mdf "$work/fresh" --set NumStories=12 --set JoistCriteria.DefLoad.UniLoad.Type=2
"$qeldb" mdf "$work/fresh" --field NumStories --field JoistCriteria.DefLoad.UniLoad.Type
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
echo "== a plan of the demo model (its grid systems), as SVG and PNG"
"$qeldb" new "$work/demo" --units 0 --job "Demo plan" >/dev/null
pictures="$(cd "$(dirname "$qeldb")" && pwd)/demo"
mkdir -p "$pictures"
"$qeldb" plan "$work/demo" -o "$pictures/plan.svg" --force
"$qeldb" plan "$work/demo" -o "$pictures/plan.png" --force
echo "== a generated building: 3 stories of 12 beams, and a copy with beams of the 14.5.0 layout"
mkdir -p "$work/bldg" "$work/old"
"$qeldb" demo-model "$work/bldg/bldg" --stories 3 --beams-per-story 12
"$qeldb" demo-model "$work/old/old" --stories 3 --beams-per-story 12 --beam-stamp 14.5.0
echo "== qeldb stories"
"$qeldb" stories "$work/bldg/bldg"
echo "== a plan of story 1 of the building: its beams, columns and walls over the grids"
"$qeldb" plan "$work/bldg/bldg" --story 1 -o "$pictures/story1.svg" --force
"$qeldb" plan "$work/bldg/bldg" --story 1 -o "$pictures/story1.png" --force
echo "== qeldb decks (the generated building's floors)"
"$qeldb" decks "$work/bldg/bldg"
echo "== qeldb members columns --story 1"
"$qeldb" members "$work/bldg/bldg" columns --story 1
echo "== qeldb members walls --story 1 --json (the first lines)"
"$qeldb" members "$work/bldg/bldg" walls --story 1 --json | head -n 24
echo "== qeldb upgrade --dry-run on the old copy, then for real"
"$qeldb" upgrade "$work/old/old" --dry-run
"$qeldb" upgrade "$work/old/old"
"$qeldb" tables "$work/old/old"
echo "== floors, loads and deflection criteria added to the new model"
"$qeldb" demo-floors "$work/fresh"
echo
echo "== qeldb decks $work/fresh"
"$qeldb" decks "$work/fresh"
echo
echo "== qeldb combos $work/fresh cmb"
"$qeldb" combos "$work/fresh" cmb
echo
echo "== qeldb deflcrit $work/fresh"
"$qeldb" deflcrit "$work/fresh"
echo
echo "== qeldb deflcrit --concrete --json $work/fresh"
"$qeldb" deflcrit --concrete --json "$work/fresh"
echo "== steel sections: a model's working copy of the sample section table"
# The tables folder is an absolute path in the settings file, so the demo writes its own copy.
samples="$(cd "$(dirname "$0")/../samples" && pwd)"
mkdir -p "$work/settings" "$work/steel"
{ cat "$samples/settings/quvol.ini"; printf '\n[Directories]\ntables=%s\n' "$samples/tables"; } \
  >"$work/settings/quvol.ini"
export DEVINI="$work/settings/"
"$qeldb" new "$work/steel/bldg" --units 0 --job "Steel demo"
"$qeldb" import-tables "$work/steel/bldg"
echo
echo "== qeldb sections (the first rows and the last: the closing record)"
"$qeldb" sections "$work/steel/bldg" >"$work/sections.txt"
head -n 8 "$work/sections.txt"
echo "..."
tail -n 3 "$work/sections.txt"
echo
echo "== qeldb sections --name w14x22 (any letter case)"
"$qeldb" sections "$work/steel/bldg" --name w14x22
echo
echo "== a double angle, as JSON"
"$qeldb" sections "$work/steel/bldg" --name 2l4x4x1/2 --json
echo
echo "== model archives: the tower's folder packed, listed, read in place and restored"
"$qeldb" pack "$work/tower" "$work/tower.zip" --comment "Demo tower, as issued"
"$qeldb" ls "$work/tower.zip"
echo "== qeldb tables tower --archive tower.zip (read without extracting)"
"$qeldb" tables tower --archive "$work/tower.zip"
"$qeldb" unpack "$work/tower.zip" "$work/restored"
diff -r "$work/tower" "$work/restored" && echo "restored folder is identical"
echo "== the generated building, packed, and its stories read out of the archive"
"$qeldb" pack "$work/bldg" "$work/bldg.zip"
"$qeldb" stories bldg --archive "$work/bldg.zip"
