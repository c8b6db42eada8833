#!/usr/bin/env bash
# Runs one fuzz target for a given time: scripts/fuzz.sh TARGET SECONDS [libFuzzer options]
# Targets: Bmp, Cabinet, IniFile, UpgradeScript, ReportLayout (fuzz/<Target>Fuzz.cpp).
# Builds with clang in build-fuzz/ (instrumented for libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer). The seed corpus fuzz/corpus/TARGET is only read; inputs the run
# finds are kept in build-fuzz/corpus/TARGET for the next run, and a crashing input is written
# to build-fuzz/crashes/TARGET/: copy it into fuzz/corpus/TARGET once the fault is mended, so
# that the test suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET SECONDS [libFuzzer options]" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
if [ ! -f "fuzz/${target}Fuzz.cpp" ]; then
  echo "Cible inconnue : $target (voir fuzz/*Fuzz.cpp)" >&2
  exit 2
fi
bash scripts/install-deps.sh fuzz
build=build-fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVIVRELO_FUZZ=ON -DVIVRELO_TESTS=OFF -DVIVRELO_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target "fuzz_$target" >/dev/null

work="$build/corpus/$target"
crashes="$build/crashes/$target"
mkdir -p "$work" "$crashes"
# Runs of the program's code need their own home and runtime folder.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/run" TMPDIR="$scratch" QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0}
# A reader must refuse a lying size before it allocates: any single allocation above 32 MB
# counts as a fault (inputs are a few kilobytes).
exec "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=1024 \
  -malloc_limit_mb=32 -timeout=10 -artifact_prefix="$crashes/" "$@" "$work" "fuzz/corpus/$target"
