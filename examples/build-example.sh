#!/usr/bin/env bash
# Rebuilds sales-board.pptx from scratch: the generator writes the slides and the compass
# pictures, then the vintrel program adds the connections and links the shapes, exactly as an
# author would. Every path stored in the presentation is relative to this folder, so the result
# works wherever the repository is cloned.
#   examples/build-example.sh [BUILD_FOLDER]     (default: build/ at the repository root)
set -euo pipefail
examples=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$examples/../build}" && pwd)
cd "$examples"

generator=$build/tools/make_example_deck/make_example_deck
vintrel=$build/apps/vintrel/vintrel
for program in "$generator" "$vintrel"; do
  if [[ ! -x $program ]]; then
    echo "build-example.sh: $program is missing; build first (scripts/setup.sh)" >&2
    exit 1
  fi
done
# The builder's own settings (debug log, hidden interface) play no part in the result.
export VINTREL_SETTINGS=$PWD/.no-settings.ini

# Built beside the data under a temporary name, so the connections can be checked while
# linking, and renamed only when everything worked.
deck=.sales-board.building.pptx
trap 'rm -f "$deck"' EXIT
"$generator" "$deck" data/pictures

connection() { "$vintrel" connections add "$deck" "$@"; }
sales=$(connection --text data/sales.tsv --first-row-names --name "Sales")
totals=$(connection --database "Provider=SQLite;Data Source=data/board.db" \
  --sql "SELECT region, total, orders FROM totals" --name "Totals")
targets=$(connection --excel data/targets.xlsx --sheet Targets --range A1:D5 --first-row-names \
  --name "Targets")
chart=$(connection --database "Provider=SQLite;Data Source=data/board.db" \
  --sql "SELECT region, total FROM totals" --name "Totals for the chart")

link() { "$vintrel" link "$deck" "$@"; }
# Slide 1: one column of values per kind of source, and the clock.
link --slide 1 --shape "Clock" --clock "Long Time"
link --slide 1 --shape "North sales" --text "$sales" Sales 1
link --slide 1 --shape "South sales" --text "$sales" Sales 2
link --slide 1 --shape "East total" --text "$totals" total 1
link --slide 1 --shape "North orders" --text "$totals" orders 2
link --slide 1 --shape "Q1 target" --text "$targets" Target 1
link --slide 1 --shape "Q1 share" --text "$targets" Share 1
# Slide 2: the chart takes the whole block (categories, then one series per column).
link --slide 2 --shape "Totals chart" --chart "$chart"
# Slide 3: the picture is the file row 1 of the Picture column names, in data/pictures.
link --slide 3 --shape "Region picture" --object "$sales" Picture 1 --folder data/pictures
link --slide 3 --shape "Region name" --text "$sales" Region 1
link --slide 3 --shape "Region sales" --text "$sales" Sales 1

mv "$deck" sales-board.pptx
trap - EXIT
echo "examples/sales-board.pptx rebuilt"
