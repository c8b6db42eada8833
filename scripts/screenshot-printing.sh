#!/usr/bin/env bash
# Pictures of the printing windows under a virtual X server: the layout preview at 50 % and
# the layout editor, to look at them by eye. Output folder: $1, by default
# build/screenshots-printing/.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/screenshots-printing}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cmake -S . -B build >/dev/null
cmake --build build -j2 --target guitest_printing >/dev/null
QT_QPA_PLATFORM=xcb VIVRELO_SCREENSHOT_DIR="$out" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  build/tests/guitest_printing --gtest_filter='ListFormat.Screenshots' >/dev/null
ls "$out"/*.png
