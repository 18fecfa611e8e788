#!/usr/bin/env bash
# Refreshes mqtt.min.js (and its LICENSE.md) from the npm registry's package `mqtt` at the
# version pinned below, checking the package against the integrity pinned with it: the page
# exported by `vintrel show --export-page` subscribes with this prebuilt browser bundle, built
# into the program so that building needs no npm. To move to another version, change both
# lines (`npm view mqtt@VERSION dist.integrity` gives the second), run this, rebuild and run the
# browser tests (ctest -R Browser).
#   third_party/mqtt/update.sh
set -euo pipefail
readonly version=5.16.0
readonly integrity=sha512-G0VsEtuJz5sJUgZJaaADMVfW7SIFPzkIuHR+d6rk+tBeSwdCfd9BaIRycRfd2AbyFDEmLlFM+SDQeti/+IbOnw==

here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
npm pack "mqtt@$version" --silent >/dev/null
tarball="mqtt-$version.tgz"
actual="sha512-$(openssl dgst -sha512 -binary "$tarball" | base64 -w0)"
if [[ $actual != "$integrity" ]]; then
  echo "mqtt@$version: the package's integrity is $actual, not the pinned $integrity" >&2
  exit 1
fi
tar -xzf "$tarball" package/dist/mqtt.min.js package/LICENSE.md
cp package/dist/mqtt.min.js package/LICENSE.md "$here/"
(cd "$here" && sha256sum mqtt.min.js > mqtt.min.js.sha256)
echo "third_party/mqtt: mqtt.min.js of mqtt@$version ($(wc -c <"$here/mqtt.min.js") bytes)"
