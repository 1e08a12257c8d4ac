// A DXF file read in the standard mode: the strokes to draw and the holes to drill, true size.
#pragma once

#include "core/geometry.h"
#include "core/placement.h"
#include "core/stroke_joining.h"
#include "dxf/dxf_standard_reader.h"

#include <QString>
#include <optional>
#include <vector>

namespace ostrel {

// The standard mode's choices, as the operator made them on the page or the runner's command line.
struct DxfStandardSettings {
    // Millimetres per drawing unit; empty: as the file's $INSUNITS says (millimetres when it
    // says nothing).
    std::optional<double> mm_per_unit;
    Placement placement;
    // Holes at CIRCLE centres as well as at POINTs.
    bool circles_as_holes = true;
    // Well under the factory's motor step of 0.0025 mm, so that no curve shows its chords.
    double chord_tolerance_mm = 0.001;
};

// The millimetres of a unit named as the runner takes it: "mm", "cm", "m", "in", "ft".
std::optional<double> dxf_unit_named(const QString& name);

struct DxfDrawing {
    // Paths joined where they meet, in file order of their first pieces; file millimetres.
    std::vector<Stroke> strokes;
    // POINTs, and CIRCLE centres when chosen, in file order.
    std::vector<Hole> holes;
    // Around every point drawn or drilled.
    BoxMm extents;
    // Lengths of all segments drawn, joints excepted.
    double length_mm = 0;
    std::int64_t pieces = 0;    // paths as the entities gave them, before joining
    std::int64_t segments = 0;  // their straight segments
    DxfFileFacts facts;
};

// Reads the file named at path (already known to exist). Ends meeting within reach are joined.
// Throws OperationAbandoned as DxfStandardReader does.
DxfDrawing read_dxf_drawing(const QString& path, const DxfStandardSettings& settings,
                            JoinReach reach);

// The strokes and holes moved and mirrored to where they land on the machine.
std::vector<Stroke> placed_strokes(const std::vector<Stroke>& strokes, const PlacementMap& map);
std::vector<Hole> placed_holes(const std::vector<Hole>& holes, const PlacementMap& map);

}  // namespace ostrel
