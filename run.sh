#!/usr/bin/env bash
# Builds the program, installs it into its program folder and starts it there.
#   ./run.sh          program folder ~/tervolin (or $TERVOLIN_HOME)
#   ./run.sh --demo   a separate demo folder ~/tervolin-demo (or $TERVOLIN_HOME-demo) with a demo database
# The database "Tervolin2.spb" lives beside the program, so it survives every rebuild.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh

demo=0
for argument in "$@"; do
  case "$argument" in
    --demo) demo=1 ;;
    *) echo "usage: $0 [--demo]" >&2; exit 2 ;;
  esac
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "There is no display to show the program's windows on (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  echo "Start it from a desktop session, or on a virtual display:" >&2
  echo "  xvfb-run -a -s '-screen 0 1400x900x24' $0 $*" >&2
  exit 1
fi

tervolin_install_missing "${TERVOLIN_RUN_PACKAGES[@]}"

home="${TERVOLIN_HOME:-$HOME/tervolin}"
if [ "$demo" = 1 ]; then
  home="${home}-demo"
fi

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTERVOLIN_TESTS=OFF -DTERVOLIN_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc)"
mkdir -p "$home"
cmake --install build-release --prefix "$home" >/dev/null

if [ "$demo" = 1 ] && [ ! -e "$home/Tervolin2.spb" ]; then
  build-release/bin/make_demo_database "$home/Tervolin2.spb" --subscribers 40
  echo "Demo database made: $home/Tervolin2.spb"
fi

echo "Starting $home/tervolin"
exec "$home/tervolin"
