#!/usr/bin/env python3
"""The second opinion on a DXF drawing: ezdxf flattens the drawn entities of model space.

Usage: ezdxf_flatten.py FILE
Prints one JSON object: the extents and total length of the flattened entities in drawing units,
the count of entities drawn, and the millimetres per drawing unit the header's $INSUNITS gives
(1 for unitless drawings). Only the entity types the standard mode draws are counted, and block
references are followed through their arrays and nested blocks; DIMENSION, TEXT and the like
stay out on both sides.
"""
import json
import math
import sys

import ezdxf
from ezdxf import path, recover, units

DRAWN = {"LINE", "POINT", "ARC", "CIRCLE", "ELLIPSE", "LWPOLYLINE", "POLYLINE", "SPLINE"}
FLATTENING_MM = 0.0005  # finer than the comparison needs


def entities(items, depth=0):
    for e in items:
        kind = e.dxftype()
        if kind == "INSERT" and depth < 16:
            inserts = e.multi_insert() if e.mcount > 1 else [e]
            for one in inserts:
                yield from entities(one.virtual_entities(), depth + 1)
        elif kind in DRAWN:
            if kind == "POLYLINE" and (e.is_poly_face_mesh or e.is_polygon_mesh):
                continue
            yield e


def main():
    doc, _ = recover.readfile(sys.argv[1])
    insunits = doc.header.get("$INSUNITS", 0)
    mm = units.conversion_factor(insunits, units.MM) if insunits else 1.0
    box = [math.inf, math.inf, -math.inf, -math.inf]
    length = 0.0
    count = 0

    def include(x, y):
        box[0] = min(box[0], x)
        box[1] = min(box[1], y)
        box[2] = max(box[2], x)
        box[3] = max(box[3], y)

    for e in entities(doc.modelspace()):
        count += 1
        if e.dxftype() == "POINT":
            include(e.dxf.location.x, e.dxf.location.y)
            continue
        vertices = list(path.make_path(e).flattening(FLATTENING_MM / mm))
        for a, b in zip(vertices, vertices[1:]):
            length += math.hypot(b.x - a.x, b.y - a.y)
        for v in vertices:
            include(v.x, v.y)
    print(json.dumps({"min_x": box[0], "min_y": box[1], "max_x": box[2], "max_y": box[3],
                      "length": length, "entities": count, "mm_per_unit": mm}))


if __name__ == "__main__":
    main()
