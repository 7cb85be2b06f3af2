#!/usr/bin/env bash
# The program's start-up and a whole batch import of a generated board, as medians of several
# runs, with the dynamic loader's relocation count; a second program (say, an earlier build) is
# measured in the same runs, alternating with the first.
# usage: bench/startup/startup.sh [--runs N] [--holes N] PROGRAM [EARLIER_PROGRAM]
set -euo pipefail
runs=21
holes=1000
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --holes) holes=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || { sed -n 2,5p "$0"; exit 2; }
programs=("$@")
here="$(dirname "$(readlink -f "$0")")"
generator="$(dirname "$(readlink -f "${programs[0]}")")/../bench/idf/idf-generate"
[ -x "$generator" ] || generator="$here/../../build/bench/idf/idf-generate"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$generator" "$work" board "$holes" $((holes * 45 / 100)) 50 --grid >/dev/null

every_hole=()
for kind in NonPlatedMountingHoles NonPlatedOtherHoles NonPlatedPinHoles NonPlatedToolingHoles \
  PlatedMountingHoles PlatedOtherHoles PlatedPinHoles PlatedToolingHoles ViaHoles; do
  every_hole+=(--set "Do$kind=true")
done

# Seconds one command takes, its output thrown away.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A help import
for ((i = 0; i < runs; ++i)); do
  for p in "${programs[@]}"; do
    help[$p]+="$(seconds "$p" batch --help) "
    rm -rf "$work/out"
    import[$p]+="$(seconds "$p" batch "$work/board.emn" --no-settings --assembly-dir "$work/out" "${every_hole[@]}") "
  done
done
for p in "${programs[@]}"; do
  relocations=$(LD_DEBUG=statistics "$p" batch --help 2>&1 >/dev/null | awk '/final number of relocations:/ { print $NF }')
  printf '%s\n  start-up (batch --help): %.4f s\n  import of %d holes:      %.4f s\n  relocations: %s\n' "$p" \
    "$(tr ' ' '\n' <<<"${help[$p]}" | grep . | median)" "$holes" \
    "$(tr ' ' '\n' <<<"${import[$p]}" | grep . | median)" "$relocations"
done
