// The board's boxes and the arcs made into points.
#include "gerber/board.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ostrel {

namespace {

void include_disc(BoxMm& box, PointMm centre, double radius) {
    box.include({centre.x - radius, centre.y - radius});
    box.include({centre.x + radius, centre.y + radius});
}

void include_shape(BoxMm& box, const ApertureShape& shape, PointMm at) {
    if (!shape.box.empty) {
        box.include({at.x + shape.box.min_x, at.y + shape.box.min_y});
        box.include({at.x + shape.box.max_x, at.y + shape.box.max_y});
    }
}

}  // namespace

BoardLevel& level_in(std::vector<BoardLevel>& levels, bool clear) {
    if (levels.empty() || levels.back().clear != clear) {
        levels.emplace_back();
        levels.back().clear = clear;
    }
    return levels.back();
}

int circle_sides(double radius, double tolerance) {
    if (!(radius > tolerance) || !(tolerance > 0)) {
        return 8;
    }
    const double step = 2 * std::acos(1 - tolerance / radius);
    const double sides = std::ceil(2 * std::numbers::pi / step);
    return static_cast<int>(std::clamp(sides, 8.0, 4096.0));
}

double straddling_radius(double radius, int sides) {
    return 2 * radius / (1 + std::cos(std::numbers::pi / sides));
}

std::vector<PointMm> arc_points(PointMm from, PointMm to, PointMm centre, double sweep,
                                double tolerance) {
    const double r0 = std::hypot(from.x - centre.x, from.y - centre.y);
    const double r1 = std::hypot(to.x - centre.x, to.y - centre.y);
    const double a0 = std::atan2(from.y - centre.y, from.x - centre.x);
    const int full_sides = circle_sides(std::max(r0, r1), tolerance);
    const int steps = std::max(
        1, static_cast<int>(std::ceil(std::fabs(sweep) / (2 * std::numbers::pi) * full_sides)));
    std::vector<PointMm> points;
    points.reserve(static_cast<std::size_t>(steps) + 1);
    points.push_back(from);
    for (int k = 1; k < steps; ++k) {
        const double t = static_cast<double>(k) / steps;
        const double a = a0 + sweep * t;
        const double r = r0 + (r1 - r0) * t;
        points.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
    }
    points.push_back(to);
    return points;
}

BoxMm Board::box_of(const Track& track) const {
    BoxMm box;
    include_shape(box, apertures[track.aperture], track.from);
    include_shape(box, apertures[track.aperture], track.to);
    return box;
}

BoxMm Board::box_of(const ArcTrack& arc) const {
    // The whole circle's box: never smaller than the arc's, and cheap.
    BoxMm box;
    const ApertureShape& shape = apertures[arc.aperture];
    const double r = std::max(std::hypot(arc.from.x - arc.centre.x, arc.from.y - arc.centre.y),
                              std::hypot(arc.to.x - arc.centre.x, arc.to.y - arc.centre.y));
    if (std::fabs(arc.sweep) >= std::numbers::pi * 2 - 1e-9 || r == 0) {
        include_disc(box, arc.centre, r + shape.width / 2);
        return box;
    }
    for (const PointMm p : arc_points(arc.from, arc.to, arc.centre, arc.sweep, r / 1000)) {
        include_disc(box, p, shape.width / 2);
    }
    return box;
}

BoxMm Board::box_of(const Pad& pad) const {
    BoxMm box;
    include_shape(box, apertures[pad.aperture], pad.at);
    return box;
}

bool Board::arc_inside(const ArcTrack& arc, const BoxMm& box) const {
    if (box.empty) {
        return false;
    }
    // Every point box_of takes lies within the pen's reach of the larger radius, give or take
    // the rounding of its arithmetic: far below a nanometre on any board.
    const double r = std::max(std::hypot(arc.from.x - arc.centre.x, arc.from.y - arc.centre.y),
                              std::hypot(arc.to.x - arc.centre.x, arc.to.y - arc.centre.y));
    const double reach = r + apertures[arc.aperture].width / 2;
    const double slack =
        1e-9 * (std::fabs(arc.centre.x) + std::fabs(arc.centre.y) + std::fabs(reach)) + 1e-12;
    const double out = reach + slack;
    // Not a number fails every test: such an arc is never passed over.
    return arc.centre.x - out > box.min_x && arc.centre.x + out < box.max_x &&
           arc.centre.y - out > box.min_y && arc.centre.y + out < box.max_y;
}

BoxMm Board::extents() const {
    BoxMm box;
    for (const BoardLevel& level : levels) {
        if (level.clear) {
            continue;  // clear objects only take copper away
        }
        for (const Track& t : level.tracks) {
            box.include_box(box_of(t));
        }
        for (const ArcTrack& a : level.arcs) {
            if (!arc_inside(a, box)) {
                box.include_box(box_of(a));
            }
        }
        for (const Pad& p : level.pads) {
            box.include_box(box_of(p));
        }
        for (const Region& r : level.regions) {
            for (const PointMm p : r.contour) {
                box.include(p);
            }
        }
    }
    for (const Hole& h : holes) {
        include_disc(box, h.at, h.diameter / 2);
    }
    for (const Slot& s : slots) {
        include_disc(box, s.from, s.diameter / 2);
        include_disc(box, s.to, s.diameter / 2);
    }
    return box;
}

long long Board::copper_objects() const {
    long long n = 0;
    for (const BoardLevel& level : levels) {
        n += static_cast<long long>(level.tracks.size() + level.arcs.size() + level.pads.size() +
                                    level.regions.size());
    }
    return n;
}

}  // namespace ostrel
