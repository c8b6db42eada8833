#!/usr/bin/env bash
# Makes the pictures of the user guide and the README again (main window, catalogue editor,
# printed list) with the three screenshot scripts, and puts them, reduced to a small size, in
# src/resources/program/html/images/, where the guide and the README find them.
set -euo pipefail
cd "$(dirname "$0")/.."
work=build/guide-pictures
rm -rf "$work"
bash scripts/screenshot-main.sh "$work"
bash scripts/screenshot-catalogue.sh "$work"
bash scripts/render-list-sample.sh "$work" >/dev/null
target=src/resources/program/html/images
mkdir -p "$target"
cp "$work/main-window.png" "$target/main-window.png"
cp "$work/catalogue.png" "$target/catalogue.png"
cp "$work/liste-1.png" "$target/printed-list.png"
ls -l "$target"
