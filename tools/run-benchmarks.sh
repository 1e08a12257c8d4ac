#!/bin/sh
# Runs every benchmark built in the current folder and prints its figures beside their goals;
# nothing in it waits for a person.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
echo "== machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for bench in $(find . -maxdepth 3 -type f -name 'bench_*' -perm -u+x | sort); do
    echo "== $bench"
    case "$bench" in
        *bench_step_rate)
            # The step loop on a real clock, without and with the window (under Xvfb when there
            # is no display).
            "$bench"
            if [ -n "${DISPLAY:-}" ]; then
                "$bench" --window
            elif command -v xvfb-run >/dev/null 2>&1; then
                xvfb-run -a "$bench" --window
            else
                echo "(no display and no xvfb-run: the window figures are skipped)"
            fi
            ;;
        *bench_dry_run)
            "$bench"
            ;;
        *)
            "$bench" --benchmark_counters_tabular=true
            ;;
    esac
done
# The previews beside gerbv's export of the same boards, both readings.
if command -v gerbv >/dev/null 2>&1; then
    echo "== Gerber preview beside gerbv, classic reading"
    sh "$here/bench-gerbv.sh" . 3 classic
    echo "== Gerber preview beside gerbv, standard reading"
    sh "$here/bench-gerbv.sh" . 3
else
    echo "(no gerbv: the comparison with it is skipped)"
fi
echo "== load after: $(cut -d' ' -f1-3 /proc/loadavg)"
