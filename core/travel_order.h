// The order a job visits strokes and holes in: always the nearest one next, to shorten travel.
#pragma once

#include "core/geometry.h"

#include <vector>

namespace ostrel {

// Greedy nearest neighbour from start: each next stroke is the one with an end nearest to where
// the last ended, reversed when its far end was the nearer one. Ties go to the earlier stroke in
// the given order, so the result does not depend on anything but the input.
std::vector<Stroke> order_strokes(std::vector<Stroke> strokes, PointMm start);

// The same for holes.
std::vector<Hole> order_holes(std::vector<Hole> holes, PointMm start);

}  // namespace ostrel
