// Outlines a pen draws to mark copper areas: each edge moved inwards by the pen's radius.
#pragma once

#include "core/geometry.h"
#include "gerber/board.h"

#include <vector>

namespace ostrel {

// The closed lines (first point repeated at the end) whose pen trace of the given radius stays
// within the area of the parts and reaches its edge. An area narrower than the pen becomes one
// point at the middle of its box.
std::vector<std::vector<PointMm>> inset_outlines(const std::vector<ShapePart>& parts,
                                                 double pen_radius);

}  // namespace ostrel
