#!/bin/sh
# Runs every benchmark built in the current folder and prints its figures.
set -eu
for bench in $(find . -maxdepth 3 -type f -name 'bench_*' -perm -u+x | sort); do
    echo "== $bench"
    "$bench" --benchmark_counters_tabular=true
done
