#!/usr/bin/env bash
# The two ways in: "run" builds and starts the program from the build's program directory;
# "test" builds and passes the whole test suite, then the core tests under the sanitizers.
# Both install what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-}
case "$what" in
  run|test) ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh

jobs=$(nproc)
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIVRELO_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs"

if [ "$what" = test ]; then
  ctest --test-dir "$build" --output-on-failure -j"$jobs"
  # Then the core tests and the fuzz corpora again, built with AddressSanitizer and
  # UndefinedBehaviorSanitizer (the "asan" preset, in build-asan/): a fault they meet fails.
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j"$jobs"
  ctest --preset asan -j"$jobs"
  exit 0
fi

# The program starts from its program directory, as an installed copy does.
cd "$build/program"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Pas d'affichage : le programme démarre dans un écran virtuel (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ./vivrelo
fi
exec ./vivrelo
