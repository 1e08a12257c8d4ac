#!/bin/sh
# Times the standard Gerber read and preview beside gerbv's PNG export of the same 10 MB board,
# written by the benchmark, each as a whole process several runs over; both make a 387x320 picture.
# Usage: tools/bench-gerbv.sh [BUILD [RUNS [few]]]   (BUILD a benchmark build, as make bench leaves it;
# "few" writes the board of few shapes among long comments instead)
set -eu
build=${1:-build-bench}
runs=${2:-5}
profile=${3:-}
bench=$(find "$build" -type f -name bench_gerber_standard -perm -u+x | head -n 1)
[ -n "$bench" ] || { echo "no bench_gerber_standard in $build: build the benchmarks first"; exit 1; }
command -v gerbv >/dev/null || { echo "no gerbv: install the Debian package gerbv"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
board=$work/board.gbr
"$bench" --write "$board" $profile
# Once each before timing, so that both find the file in the page cache.
"$bench" --preview-once "$board"
gerbv --export=png --window=387x320 --output="$work/board.png" "$board" 2>/dev/null
i=0
while [ "$i" -lt "$runs" ]; do
    i=$((i + 1))
    /usr/bin/time -a -o "$work/times" -f "ostrel read + preview: %e s wall, %M KB peak RSS" \
        "$bench" --preview-once "$board" >/dev/null
    /usr/bin/time -a -o "$work/times" -f "gerbv --export=png:    %e s wall, %M KB peak RSS" \
        gerbv --export=png --window=387x320 --output="$work/board.png" "$board" 2>/dev/null
done
cat "$work/times"
