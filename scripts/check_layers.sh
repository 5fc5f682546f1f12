#!/usr/bin/env bash
# Checks the library's layers against its object files: for every subsystem folder of src/, the
# symbols its objects leave undefined are looked up among the symbols the other folders define,
# and every edge found must be one the layering allows:
#
#   res       -> nothing
#   platform  -> res
#   archive   -> platform res
#   mdf, geom -> platform res archive
#   dbio      -> platform res archive mdf geom
#   tables    -> platform res archive mdf dbio
#
# Usage: scripts/check_layers.sh [BUILD_DIR]   (default: the newest build/*/ holding the objects)
# Exit status 0 when every edge is allowed, 1 otherwise (each forbidden edge is printed with the
# symbols behind it), 2 when no objects are found.
set -euo pipefail

declare -A allowed=(
  [res]=""
  [platform]="res"
  [archive]="platform res"
  [mdf]="platform res archive"
  [geom]="platform res archive"
  [dbio]="platform res archive mdf geom"
  [tables]="platform res archive mdf dbio"
)

objdir_of() { echo "$1/CMakeFiles/qeldbio_objects.dir/src"; }

build=${1:-}
if [[ -z $build ]]; then
  newest=""
  for d in build/*/; do
    o=$(objdir_of "${d%/}")
    [[ -d $o ]] || continue
    t=$(find "$o" -name '*.o' -printf '%T@\n' | sort -n | tail -1)
    [[ -n $t ]] || continue
    if [[ -z $newest ]] || awk "BEGIN{exit !($t > ${newest%% *})}"; then newest="$t ${d%/}"; fi
  done
  build=${newest#* }
fi
src=$(objdir_of "$build")
if [[ -z $build || ! -d $src ]]; then
  echo "check_layers: no object files found (build the library first)" >&2
  exit 2
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
subsystems=()
for dir in "$src"/*/; do
  sub=$(basename "$dir")
  objs=("$dir"*.o)
  [[ -e ${objs[0]} ]] || continue
  subsystems+=("$sub")
  nm --defined-only "${objs[@]}" 2>/dev/null | awk 'NF >= 3 { print $3 }' | sort -u >"$tmp/$sub.def"
  nm -u "${objs[@]}" 2>/dev/null | awk 'NF >= 2 { print $2 }' | sort -u >"$tmp/$sub.undef.all"
  comm -23 "$tmp/$sub.undef.all" "$tmp/$sub.def" >"$tmp/$sub.undef"
done

status=0
for sub in "${subsystems[@]}"; do
  if [[ ! -v allowed[$sub] ]]; then
    echo "unknown subsystem folder: src/$sub (add it to scripts/check_layers.sh)"
    status=1
    continue
  fi
  for other in "${subsystems[@]}"; do
    [[ $other == "$sub" ]] && continue
    comm -12 "$tmp/$sub.undef" "$tmp/$other.def" >"$tmp/edge"
    [[ -s $tmp/edge ]] || continue
    if [[ " ${allowed[$sub]} " == *" $other "* ]]; then
      echo "ok        $sub -> $other ($(wc -l <"$tmp/edge") symbols)"
    else
      echo "FORBIDDEN $sub -> $other:"
      c++filt <"$tmp/edge" | sed 's/^/            /' | head -20
      status=1
    fi
  done
done
echo "checked objects of $build"
exit $status
