#!/usr/bin/env bash
# Builds Vintrel if needed and runs it on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >/dev/null
vintrel=build/apps/vintrel/vintrel
"$vintrel" --version
echo "The bundled example (examples/):"
(cd examples && find . -type f ! -name '*.md' | sort | while read -r file; do
  printf '  %-40s %8d bytes\n' "${file#./}" "$(stat -c %s "$file")"
done)
