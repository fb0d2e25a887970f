#!/usr/bin/env bash
# Builds the program's core and its tests for 64-bit Windows with Debian's MinGW-w64 cross
# compiler (the toolchain file cmake/mingw-w64.cmake; GoogleTest built from Debian's sources) and
# runs them under Wine, in a Wine prefix of its own inside the build folder. The windows are not
# built: there is no Qt for Windows here. Ends with GoogleTest's own summary; the exit status is
# non-zero when a test failed or the build did.
#   scripts/test_windows_core.sh          build in build-windows/
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
tervolin_install_missing "${TERVOLIN_WINDOWS_PACKAGES[@]}"

build=build-windows
options=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DTERVOLIN_CORE_ONLY=ON
  -DTERVOLIN_TESTS=ON -DTERVOLIN_BENCH=OFF -DTERVOLIN_GTEST_SOURCES=/usr/src/googletest)
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target core_tests

# Wine without a display and without the offers to install its .NET and browser parts.
wine=/usr/lib/wine/wine64
export WINEPREFIX="$PWD/$build/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1
fi
cd "$build"
exec "$wine" bin/core_tests.exe
