#!/usr/bin/env bash
# Three real decks of the corpus (text and a chart, SmartArt, merged tables) drawn by the live
# view against LibreOffice's rendering, through bench/screen/compare.sh: every slide must stay
# under its deck's share of differing 16 x 16 squares and paint every word LibreOffice draws.
# Exit code 77 means skipped (LibreOffice, chromium or node missing).
#   tests/browser/screen_decks.sh VINTREL
set -euo pipefail
vintrel=$(realpath "$1")
root="$(cd "$(dirname "$0")/../.." && pwd)"
for program in soffice pdftoppm pdftotext node npm; do
  if ! command -v "$program" >/dev/null; then
    echo "SKIP: $program is not installed (scripts/setup.sh --test installs it)"
    exit 77
  fi
done
[[ -x ${CHROMIUM:-/usr/bin/chromium} ]] || { echo "SKIP: chromium is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# deck, the most squares (per cent) any of its slides may differ by: a few points above what
# the page does today, so that a change that moves text or loses a shape fails.
limits=(openxmlsdk__typical 10 pptx-automizer__SmartArt 6 pptx-automizer__GS_Tables_Merged 4)
decks=()
for ((i = 0; i < ${#limits[@]}; i += 2)); do
  decks+=("$root/tests/fixtures/decks/${limits[i]}.pptx")
done
"$root/bench/screen/compare.sh" --vintrel "$vintrel" --out "$work/out" --table "$work/table.txt" \
  "${decks[@]}" >/dev/null
cat "$work/table.txt"
failed=0
for ((i = 0; i < ${#limits[@]}; i += 2)); do
  deck=${limits[i]} limit=${limits[i + 1]}
  if ! grep -q "^$deck " "$work/table.txt"; then
    echo "FAIL: no slide of $deck was measured"
    failed=1
  fi
  # Rows: deck, slide, squares, "%", painted/total.
  while read -r name slide squares _ words _; do
    [[ $name == "$deck" ]] || continue
    if awk -v s="$squares" -v l="$limit" 'BEGIN { exit !(s > l) }'; then
      echo "FAIL: $deck slide $slide differs in $squares % of its squares (at most $limit %)"
      failed=1
    fi
    if [[ ${words%/*} != "${words#*/}" ]]; then
      echo "FAIL: $deck slide $slide paints $words of LibreOffice's words"
      failed=1
    fi
  done <"$work/table.txt"
done
exit $failed
