#!/bin/sh
# Draws the program's pictures (splash, "?" tab, desktop icon) into gui/pictures with ImageMagick.
set -eu
cd "$(dirname "$0")/../gui/pictures"
FONT=DejaVu-Sans-Bold
FONT_REG=DejaVu-Sans

# A plotter gantry over a board: two rails, a bridge, the pen carriage, a drawn track and holes.
plotter() {  # x0 y0 scale rail-colour
    x=$1; y=$2; s=$3; rail=${4:-#e8eef7}
    echo "fill none stroke #9fb8d8 stroke-width 2 rectangle $x,$y $((x + 40 * s)),$((y + 26 * s))"
    echo "stroke $rail stroke-width 3 line $((x - 4 * s)),$((y - 2 * s)) $((x - 4 * s)),$((y + 28 * s))"
    echo "line $((x + 44 * s)),$((y - 2 * s)) $((x + 44 * s)),$((y + 28 * s))"
    echo "stroke #ffd166 stroke-width 4 line $((x - 6 * s)),$((y + 10 * s)) $((x + 46 * s)),$((y + 10 * s))"
    echo "fill #ffd166 stroke #7a5a00 stroke-width 1 rectangle $((x + 22 * s)),$((y + 8 * s)) $((x + 28 * s)),$((y + 14 * s))"
    echo "fill none stroke #ef476f stroke-width 2 polyline $((x + 4 * s)),$((y + 22 * s)) $((x + 12 * s)),$((y + 16 * s)) $((x + 18 * s)),$((y + 20 * s)) $((x + 25 * s)),$((y + 11 * s))"
    echo "fill #06d6a0 stroke none circle $((x + 33 * s)),$((y + 20 * s)) $((x + 34 * s)),$((y + 20 * s))"
    echo "circle $((x + 37 * s)),$((y + 20 * s)) $((x + 38 * s)),$((y + 20 * s))"
    echo "circle $((x + 33 * s)),$((y + 23 * s)) $((x + 34 * s)),$((y + 23 * s))"
    echo "circle $((x + 37 * s)),$((y + 23 * s)) $((x + 38 * s)),$((y + 23 * s))"
}

convert -size 408x394 gradient:'#1d3557-#0b1320' \
    -draw "$(plotter 124 60 4)" \
    -font "$FONT" -fill '#f1faee' -pointsize 44 -gravity north -annotate +0+204 'Ostrel 7' \
    -font "$FONT_REG" -fill '#a8dadc' -pointsize 14 -annotate +0+262 'плоттер · гравёр · сверловка плат' \
    -annotate +0+282 'на параллельном порту' \
    -fill '#ffd166' -pointsize 12 -gravity south -annotate +0+14 'щёлкните — руководство оператора' \
    -quality 90 splash.jpg

convert -size 396x276 gradient:'#f1faee-#a8dadc' \
    -draw "$(plotter 24 40 3 '#1d3557')" \
    -font "$FONT" -fill '#1d3557' -pointsize 34 -annotate +170+92 'Ostrel 7' \
    -font "$FONT_REG" -pointsize 12 -fill '#1d3557' \
    -annotate +170+118 'управление станком через LPT' \
    -annotate +18+150 'Ручное — перемещения по осям X, Y, Z' \
    -annotate +18+170 'По программе — DXF и Gerber: рисование, сверление' \
    -annotate +18+190 'Настройка — порт, проверка выводов, параметры осей' \
    -fill '#e63946' -annotate +18+240 'щёлкните — README проекта' \
    -quality 90 about.jpg

convert -size 64x64 xc:'#1d3557' -draw "$(plotter 10 16 1)" -strokewidth 0 \
    -font "$FONT" -fill '#f1faee' -pointsize 14 -gravity south -annotate +0+2 'O7' ostrel.png
