#!/usr/bin/env bash
# The live view against LibreOffice on real decks (see compare.mjs): installs its npm packages as
# package-lock.json pins them when missing, then compares.
#   bench/screen/compare.sh [--slides N] [--out DIR] [--vintrel PATH] [--table FILE] [--missed]
#                           [DECK|FOLDER...]   (--help explains them)
# Without decks it takes tests/fixtures/decks/. Needs soffice, pdftoppm and pdftotext
# (poppler-utils), Debian's chromium, node and npm (scripts/setup.sh --test installs them all).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
for program in soffice pdftoppm pdftotext node npm unzip; do
  if ! command -v "$program" >/dev/null; then
    echo "compare.sh: $program is not installed (scripts/setup.sh --test installs it)" >&2
    exit 2
  fi
done
if [[ ! -x ${CHROMIUM:-/usr/bin/chromium} ]]; then
  echo "compare.sh: chromium is not installed (scripts/setup.sh --test installs it)" >&2
  exit 2
fi
if [[ ! -f $here/node_modules/.package-lock.json ||
      $here/package-lock.json -nt $here/node_modules/.package-lock.json ]]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi
exec node "$here/compare.mjs" "$@"
