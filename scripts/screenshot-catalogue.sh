#!/usr/bin/env bash
# Shows the catalogue editor on twenty products sorted by brand, and the properties dialog,
# under a virtual X display, and saves what they show as PNG files, to look at them by eye.
# Output folder: $1, by default build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cmake -S . -B build >/dev/null
cmake --build build -j2 --target guitest_lists guitest_ui >/dev/null
export VIVRELO_SCREENSHOTS="$out" LC_ALL=C.UTF-8 TZ=UTC
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  build/tests/guitest_lists --gtest_filter='EnterItems.Screenshot' >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  build/tests/guitest_ui --gtest_filter='EnterProperties.Screenshot' >/dev/null
ls "$out"/*.png
