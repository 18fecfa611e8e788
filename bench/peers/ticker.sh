#!/usr/bin/env bash
# The scale case of the off-line copy: a one-slide ticker (one text box on row 1 of a TAB file,
# scrolling one row at a time) unrolls into one slide per row. Prints, for each row count, the
# off-line copy's wall and CPU seconds and peak memory, and the ratio to the first count.
#   ticker.sh [ROWS...]        default: 1000 12000
# VINTREL names the program (default: build/apps/vintrel/vintrel of this tree); MAKE_DECK the
# harness's deck generator (default: make_deck.py beside this script, else ../shared/bench/peers).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
vintrel="${VINTREL:-$here/../../build/apps/vintrel/vintrel}"
make_deck="${MAKE_DECK:-$here/make_deck.py}"
[ -f "$make_deck" ] || make_deck="$here/../../../shared/bench/peers/make_deck.py"
export VINTREL_SETTINGS="${VINTREL_SETTINGS:-/nonexistent/vintrel-settings.ini}"
[ $# -gt 0 ] || set -- 1000 12000
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT

first=""
printf '%8s %8s %8s %8s %8s %10s\n' rows slides wall_s cpu_s MiB cpu_ratio
for rows in "$@"; do
  deck="$work/ticker$rows.pptx"; data="$work/rows$rows.tsv"; out="$work/out$rows.pptx"
  python3 "$make_deck" --slides 1 --boxes 1 --rows "$rows" --cols 2 --out "$deck" --data "$data"
  "$vintrel" connections add "$deck" --text "$data" --first-row-names > /dev/null
  "$vintrel" link "$deck" --slide 1 --shape "Box 0" --text 01 col0 1
  "$vintrel" slide "$deck" --slide 1 --scroll 01 --step 1 --time 1000 --enabled on > /dev/null
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$vintrel" offline "$deck" -o "$out" > /dev/null
  read -r wall user sys kb < "$work/time"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  slides=$(unzip -l "$out" | grep -c 'ppt/slides/slide[0-9]*\.xml$')
  [ -n "$first" ] || first="$cpu"
  printf '%8s %8s %8s %8s %8s %10s\n' "$rows" "$slides" "$wall" "$cpu" "$((kb / 1024))" \
    "$(awk -v a="$cpu" -v b="$first" 'BEGIN { printf "%.1fx", a / b }')"
done
