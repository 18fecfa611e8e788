#!/usr/bin/env bash
# The browser tests of the live view: installs their npm packages exactly as package-lock.json
# pins them (when missing or out of date), then runs them. Exit code 77 means skipped.
#   tests/browser/run.sh VINTREL MAKE_EXAMPLE_DECK
set -euo pipefail
programs=()
for program in "$@"; do programs+=("$(realpath "$program")"); done
cd "$(dirname "$0")"
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "SKIP: node and npm are not installed (scripts/setup.sh --test installs them)"
  exit 77
fi
if [[ ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  echo "SKIP: chromium is not installed (scripts/setup.sh --test installs it)"
  exit 77
fi
if [[ ! -f node_modules/.package-lock.json || package-lock.json -nt node_modules/.package-lock.json ]]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
# BROWSER_TEST names another test of this folder (studio_test.mjs).
exec node "${BROWSER_TEST:-live_view_test.mjs}" "${programs[@]}"
