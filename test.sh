#!/usr/bin/env bash
# Builds the program with its tests and runs every test.
#   ./test.sh              release build in build/
#   SANITIZE=1 ./test.sh   address and undefined-behaviour sanitizers, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
tervolin_install_missing "${TERVOLIN_RUN_PACKAGES[@]}" "${TERVOLIN_TEST_PACKAGES[@]}"

build=build
options=(-DCMAKE_BUILD_TYPE=Release -DTERVOLIN_TESTS=ON)
if [ "${SANITIZE:-0}" = "1" ]; then
  build=build-sanitize
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERVOLIN_TESTS=ON -DTERVOLIN_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

config_home=$(mktemp -d)
trap 'rm -rf "$config_home"' EXIT
export XDG_CONFIG_HOME="$config_home"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
