// The standard apertures as pieces, and pieces as polygons and painter paths.
#include "gerber/aperture_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ostrel {

namespace {

constexpr double kPi = std::numbers::pi;

ShapePart circle_part(PointMm centre, double radius, bool solid) {
    ShapePart part;
    part.solid = solid;
    part.circle = true;
    part.centre = centre;
    part.radius = radius;
    return part;
}

ShapePart polygon_part(std::vector<PointMm> polygon, bool solid) {
    orient(polygon, solid);
    ShapePart part;
    part.solid = solid;
    part.polygon = std::move(polygon);
    return part;
}

void add_hole(ApertureShape& shape, double hole) {
    if (hole > 0) {
        shape.parts.push_back(circle_part({}, hole / 2, false));
    }
}

std::vector<PointMm> rectangle(double width, double height) {
    const double w = width / 2;
    const double h = height / 2;
    return {{-w, -h}, {w, -h}, {w, h}, {-w, h}};
}

bool inside(const std::vector<PointMm>& polygon, PointMm p) {
    bool in = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const PointMm a = polygon[i];
        const PointMm b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
            in = !in;
        }
    }
    return in;
}

}  // namespace

double signed_area(const std::vector<PointMm>& polygon) {
    double twice = 0;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        twice += (polygon[j].x - polygon[i].x) * (polygon[j].y + polygon[i].y);
    }
    return twice / 2;
}

void orient(std::vector<PointMm>& polygon, bool solid) {
    if (polygon.size() > 2 && (signed_area(polygon) > 0) != solid) {
        std::reverse(polygon.begin(), polygon.end());
    }
}

std::vector<PointMm> circle_polygon(PointMm centre, double radius, double tolerance) {
    const int sides = circle_sides(radius, tolerance);
    std::vector<PointMm> points(static_cast<std::size_t>(sides));
    for (int i = 0; i < sides; ++i) {
        const double a = 2 * kPi * i / sides;
        points[static_cast<std::size_t>(i)] = {centre.x + radius * std::cos(a),
                                               centre.y + radius * std::sin(a)};
    }
    return points;
}

void finish_shape(ApertureShape& shape) {
    shape.box = {};
    for (const ShapePart& part : shape.parts) {
        if (!part.solid) {
            continue;
        }
        if (part.circle) {
            shape.box.include({part.centre.x - part.radius, part.centre.y - part.radius});
            shape.box.include({part.centre.x + part.radius, part.centre.y + part.radius});
        }
        for (PointMm p : part.polygon) {
            shape.box.include(p);
        }
    }
}

ApertureShape circle_aperture(double diameter, double hole) {
    ApertureShape shape;
    shape.kind = ApertureShape::Kind::Circle;
    shape.width = shape.height = diameter;
    if (diameter > 0) {
        shape.parts.push_back(circle_part({}, diameter / 2, true));
        add_hole(shape, hole);
    }
    finish_shape(shape);
    if (shape.box.empty) {
        shape.box.include({});  // a zero-size circle still marks its centre line
    }
    return shape;
}

ApertureShape rectangle_aperture(double width, double height, double hole) {
    ApertureShape shape;
    shape.kind = ApertureShape::Kind::Rectangle;
    shape.width = width;
    shape.height = height;
    if (width > 0 && height > 0) {
        shape.parts.push_back(polygon_part(rectangle(width, height), true));
        add_hole(shape, hole);
    }
    finish_shape(shape);
    return shape;
}

ApertureShape obround_aperture(double width, double height, double hole) {
    if (width == height) {
        ApertureShape shape = circle_aperture(width, hole);
        shape.kind = ApertureShape::Kind::Other;
        return shape;
    }
    ApertureShape shape;
    if (width > 0 && height > 0) {
        // Two half circles joined by straight sides; one polygon, so that a hole stays a hole.
        const bool wide = width > height;
        const double r = (wide ? height : width) / 2;
        const double half = (wide ? width : height) / 2 - r;
        const int sides = circle_sides(r, kShapeTolerance);
        std::vector<PointMm> polygon;
        for (int end = 0; end < 2; ++end) {
            const double start = (wide ? -kPi / 2 : 0) + end * kPi;
            const PointMm c =
                wide ? PointMm{end == 0 ? half : -half, 0} : PointMm{0, end == 0 ? half : -half};
            for (int i = 0; i <= sides / 2; ++i) {
                const double a = start + kPi * i / (sides / 2);
                polygon.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
            }
        }
        shape.parts.push_back(polygon_part(std::move(polygon), true));
        add_hole(shape, hole);
    }
    finish_shape(shape);
    return shape;
}

ApertureShape polygon_aperture(double diameter, int vertices, double rotation_degrees,
                               double hole) {
    ApertureShape shape;
    if (diameter > 0 && vertices >= 3 && vertices <= 12) {
        std::vector<PointMm> polygon;
        for (int i = 0; i < vertices; ++i) {
            const double a = (rotation_degrees + 360.0 * i / vertices) * kPi / 180;
            polygon.push_back({diameter / 2 * std::cos(a), diameter / 2 * std::sin(a)});
        }
        shape.parts.push_back(polygon_part(std::move(polygon), true));
        add_hole(shape, hole);
    }
    finish_shape(shape);
    return shape;
}

void add_parts(QPainterPath& path, const std::vector<ShapePart>& parts, const QTransform& transform,
               double tolerance) {
    const double scale = std::sqrt(std::fabs(transform.determinant()));
    QPolygonF polygon;
    for (const ShapePart& part : parts) {
        polygon.clear();
        if (part.circle) {
            // Counterclockwise for a solid circle, clockwise for a hole, like the polygons.
            const int sides = circle_sides(part.radius * scale, tolerance);
            const double r = straddling_radius(part.radius, sides);
            for (int i = 0; i < sides; ++i) {
                const double a = 2 * kPi * i / sides * (part.solid ? 1 : -1);
                polygon.append(transform.map(
                    QPointF(part.centre.x + r * std::cos(a), part.centre.y + r * std::sin(a))));
            }
        } else {
            for (PointMm p : part.polygon) {
                polygon.append(transform.map(QPointF(p.x, p.y)));
            }
        }
        if (polygon.size() >= 3) {
            polygon.append(polygon.front());
            path.addPolygon(polygon);
            path.closeSubpath();
        }
    }
}

std::vector<ShapePart> parts_of_polygons(std::vector<std::vector<PointMm>> polygons) {
    std::vector<ShapePart> parts;
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        if (polygons[i].size() < 3) {
            continue;
        }
        int depth = 0;
        for (std::size_t j = 0; j < polygons.size(); ++j) {
            if (j != i && polygons[j].size() >= 3 && inside(polygons[j], polygons[i].front())) {
                ++depth;
            }
        }
        parts.push_back(polygon_part(std::move(polygons[i]), depth % 2 == 0));
    }
    // Solid pieces first: a hole is read as one only once its solid is there.
    std::stable_partition(parts.begin(), parts.end(), [](const ShapePart& p) { return p.solid; });
    return parts;
}

}  // namespace ostrel
