#!/usr/bin/env bash
# Builds Vintrel if needed and runs it on the bundled example: opens examples/sales-board.pptx
# as an author would and shows every slide with the values the add-in filled in (texts from the
# text file, the database and the workbook, the clock, the linked picture chosen by the data),
# then the block the chart on slide 2 received. Nothing in examples/ is written.
#   scripts/run-example.sh          the outline, as above
#   scripts/run-example.sh --live   the example as a live slide show in web browsers: prints the
#                                   address to open; edit examples/data/sales.tsv and the page
#                                   follows. Runs until Ctrl-C, or 10 seconds when its output is
#                                   not a terminal.
set -euo pipefail
cd "$(dirname "$0")/.."

# Installing and building say what they do on stderr; the outline below is the output.
scripts/setup.sh >&2
vintrel=build/apps/vintrel/vintrel
example=examples/sales-board.pptx

if [[ "${1:-}" == "--live" ]]; then
  limit=()
  [[ -t 1 ]] || limit=(--for 10s)
  echo "Open the address below in a browser; edit examples/data/sales.tsv and watch the page."
  echo "A second address, with --control, lets one browser move the show: see README."
  exec "$vintrel" show "$example" --serve --loop --advance every:10 "${limit[@]}"
fi
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
