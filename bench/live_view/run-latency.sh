#!/usr/bin/env bash
# The latency benchmark of the live view in Debian's chromium (see latency.mjs); uses the npm
# packages of the browser tests, installing them first when missing.
#   bench/live_view/run-latency.sh [BUILD_FOLDER]     (default: build/ at the repository root)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
browser_tests=$root/tests/browser
if [[ ! -f $browser_tests/node_modules/.package-lock.json ]]; then
  (cd "$browser_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi
exec node "$root/bench/live_view/latency.mjs" "$build/apps/vintrel/vintrel" \
  "$build/tools/make_example_deck/make_example_deck"
