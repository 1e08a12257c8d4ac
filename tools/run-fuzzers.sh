#!/bin/sh
# Runs each fuzz target of a fuzz build folder for the given number of seconds.
set -eu
build=${1:-build-fuzz}
seconds=${2:-60}
status=0
for fuzzer in $(find "$build/fuzz" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort); do
    echo "== $fuzzer ($seconds s)"
    corpus=$(mktemp -d)
    "$fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus" || status=1
    rm -rf "$corpus"
done
exit $status
