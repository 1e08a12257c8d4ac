// Aperture shapes: the standard circle, rectangle, obround and polygon, and pieces made into paths.
#pragma once

#include "gerber/board.h"

#include <QPainterPath>
#include <QTransform>
#include <vector>

namespace ostrel {

// Chord tolerance in millimetres of the curves made into polygons once and for all (obround
// ends, thermal rings, macro shapes cut by other shapes): far below what a machine or a
// viewer resolves.
inline constexpr double kShapeTolerance = 0.0005;

// The standard apertures; hole is the diameter of a round hole in the middle, 0 for none.
ApertureShape circle_aperture(double diameter, double hole);
ApertureShape rectangle_aperture(double width, double height, double hole);
ApertureShape obround_aperture(double width, double height, double hole);
ApertureShape polygon_aperture(double diameter, int vertices, double rotation_degrees, double hole);

// The shape's box and kind after its parts were set.
void finish_shape(ApertureShape& shape);

// Signed area of a closed polygon, positive counterclockwise.
double signed_area(const std::vector<PointMm>& polygon);
// The polygon turned to run counterclockwise (solid) or clockwise (not solid).
void orient(std::vector<PointMm>& polygon, bool solid);
// A circle as a polygon, counterclockwise from angle 0, no side straying more than tolerance.
std::vector<PointMm> circle_polygon(PointMm centre, double radius, double tolerance);

// The parts mapped by transform (no translation expected), circles made into polygons whose
// sides stray at most tolerance (in the mapped units), added to path.
void add_parts(QPainterPath& path, const std::vector<ShapePart>& parts, const QTransform& transform,
               double tolerance);

// Closed polygons whose even-odd fill is an area (as the path operations return them), turned
// into parts: those inside an even number of others solid, the rest holes.
std::vector<ShapePart> parts_of_polygons(std::vector<std::vector<PointMm>> polygons);

}  // namespace ostrel
