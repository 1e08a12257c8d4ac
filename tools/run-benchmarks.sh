#!/bin/sh
# Runs every benchmark built in the current folder and prints its figures.
set -eu
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
        *)
            "$bench" --benchmark_counters_tabular=true
            ;;
    esac
done
