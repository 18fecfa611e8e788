#!/usr/bin/env bash
# The studio's speed benchmark (studio_speed.mjs) on a 1,000-slide linked deck in Debian's
# chromium; uses the npm packages of the browser tests, installing them first when missing.
#   bench/studio/run.sh [BUILD_FOLDER] [--slides N]     (default: build/, 1000 slides)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build
if [[ $# -gt 0 && $1 != --* ]]; then build=$1; shift; fi
build=$(cd "$build" && pwd)
browser_tests=$root/tests/browser
if [[ ! -f $browser_tests/node_modules/.package-lock.json ]]; then
  (cd "$browser_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/vintrel-bench-studio-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$build/bench/studio/vintrel_bench_studio_deck" "$work" "$@"
node "$root/bench/studio/studio_speed.mjs" "$build/apps/vintrel/vintrel" "$work/deck.pptx"
