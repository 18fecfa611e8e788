#!/usr/bin/env bash
# Sets up everything the tests need, builds, and runs the whole suite twice: once as built for
# users, once under AddressSanitizer and UndefinedBehaviorSanitizer; then each fuzz target for
# 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --test

# A PostgreSQL server on loopback for the database tests; they skip themselves without one.
if [[ -x scripts/start-postgres.sh ]]; then
  if pg_line=$(scripts/start-postgres.sh 2>/dev/null | tail -n 1) && [[ -n "$pg_line" ]]; then
    export VINTREL_TEST_PG="$pg_line"
  else
    echo "PostgreSQL could not be started; its tests will be skipped." >&2
  fi
fi

# Settings of the person running the tests must not change what the tests see.
export VINTREL_SETTINGS=/nonexistent/vintrel-settings.ini
jobs=$(nproc)
status=0
echo "== Tests (release build) =="
ctest --test-dir build --output-on-failure -j"$jobs" || status=1
# The LibreOffice rendering checks look at our output files, and the browser test at what a
# browser shows, not at our memory: once is enough.
echo "== Tests (AddressSanitizer + UndefinedBehaviorSanitizer) =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -E "LibreOffice|CalcOracle|Browser" \
  || status=1
# Every reader of files and requests under libFuzzer for a short while: a smoke test that the
# targets build and that nothing found before comes back (scripts/fuzz.sh, docs/fuzzing.md).
echo "== Fuzz targets (30 s each) =="
scripts/fuzz.sh 30 || status=1
exit $status
