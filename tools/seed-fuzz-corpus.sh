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
    case "$f" in
        */drill/* | *.drl | *.DRL) seed excellon_reader_fuzz "drl$i" '' "$f" ;;
        *) seed gerber_reader_fuzz "gbr$i" '\043' "$f" ;;
    esac
done
text gerber_reader_fuzz repeat '\001%%FSLAX26Y26*%%%%MOMM*%%%%ADD10C,0.1*%%%%SRX3Y2I1.5J2*%%D10*X0Y0D03*X1000000D01*%%SR*%%M02*'
text gerber_reader_fuzz region '\377%%FSTAX24Y24*%%%%MOIN*%%G75*G36*X0Y0D02*X10000D01*G03X0Y10000I-10000J0D01*G37*%%LPC*%%G74*G36*X1Y1D02*G02X2Y2I1J0D01*X1Y1D01*M02*'
text gerber_reader_fuzz macro '\020%%FSLAX24Y24*%%%%AMT*0 thermal*7,0,0,1.0,0.8,0.1,45*1,1,$1,0,0*$2=$1x2*5,1,6,0,0,$2,0*%%%%ADD11T,0.5X0.2*%%%%ABD12*%%D11*X0Y0D03*%%AB*%%D12*X1Y1D03*G91*X1Y1D03*'
text excellon_reader_fuzz header 'M48\n;FILE_FORMAT=3:3\nMETRIC,LZ,000.000\nT1C0.8\nT2C1.0\n%%\nG90\nT1\nX10000Y20000\nX-5Y+7G85X100Y100\nT2\nG91\nX5000\nG00X1Y1\nM30\n'
text excellon_reader_fuzz bare 'T3\r\nX012500Y003\rM72\nX1.5Y2.25\nICI,ON\nM00\n'
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
