// Curves turned into the straight segments a machine can draw, within a chord tolerance.
#pragma once

#include "core/geometry.h"

#include <functional>
#include <span>
#include <vector>

namespace ostrel {

// No curve is cut into more pieces than this, however large it is against the tolerance: a
// damaged file's circle of 1e300 mm must not take the memory.
inline constexpr int kMostCurvePieces = 1 << 16;

// Appends the points of c + cos(t) u + sin(t) v for t from start to start + sweep (radians),
// first and last included, so that no chord strays more than tolerance from the curve. A circle
// of radius r is u = (r, 0), v = (0, r); any affine image of a circular arc is one of these.
void flatten_conic_arc(PointMm c, PointMm u, PointMm v, double start, double sweep,
                       double tolerance, std::vector<PointMm>& out);

// The circular arc that a polyline's bulge makes between two points (the tangent of a quarter
// of its sweep; positive counter-clockwise): its centre, radius, start angle and sweep.
struct BulgeArc {
    PointMm centre;
    double radius = 0;
    double start = 0;
    double sweep = 0;
};
BulgeArc bulge_arc(PointMm from, PointMm to, double bulge);

// A rational B-spline: degree, control points, one weight each (empty: all 1), and the knot
// vector (control count + degree + 1 values, not decreasing).
struct Nurbs {
    int degree = 3;
    std::vector<PointMm> control;
    std::vector<double> weights;
    std::vector<double> knots;

    // Whether the numbers make a curve: enough knots, in order, finite, positive weights.
    bool valid() const;
    // The curve's point at parameter t within the knots' range.
    PointMm at(double t) const;
};

// Appends the points of a valid curve, first and last included, within tolerance.
void flatten_nurbs(const Nurbs& curve, double tolerance, std::vector<PointMm>& out);

// The cubic B-spline through the points (at least two) by their chord lengths, with the given
// unit tangents at its ends where they are known (else the ends follow the first and last three
// points). Empty when the points are not enough or all the same.
Nurbs interpolating_cubic(std::span<const PointMm> points, const PointMm* start_tangent,
                          const PointMm* end_tangent);

}  // namespace ostrel
