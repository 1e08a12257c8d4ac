#!/usr/bin/env python3
"""Writes the sample job files of docs/samples/: the word OSTREL as DXF lines, the holes of the
sample board as DXF points, the board itself in Ostrel's Gerber dialect, and its drill file.

Usage: python3 tools/make_samples.py [OUTPUT_DIR]   (default: docs/samples next to this script)

The files are small and written by hand-made rules, so that every line of them can be read and
checked against the user guide (docs/guide.html, section "Sample files").
"""

import os
import sys

# ---------------------------------------------------------------------------------------------
# The board: every coordinate in millimetres. The drill file, the DXF holes and the pads of the
# Gerber file all come from these lists, so they always agree.

OUTLINE = [(1, 1), (39, 1), (39, 31), (1, 31), (1, 1)]
CONNECTOR = [(7, 8), (7, 16), (7, 24)]  # J1, pin 1 first
PART = [(33, 8), (33, 16), (33, 24)]  # U1
VIA = (20, 16)
TRACKS = [
    [(7, 8), (33, 8)],
    [(7, 16), VIA, (33, 16)],
    [(7, 24), (11, 28), (29, 28), (33, 24)],
]
HOLES = CONNECTOR + [VIA] + PART

# ---------------------------------------------------------------------------------------------
# The word OSTREL in a stroke font: each letter a list of polylines in a cell 8 mm wide and
# 14 mm high, drawn in the order given so that strokes that go on from one another need no lift.

LETTER_WIDTH = 8
LETTER_GAP = 2
WORD_ORIGIN = (1, 3)  # lower left corner of the first letter; the word fits in 60 x 20 mm

LETTERS = {
    "O": [[(2, 0), (6, 0), (8, 2), (8, 12), (6, 14), (2, 14), (0, 12), (0, 2), (2, 0)]],
    "S": [[(8, 12), (6, 14), (2, 14), (0, 12), (0, 9), (2, 7), (6, 7), (8, 5), (8, 2), (6, 0),
           (2, 0), (0, 2)]],
    "T": [[(0, 14), (8, 14)], [(4, 14), (4, 0)]],
    "R": [[(0, 0), (0, 14), (6, 14), (8, 12), (8, 9), (6, 7), (0, 7)], [(4, 7), (8, 0)]],
    "E": [[(8, 14), (0, 14), (0, 0), (8, 0)], [(0, 7), (6, 7)]],
    "L": [[(0, 14), (0, 0), (8, 0)]],
}


def word_lines(word):
    """The LINE entities of the word: (x1, y1, x2, y2) in mm, in drawing order."""
    lines = []
    x0, y0 = WORD_ORIGIN
    for index, letter in enumerate(word):
        left = x0 + index * (LETTER_WIDTH + LETTER_GAP)
        for stroke in LETTERS[letter]:
            for (ax, ay), (bx, by) in zip(stroke, stroke[1:]):
                lines.append((left + ax, y0 + ay, left + bx, y0 + by))
    return lines


# ---------------------------------------------------------------------------------------------
# DXF in the text layout AutoCAD writes: group codes right-aligned in three columns ("  0",
# "  8", " 10"), each followed by its value on the next line. Ostrel's reader matches these
# lines exactly, so the padding matters.


def dxf_number(value):
    return f"{float(value):.1f}"


def dxf_pairs_to_text(pairs):
    return "".join(f"{code:>3}\n{value}\n" for code, value in pairs)


def dxf_file(layer, entities, extents):
    (min_x, min_y), (max_x, max_y) = extents
    pairs = [
        (0, "SECTION"), (2, "HEADER"),
        (9, "$ACADVER"), (1, "AC1009"),
        (9, "$EXTMIN"), (10, dxf_number(min_x)), (20, dxf_number(min_y)), (30, "0.0"),
        (9, "$EXTMAX"), (10, dxf_number(max_x)), (20, dxf_number(max_y)), (30, "0.0"),
        (0, "ENDSEC"),
        (0, "SECTION"), (2, "TABLES"),
        (0, "TABLE"), (2, "LAYER"), (70, "1"),
        (0, "LAYER"), (2, layer), (70, "0"), (62, "7"), (6, "CONTINUOUS"),
        (0, "ENDTAB"),
        (0, "ENDSEC"),
        (0, "SECTION"), (2, "ENTITIES"),
    ]
    for entity in entities:
        pairs.extend(entity)
    pairs += [(0, "ENDSEC"), (0, "EOF")]
    return dxf_pairs_to_text(pairs)


