// Pieces of a drawing that meet joined into strokes, so the tool stays down along them.
#pragma once

#include "core/geometry.h"

#include <vector>

namespace ostrel {

// How near two ends must be to count as one point: half a motor step on each axis, the nearest
// the motors can come to either.
struct JoinReach {
    double x = 0;
    double y = 0;
};

// Joins pieces whose ends meet within reach, end to start or end to end (the later piece then
// runs backwards), into as few strokes as a greedy walk finds: each stroke is grown from its
// last point, then from its first, with the earliest piece that meets it. The joint's second
// point is dropped. Pieces without points are dropped; the result depends on nothing but the input.
std::vector<Stroke> join_strokes(std::vector<Stroke> pieces, JoinReach reach);

}  // namespace ostrel
