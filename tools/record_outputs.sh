#!/bin/bash
# Records what ostrel-run makes of every shipped sample and every file in ../shared/testdata, the
# latter in both readings (summary without the wall time, messages, exit status, trace digest,
# picture), so that a change meant to keep behaviour can be checked byte for byte: run it before
# and after, then compare the two folders with diff -r.
# Usage: tools/record_outputs.sh RUNNER OUT_DIR
set -u
runner=$(realpath "$1")
out=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
testdata=$root/../shared/testdata
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Real files run long at the factory ratio; a coarse machine keeps each run to seconds.
cat > "$work/coarse.ini" <<'INI'
[machine]
mm_per_step_x = 0.5
mm_per_step_y = 0.5
mm_per_step_z = 0.5
travel_limit_x = 100000
travel_limit_y = 100000
travel_limit_z = 100000
backlash_x = 0.5
backlash_y = 0
backlash_z = 0
INI

record() {  # name config job file [extra options]
    local name=$1 config=$2 job=$3 file=$4
    shift 4
    local base=$out/$name.$job
    (cd "$work" && timeout 600 "$runner" --config "$config" --job "$job" --json \
        --trace "$work/trace" --png "$base.png" "$@" "$file" \
        > "$base.json" 2> "$base.messages")
    echo "exit $?" > "$base.status"
    sed -i 's/"wall_time_s": *[0-9.e+-]*,\?//' "$base.json"
    if [ -f "$work/trace" ]; then
        { sha256sum < "$work/trace"; wc -l < "$work/trace"; } > "$base.trace"
        rm -f "$work/trace"
    fi
}

for f in "$root"/docs/samples/*; do
    n=sample-$(basename "$f")
    for job in draw drill preview; do record "$n" "$root/cfg.ini" $job "$f"; done
    case $f in *.dxf)
        record "$n-zoom3-idle" "$root/cfg.ini" preview "$f" --zoom 3 --idle-moves
        record "$n-auto" "$root/cfg.ini" preview "$f" --auto-zoom ;;
    esac
done
if [ -d "$testdata" ]; then
    for f in "$testdata"/*/*; do
        case $f in *.md) continue ;; esac
        n=$(basename "$(dirname "$f")")-$(basename "$f")
        for job in draw drill preview; do record "$n" "$work/coarse.ini" $job "$f"; done
        case $f in *.dxf) record "$n-auto" "$work/coarse.ini" preview "$f" --auto-zoom ;; esac
        # The true-size reading of the same file (G-code is read so anyway).
        case $f in *.nc | *.ngc | *.gcode | *.tap) ;; *)
            for job in draw drill preview; do
                record "$n-standard" "$work/coarse.ini" $job "$f" --standard
            done ;;
        esac
    done
fi
ls "$out" | wc -l
