#!/usr/bin/env bash
# The CPU an idle live show uses: runs `vintrel show` on a copy of the bundled example (a clock
# ticking, nothing else changing) for 30 s (or $1 seconds) and prints user+system CPU seconds
# divided by wall seconds. Goal: under 1 % of one core.
#   bench/show/idle_cpu.sh [SECONDS] [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-30}
build=${2:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r examples "$scratch/examples"
export VINTREL_SETTINGS="$scratch/none.ini" VINTREL_HOME="$scratch"
/usr/bin/time -f "%U %S %e" -o "$scratch/time" \
  "$build/apps/vintrel/vintrel" show "$scratch/examples/sales-board.pptx" --for "${seconds}s" \
  --advance manual >"$scratch/events"
read -r user system wall <"$scratch/time"
awk -v u="$user" -v s="$system" -v w="$wall" -v n="$(wc -l <"$scratch/events")" 'BEGIN {
  printf "idle show for %.1f s: user %.2f s + system %.2f s = %.2f %% of one core (goal < 1 %%), %d events\n",
         w, u, s, 100 * (u + s) / w, n }'
