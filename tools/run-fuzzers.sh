#!/bin/sh
# Runs each fuzz target of a fuzz build folder for the given number of seconds on its corpus: the
# seeds committed in fuzz/corpus/TARGET and what earlier runs found, kept in BUILD/corpus/TARGET.
# With "merge" as third argument, the inputs of BUILD/corpus that reach code the committed corpus
# does not are added to it afterwards (libFuzzer's -merge), to be committed.
# Usage: tools/run-fuzzers.sh [BUILD [SECONDS [merge]]]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-fuzz}
seconds=${2:-60}
merge=${3:-}
status=0
for fuzzer in $(find "$build/fuzz" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort); do
    name=$(basename "$fuzzer")
    found=$build/corpus/$name
    seeds=$root/fuzz/corpus/$name
    mkdir -p "$found" "$seeds"
    echo "== $name ($seconds s)"
    "$fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$found" "$seeds" ||
        status=1
    if [ "$merge" = merge ]; then
        "$fuzzer" -merge=1 -max_len=4096 "$seeds" "$found" || status=1
    fi
done
exit $status
