#!/bin/sh
# Seeds fuzz/corpus/TARGET from the sample jobs, ../shared/testdata and a few hand-made inputs,
# each cut to the fuzzers' 4 KiB and laid out as its target reads it; libFuzzer's merge keeps only
# the inputs that reach new code, so that the corpus stays small enough to commit.
# Usage: tools/seed-fuzz-corpus.sh [BUILD]   (a fuzz build, as make fuzz leaves it)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-fuzz}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
testdata=$root/../shared/testdata

# seed TARGET NAME PREFIX FILE: the prefix bytes (printf format), then the file's start.
seed() {
    mkdir -p "$work/$1"
    { printf "$3"; head -c 4000 "$4"; } > "$work/$1/$2"
}
# text TARGET NAME TEXT (printf format)
text() {
    mkdir -p "$work/$1"
    printf "$3" > "$work/$1/$2"
}

dxfs=$(ls "$root"/docs/samples/*.dxf "$testdata"/dxf/* 2>/dev/null || true)
gerbers=$(ls "$root"/docs/samples/*.gbr "$root"/docs/samples/*.drl "$testdata"/gerber/* \
    "$testdata"/drill/* 2>/dev/null || true)
i=0
for f in $dxfs; do
    i=$((i + 1))
    seed dxf_reader_fuzz "dxf$i" '\000' "$f"
    seed run_job_fuzz "draw-dxf$i" '\004' "$f"
    seed run_job_fuzz "drill-dxf$i" '\005' "$f"
    seed run_job_fuzz "preview-dxf$i" '\006' "$f"
done
for f in $gerbers; do
    i=$((i + 1))
    seed aperture_table_fuzz "gbr$i" '\007' "$f"
    seed gerber_out_str_fuzz "preview$i" '\001\000' "$f"
    seed gerber_out_str_fuzz "plot$i" '\002\000' "$f"
    seed gerber_out_str_fuzz "drill$i" '\004\000' "$f"
    seed run_job_fuzz "draw-gbr$i" '\000' "$f"
    seed run_job_fuzz "drill-drl$i" '\011' "$f"
    seed run_job_fuzz "preview-gbr$i" '\002' "$f"
done
seed settings_file_fuzz factory '' "$root/cfg.ini"
text settings_file_fuzz cr-only '[machine]\rmm_per_step_x = 0,005\rbacklash_x = 0.1\r'
text settings_file_fuzz unknown '[machine]\nMM_PER_STEP_Y = 0.005\ntravel_limit_y = 10\nbacklash_y = 20\n'
text settings_file_fuzz utf16 '\377\376[\000m\000a\000c\000h\000i\000n\000e\000]\000\n\000'
n=0
for number in 0,0025 12.5 -1 1e3 ' 7 ' ,5 -0,00005 99999999999999999 0x10 '1 000' 2,50000; do
    n=$((n + 1))
    mkdir -p "$work/number_text_fuzz"
    printf '%s' "$number" > "$work/number_text_fuzz/n$n"
done
text job_parameters_file_fuzz saved '; Ostrel job parameters\n[job]\nspeed_xy="2,5"\nspeed_xy_rapid=" 10 "\nz_travel="say \\"0,5\\" \\\\"\nspeed_z_up="1,5"\nspeed_z_down=""\ndrill_depth="2"\nmarker_diameter="05"\nreturn_to_origin=1\n'
text job_parameters_file_fuzz hand '; comment\n[other]\nspeed_xy=9\n\n[job]\n  speed_xy =  4,5  \nreturn_to_origin = 0\nunknown=1\n'

for target in $(ls "$work"); do
    fuzzer=$build/fuzz/$target
    [ -x "$fuzzer" ] || { echo "no $fuzzer: build the fuzz targets first (make fuzz)"; exit 1; }
    mkdir -p "$root/fuzz/corpus/$target"
    "$fuzzer" -merge=1 -max_len=4096 "$root/fuzz/corpus/$target" "$work/$target" 2>&1 |
        grep -E 'MERGE-OUTER: [0-9]+ new files' || true
done
du -sh "$root/fuzz/corpus"
