#!/usr/bin/env bash
# Renders the printed list of 30 ticked products to PDF and its pages to PNG (60 dpi), with
# the layout preview at 100 %, to look at the layout by eye. Output folder: $1, by default
# build/list-sample/.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/list-sample}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cmake -S . -B build >/dev/null
cmake --build build -j2 --target test_printing >/dev/null
QT_QPA_PLATFORM=offscreen VIVRELO_SAMPLE_PDF="$out/liste.pdf" VIVRELO_SAMPLE_PREVIEW="$out/apercu.png" \
  build/tests/test_printing --gtest_filter='PdfOutput.ThirtyTickedRowsOnTwoPages:PdfOutput.PreviewBitmap' >/dev/null
rm -f "$out"/liste-*.png
pdftoppm -r 60 -png "$out/liste.pdf" "$out/liste"
pdfinfo "$out/liste.pdf" | grep -E '^(Pages|Page size):'
ls "$out"/*.png
