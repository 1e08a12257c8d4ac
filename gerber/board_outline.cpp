// Inset outlines: exact for a lone circle or upright rectangle, by path operations otherwise.
#include "gerber/board_outline.h"

#include "gerber/aperture_shape.h"

#include <QPainterPath>
#include <QPainterPathStroker>
#include <QTransform>
#include <cmath>

namespace ostrel {

namespace {

// Curves of the pen's path stray at most this (mm) from the true ones: a tenth of a motor step
// of the factory machine.
constexpr double kPenTolerance = 0.00025;
// The path operations flatten and compare in the path's own units: micrometres keep them fine.
constexpr double kMicrometres = 1000;

std::vector<PointMm> closed(std::vector<PointMm> points) {
    if (!points.empty()) {
        points.push_back(points.front());
    }
    return points;
}

PointMm middle(const std::vector<ShapePart>& parts) {
    ApertureShape shape;
    shape.parts = parts;
    finish_shape(shape);
    if (shape.box.empty) {
        return {};
    }
    return {(shape.box.min_x + shape.box.max_x) / 2, (shape.box.min_y + shape.box.max_y) / 2};
}

bool upright_rectangle(const ShapePart& part) {
    if (part.circle || part.polygon.size() != 4) {
        return false;
    }
    const auto& p = part.polygon;
    for (std::size_t i = 0; i < 4; ++i) {
        const PointMm a = p[i];
        const PointMm b = p[(i + 1) % 4];
        if (a.x != b.x && a.y != b.y) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<std::vector<PointMm>> inset_outlines(const std::vector<ShapePart>& parts,
                                                 double pen_radius) {
    if (parts.empty()) {
        return {};
    }
    if (parts.size() == 1 && parts[0].solid && parts[0].circle) {
        const double r = parts[0].radius - pen_radius;
        if (!(r > 0)) {
            return {{parts[0].centre}};
        }
        return {closed(circle_polygon(parts[0].centre, r, kPenTolerance))};
    }
    if (parts.size() == 1 && parts[0].solid && upright_rectangle(parts[0])) {
        double x0 = parts[0].polygon[0].x, x1 = x0, y0 = parts[0].polygon[0].y, y1 = y0;
        for (const PointMm p : parts[0].polygon) {
            x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
        }
        x0 += pen_radius, x1 -= pen_radius, y0 += pen_radius, y1 -= pen_radius;
        if (x0 < x1 && y0 < y1) {
            return {{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}}};
        }
        // Narrower than the pen one way: a line along the other, or a point.
        const double cx = (x0 + x1) / 2;
        const double cy = (y0 + y1) / 2;
        if (x0 < x1) {
            return {{{x0, cy}, {x1, cy}}};
        }
        if (y0 < y1) {
            return {{{cx, y0}, {cx, y1}}};
        }
        return {{{cx, cy}}};
    }
    QPainterPath area;
    area.setFillRule(Qt::WindingFill);
    add_parts(area, parts, QTransform::fromScale(kMicrometres, kMicrometres),
              kPenTolerance * kMicrometres);
    area = area.simplified();
    if (pen_radius > 0) {
        QPainterPathStroker stroker;
        stroker.setWidth(2 * pen_radius * kMicrometres);
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setCurveThreshold(kPenTolerance * kMicrometres);
        area = area.subtracted(stroker.createStroke(area));
    }
    std::vector<std::vector<PointMm>> outlines;
    for (const QPolygonF& polygon : area.toSubpathPolygons()) {
        if (polygon.size() < 3) {
            continue;
        }
        std::vector<PointMm> points;
        points.reserve(static_cast<std::size_t>(polygon.size()) + 1);
        for (const QPointF& p : polygon) {
            points.push_back({p.x() / kMicrometres, p.y() / kMicrometres});
        }
        if (points.front() != points.back()) {
            points.push_back(points.front());
        }
        outlines.push_back(std::move(points));
    }
    if (outlines.empty()) {
        outlines.push_back({middle(parts)});
    }
    return outlines;
}

}  // namespace ostrel
