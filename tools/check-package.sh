#!/bin/sh
# Installs the package make package built, as a user would (apt-get pulls in its dependencies),
# then runs the installed runner on a shipped sample and checks its summary.
# Usage: tools/check-package.sh [BUILD_DIR]   (as root; default build-package)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(ls "${1:-$root/build-package}"/ostrel_*.deb | head -1)
if [ "$(id -u)" != "0" ]; then
    echo "installing $deb needs root: sudo apt-get install -y $deb" >&2
    exit 1
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '[machine]\nmm_per_step_x=0.0025\nmm_per_step_y=0.0025\nmm_per_step_z=0.0025\n' > cfg.ini
printf 'travel_limit_x=100\ntravel_limit_y=100\ntravel_limit_z=100\n' >> cfg.ini
/usr/bin/ostrel-run --json /usr/share/doc/ostrel/samples/board.gbr > summary.json
python3 - summary.json <<'PY'
import json, sys
summary = json.load(open(sys.argv[1]))
motors = summary["motors"]
assert summary["completed"], summary
assert motors["lost_steps"] == 0 and motors["x"] == 0 and motors["y"] == 0, motors
assert summary["steps"]["x"]["forward"] > 0, summary["steps"]
print("installed package: ostrel-run plotted the sample board and returned to 0,0")
PY
