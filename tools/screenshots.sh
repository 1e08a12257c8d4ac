#!/bin/sh
# Screenshots of every tab and window of the running program under Xvfb, into tools/screenshots/.
# Usage: tools/screenshots.sh [BUILD_DIR]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=$root/tools/screenshots
mkdir -p "$out"
# The program starts on the simulated machine from the folder that holds cfg.ini, waits past the
# splash, switches through the tabs, grabs each, shows the other windows, grabs them, and quits.
cd "$root"
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$build/bin/ostrel-screenshots" "$out"
ls "$out"/*.png
