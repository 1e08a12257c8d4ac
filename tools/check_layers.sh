#!/bin/sh
# Checks the layering of the source folders: an include never reaches up the order
#   port < core < motion < dxf, gerber, gcode < jobs < run, gui   (gui/screen below the rest of gui/)
# dxf, gerber and gcode never include each other, and only gui/ (with the screenshot driver in tools/,
# the window tests and the window benchmark) uses Qt Widgets. Prints each breach; exit 1 if any.
set -u
cd "$(dirname "$0")/.."
widgets_dir=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)/QtWidgets
status=0
breach() {
    echo "$1"
    status=1
}

rank() {
    case $1 in
        port) echo 0 ;;
        core) echo 1 ;;
        motion) echo 2 ;;
        dxf | gerber | gcode) echo 3 ;;
        jobs) echo 4 ;;
        run | gui) echo 5 ;;
        *) echo -1 ;;
    esac
}

# Project includes: "folder/file.h".
for dir in port core motion dxf gerber gcode jobs run gui; do
    own=$(rank "$dir")
    for file in $(find "$dir" -name '*.h' -o -name '*.cpp' -o -name '*.ui' | sort); do
        grep -o '#include "[a-z_]*/[^"]*"\|<header>[a-z_]*/[^<]*</header>' "$file" |
            sed 's/#include "//; s/"$//; s/<header>//; s/<\/header>//' |
            while read -r included; do
                target=${included%%/*}
                theirs=$(rank "$target")
                [ "$theirs" -lt 0 ] && continue
                if [ "$theirs" -gt "$own" ] ||
                    { [ "$theirs" -eq "$own" ] && [ "$target" != "$dir" ]; }; then
                    echo "$file includes $included: up the layer order"
                fi
                case $file in
                    gui/screen/*)
                        case $included in
                            gui/screen/*) ;;
                            gui/*) echo "$file includes $included: gui/screen sits below gui/" ;;
                        esac
                        ;;
                esac
            done
    done
done >/tmp/ostrel-layers.$$
if [ -s /tmp/ostrel-layers.$$ ]; then
    cat /tmp/ostrel-layers.$$
    status=1
fi
rm -f /tmp/ostrel-layers.$$

# Qt Widgets: by header name, and by what CMake links.
if [ -d "$widgets_dir" ]; then
    widget_headers=$(ls "$widgets_dir" | grep '^Q[A-Za-z]*$' | tr '\n' '|' | sed 's/|$//')
    hits=$(find port core motion dxf gerber gcode jobs run -name '*.h' -o -name '*.cpp' |
        xargs grep -nE "#include <(QtWidgets/)?($widget_headers)>" 2>/dev/null)
    [ -n "$hits" ] && breach "Qt Widgets outside gui/:
$hits"
else
    breach "no Qt Widgets headers at $widgets_dir: cannot check their use"
fi
hits=$(grep -n 'Widgets' port/CMakeLists.txt core/CMakeLists.txt motion/CMakeLists.txt \
    dxf/CMakeLists.txt gerber/CMakeLists.txt gcode/CMakeLists.txt jobs/CMakeLists.txt \
    run/CMakeLists.txt)
[ -n "$hits" ] && breach "a core folder links Qt Widgets:
$hits"

[ "$status" -eq 0 ] && echo "layers: every include keeps to the order; Widgets only in gui/"
exit "$status"
