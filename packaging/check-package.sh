#!/usr/bin/env bash
# Builds the Debian package of a build folder into a temporary folder and checks what a screen
# needs from it: the program, a button face, the man page and its HTML help, the unit templates,
# and the HTTP and MQTT libraries among the dependencies. Needs the build to be complete (as after scripts/setup.sh).
#   packaging/check-package.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/vintrel_*.deb)
contents=$(dpkg-deb -c "$deb")
status=0
for path in ./usr/bin/vintrel ./usr/share/vintrel/buttons/PicConnectionPic.png \
    ./usr/share/man/man1/vintrel.1.gz ./usr/share/vintrel/help/vintrel.html \
    ./lib/systemd/system/vintrel-show@.service ./lib/systemd/system/vintrel-publish@.service; do
  if ! grep -q " $path\$" <<<"$contents"; then
    echo "missing from $(basename "$deb"): $path"
    status=1
  fi
done
if ! dpkg-deb -f "$deb" Depends | grep -q libcpp-httplib; then
  echo "the package does not depend on the HTTP library the program links"
  status=1
fi
if ! dpkg-deb -f "$deb" Depends | grep -q libmosquitto1; then
  echo "the package does not depend on the MQTT client library the program links"
  status=1
fi
# The man page must format without warnings.
warnings=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/vintrel.1.gz | gunzip |
  groff -man -Tutf8 -ww 2>&1 >/dev/null || true)
if [[ -n $warnings ]]; then
  echo "man page: $warnings"
  status=1
fi
(( status == 0 )) && echo "$(basename "$deb"): program, button faces, man page, help, unit templates, dependencies"
exit $status
