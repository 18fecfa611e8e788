#!/usr/bin/env bash
# Installs what Vintrel needs on Debian 12 (only what is missing; apt-get update first, quietly)
# and configures and builds it.
#   scripts/setup.sh            build dependencies, then the program in build/ (its progress on
#                               stderr)
#   scripts/setup.sh --test     also what the test suite uses (LibreOffice, PostgreSQL, ODBC
#                               drivers, clang for the fuzz targets), then the normal and the
#                               sanitizer builds
#   scripts/setup.sh --fuzz     only installs: build dependencies and clang with its fuzzer
#                               runtime (scripts/fuzz.sh builds the fuzz targets itself)
set -euo pipefail
cd "$(dirname "$0")/.."

with_tests=0
with_fuzz=0
[[ "${1:-}" == "--test" ]] && with_tests=1 && with_fuzz=1
[[ "${1:-}" == "--fuzz" ]] && with_fuzz=1

packages=(build-essential cmake ninja-build pkg-config ccache g++ libgtest-dev libgmock-dev
  libbenchmark-dev libzip-dev libdeflate-dev libpng-dev libpugixml-dev libsqlite3-dev unixodbc-dev libssl-dev
  libcli11-dev libhowardhinnant-date-dev libcpp-httplib-dev libemf2svg-dev libwmf-dev libmosquitto-dev nlohmann-json3-dev sqlite3 zip unzip time tzdata mandoc
  fonts-crosextra-carlito fonts-crosextra-caladea fonts-liberation2 fonts-urw-base35)
if (( with_tests )); then
  packages+=(libsqliteodbc odbc-postgresql postgresql python3 python3-openpyxl
    libreoffice-impress libreoffice-calc fonts-dejavu-core chromium groff-base poppler-utils
    mosquitto mosquitto-clients)
  # The browser tests run on node; a node installed some other way (with its npm) will do.
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi
# libFuzzer (-fsanitize=fuzzer) comes with clang's compiler runtime, a package of its own.
(( with_fuzz )) && packages+=(clang libclang-rt-14-dev)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if (( ${#missing[@]} )); then
  sudo=""
  (( EUID != 0 )) && sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

[[ "${1:-}" == "--fuzz" ]] && exit 0

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if (( with_tests )); then
  cmake --build build -j"$jobs"
else
  # The program alone: the tests and benchmarks are built by the test command.
  echo "Building vintrel (build/apps/vintrel/vintrel)..." >&2
  cmake --build build -j"$jobs" --target vintrel >&2
fi
if (( with_tests )); then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVINTREL_SANITIZE=ON \
    -DVINTREL_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
fi
