#!/bin/sh
# Runs a test program on an X server of its own (Xvfb, display number chosen by the server), for
# the tests that need what only a real X server does: its own key repeats.
# Usage: run_on_xvfb.sh PROGRAM [ARGUMENTS]
set -eu
for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is missing: make deps installs the Debian packages xvfb and xdotool" >&2
        exit 1
    fi
done
work=$(mktemp -d)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/server.log" &
server=$!
# The server writes its display number once it takes connections.
if ! read -r number <"$work/display"; then
    echo "Xvfb did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi
DISPLAY=":$number" QT_QPA_PLATFORM=xcb "$@"
