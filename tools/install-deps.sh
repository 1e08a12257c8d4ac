#!/bin/sh
# Installs the Debian packages named on the command line that are missing (as root), or says how.
missing=""
for pkg in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $pkg" ;;
    esac
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = "0" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing
else
    echo "Missing Debian packages. Run this once, then repeat the make command:"
    echo "    sudo apt-get install -y$missing"
    exit 1
fi
