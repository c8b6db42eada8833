#!/usr/bin/env bash
# Shows the main window on a catalogue of twenty products (six ticked, some below their
# minimum stock) under a virtual X display and saves it as a PNG file, to look at it as a user
# sees it.
#   scripts/screenshot-main.sh [folder]     (default: build/screenshots/main-window.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cmake -S . -B build >/dev/null
cmake --build build -j2 --target guitest_lists >/dev/null
export VIVRELO_SCREENSHOTS="$out" LC_ALL=C.UTF-8 TZ=UTC
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  build/tests/guitest_lists --gtest_filter='MainFormTest.Screenshot' >/dev/null
ls "$out"/main-window.png
