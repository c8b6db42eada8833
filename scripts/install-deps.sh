#!/usr/bin/env bash
# Installs the Debian 12 packages that build, run and test Vivrelo. With "fuzz", also what the
# fuzz targets need (scripts/fuzz.sh): clang and its libFuzzer and sanitizer runtimes.
set -euo pipefail
packages=(
  # build
  cmake g++ make pkg-config
  # runtime libraries and their headers
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libsqlite3-dev libgcab-dev libjpeg62-turbo-dev libturbojpeg0-dev mdbtools-dev
  # the typeface the layouts are measured in (metric twin of Arial)
  fonts-liberation
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  sqlite3 gcab cabextract libjpeg-turbo-progs poppler-utils mdbtools
  xvfb xauth desktop-file-utils
  # the package check: CPack finds the dependencies with dpkg-shlibdeps, lintian checks it
  dpkg-dev lintian
)
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
