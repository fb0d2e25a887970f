#!/usr/bin/env bash
# Takes the pictures of the user's guide anew and rebuilds Help.pdf:
#   tools/help_screenshots.sh [build folder]
# The program runs on a demo database in a folder of its own, with settings of its own, on a
# virtual screen; every window it can reach is saved into docs/help/images/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

nice cmake --build "$build" -j2 --target help_screenshots make_demo_database >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/config"
"$build/bin/make_demo_database" "$work/program/Tervolin2.spb" --subscribers 40

echo "Pictures:"
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" timeout 300 \
  xvfb-run -a -s "-screen 0 1400x900x24" \
  "$build/bin/help_screenshots" "$work/program" docs/help/images

nice cmake --build "$build" -j2 --target help_pdf
echo "Guide: $build/bin/Help.pdf"
