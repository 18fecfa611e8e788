#!/usr/bin/env bash
# Builds Vintrel if needed and runs it on the bundled example: opens examples/sales-board.pptx
# as an author would and shows every slide with the values the add-in filled in (texts from the
# text file, the database and the workbook, the clock, the linked picture chosen by the data),
# then the block the chart on slide 2 received. Nothing in examples/ is written.
set -euo pipefail
cd "$(dirname "$0")/.."

# Installing and building say what they do on stderr; the outline below is the output.
scripts/setup.sh >&2
vintrel=build/apps/vintrel/vintrel
example=examples/sales-board.pptx
"$vintrel" --version
echo
"$vintrel" inspect "$example"

# The outline names the chart but not its data; a copy saved in a temporary folder shows what
# the fill wrote into the chart's series.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$vintrel" save "$example" -o "$scratch/board.pptx"
chart=$(unzip -Z1 "$scratch/board.pptx" | grep -m1 '^ppt/charts/chart[0-9]*\.xml$')
xml=$(unzip -p "$scratch/board.pptx" "$chart")
points() { grep -o "<c:$1>.*</c:$1>" <<<"$xml" | grep -o '<c:v>[^<]*</c:v>' | sed 's#</\?c:v>##g'; }
echo
echo "Chart on slide 2, as filled ($(points tx | head -1) by region):"
paste <(points cat) <(points val) | sed 's/^/  /'
