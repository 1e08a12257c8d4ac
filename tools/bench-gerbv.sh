#!/bin/sh
# Times the Gerber read and preview beside gerbv's PNG export of the same 10 MB board, written by
# the benchmark, each as a whole process several runs over; both make a 387x320 picture. Prints
# the median of each and how many times faster the preview is, beside the goal of 3.
# Usage: tools/bench-gerbv.sh [BUILD [RUNS [few|classic]]]   (BUILD a benchmark build, as make
# bench leaves it; "few" writes the board of few shapes among long comments instead; "classic"
# times the classic reading on the classic benchmark's board)
set -eu
build=${1:-build-bench}
runs=${2:-5}
profile=${3:-}
if [ "$profile" = classic ]; then
    name=bench_gerber_preview
    profile=
else
    name=bench_gerber_standard
fi
bench=$(find "$build" -type f -name "$name" -perm -u+x | head -n 1)
[ -n "$bench" ] || { echo "no $name in $build: build the benchmarks first"; exit 1; }
command -v gerbv >/dev/null || { echo "no gerbv: install the Debian package gerbv"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
board=$work/board.gbr
"$bench" --write "$board" $profile >/dev/null
# Once each before timing, so that both find the file in the page cache.
"$bench" --preview-once "$board" >/dev/null
gerbv --export=png --window=387x320 --output="$work/board.png" "$board" 2>/dev/null
i=0
while [ "$i" -lt "$runs" ]; do
    i=$((i + 1))
    /usr/bin/time -a -o "$work/ostrel" -f "%e %M" "$bench" --preview-once "$board" >/dev/null
    /usr/bin/time -a -o "$work/gerbv" -f "%e %M" \
        gerbv --export=png --window=387x320 --output="$work/board.png" "$board" 2>/dev/null
done
median() { sort -n "$1" | awk '{ v[NR] = $1; m[NR] = $2 } END { i = int((NR + 1) / 2); print v[i], m[i] }'; }
set -- $(median "$work/ostrel") $(median "$work/gerbv")
echo "$name read + preview: median $1 s wall, $2 KB peak RSS ($runs runs)"
echo "gerbv --export=png:    median $3 s wall, $4 KB peak RSS"
awk -v a="$1" -v b="$3" 'BEGIN { printf "preview %.1f times faster than gerbv  goal >= 3\n", b / a }'