def dxf_line(layer, x1, y1, x2, y2):
    return [(0, "LINE"), (8, layer),
            (10, dxf_number(x1)), (20, dxf_number(y1)), (30, "0.0"),
            (11, dxf_number(x2)), (21, dxf_number(y2)), (31, "0.0")]


def dxf_point(layer, x, y):
    return [(0, "POINT"), (8, layer),
            (10, dxf_number(x)), (20, dxf_number(y)), (30, "0.0")]


def extents_of(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs), min(ys)), (max(xs), max(ys))


def word_dxf():
    lines = word_lines("OSTREL")
    ends = [(l[0], l[1]) for l in lines] + [(l[2], l[3]) for l in lines]
    return dxf_file("LETTERS", [dxf_line("LETTERS", *l) for l in lines], extents_of(ends))


def holes_dxf():
    return dxf_file("HOLES", [dxf_point("HOLES", x, y) for x, y in HOLES], extents_of(HOLES))


# ---------------------------------------------------------------------------------------------
# Gerber in Ostrel's dialect: coordinates are whole numbers of hundredths of a millimetre
# (X700 is 7 mm), with no sign and no decimal point. An aperture size is read from the tenth
# character of its "%ADD" line on, all its digits taken as hundredths of a millimetre, so
# "0.0180" means 1.8 mm. One command block per line; a comment holds no digit, because the
# interpreter would run "X" or "Y" followed by digits as a coordinate, even inside a comment.

TRACK_APERTURE = 10
OUTLINE_APERTURE = 11
PAD_APERTURE = 12
VIA_APERTURE = 13
SQUARE_APERTURE = 14

APERTURES = [
    # (D-code, definition after the D-code, size in mm for the check below)
    (TRACK_APERTURE, "C,0.0040", 0.4),
    (OUTLINE_APERTURE, "C,0.0020", 0.2),
    (PAD_APERTURE, "C,0.0180", 1.8),
    (VIA_APERTURE, "C,0.0250", 2.5),
    (SQUARE_APERTURE, "R,0.0180X0.0180", 1.8),
]


def hundredths(mm):
    value = round(mm * 100)
    assert value >= 0, "the dialect has no negative coordinates"
    return str(value)


def xy(point):
    return f"X{hundredths(point[0])}Y{hundredths(point[1])}"


def aperture_size_text(definition):
    """The size the loader reads: the digits from the tenth character of the line on, / 100."""
    line = f"%ADD{definition}"
    text = line[9:].split("X")[0].split("*")[0]
    return int("".join(c for c in text if c.isdigit())) / 100


def polyline(points):
    out = [f"{xy(points[0])}D02*"]
    out += [f"{xy(p)}D01*" for p in points[1:]]
    return out


def board_gbr():
    out = [
        "G04 Ostrel sample board: outline, three tracks, seven pads*",
        "%FSLAX32Y32*%",
        "%MOMM*%",
    ]
    for code, definition, size in APERTURES:
        assert abs(aperture_size_text(f"{code}{definition}*%") - size) < 1e-9
        out.append(f"%ADD{code}{definition}*%")
    out.append("G01*")
    out.append(f"G54D{OUTLINE_APERTURE}*")
    out += polyline(OUTLINE)
    out.append(f"G54D{TRACK_APERTURE}*")
    for track in TRACKS:
        out += polyline(track)
    # Pin 1 of the connector is square, as boards mark it. Ostrel flashes circles only, so this
    # pad is left out of the plot; the drill file still holds its hole.
    out.append(f"G54D{SQUARE_APERTURE}*")
    out.append(f"{xy(CONNECTOR[0])}D03*")
    out.append(f"G54D{PAD_APERTURE}*")
    for pad in CONNECTOR[1:] + PART:
        out.append(f"{xy(pad)}D03*")
    out.append(f"G54D{VIA_APERTURE}*")
    out.append(f"{xy(VIA)}D03*")
    out.append("M02*")
    return "\n".join(out) + "\n"


def board_drl():
    # The drilling job drills at every Y word, at the X last given: one line per hole.
    out = ["; Ostrel sample drill file: X and Y in hundredths of a millimetre"]
    out += [xy(hole) for hole in HOLES]
    out.append("M30")
    return "\n".join(out) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "docs", "samples")
    os.makedirs(target, exist_ok=True)
    files = {
        "ostrel.dxf": word_dxf(),
        "holes.dxf": holes_dxf(),
        "board.gbr": board_gbr(),
        "board.drl": board_drl(),
    }
    for name, text in files.items():
        path = os.path.join(target, name)
        with open(path, "w", encoding="ascii", newline="\n") as f:
            f.write(text)
        print(path)


if __name__ == "__main__":
    main()
