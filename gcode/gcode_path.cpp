// GcodePath: arcs flattened by the curve flattener, then bent into a spiral and a helix.
#include "gcode/gcode_path.h"

#include "core/curves.h"

#include <cmath>
#include <numbers>

namespace ostrel {

void arc_chords(Point3 from, const GcodeMove& move, double tolerance, std::vector<PointMm>& xy,
                std::vector<double>& z) {
    constexpr double kTurn = 2 * std::numbers::pi;
    const PointMm c = move.centre;
    const double r0 = std::hypot(from.x - c.x, from.y - c.y);
    const double r1 = std::hypot(move.to.x - c.x, move.to.y - c.y);
    const double a0 = std::atan2(from.y - c.y, from.x - c.x);
    const double a1 = std::atan2(move.to.y - c.y, move.to.x - c.x);
    double sweep = a1 - a0;
    const bool ccw = move.turns > 0;
    // Up to one turn in the arc's sense; an end where it started is the full turn.
    if (ccw) {
        while (sweep <= 1e-12) {
            sweep += kTurn;
        }
    } else {
        while (sweep >= -1e-12) {
            sweep -= kTurn;
        }
    }
    if (std::fabs(std::fabs(sweep) - kTurn) < 1e-9 * kTurn) {
        sweep = ccw ? kTurn : -kTurn;
    }
    sweep += (ccw ? 1 : -1) * (std::abs(move.turns) - 1) * kTurn;
    xy.clear();
    z.clear();
    const double r = std::max(r0, r1);
    flatten_conic_arc(c, {r0, 0}, {0, r0}, a0, sweep, std::max(tolerance, r * 1e-12), xy);
    // The flattener keeps to a circle of the start's radius; the pieces are bent to reach the
    // end's, and Z goes evenly with the angle.
    const std::size_t n = xy.size();
    for (std::size_t i = 1; i < n; ++i) {
        const double f = static_cast<double>(i) / static_cast<double>(n - 1);
        if (r0 > 0 && r1 != r0) {
            const double k = (r0 + f * (r1 - r0)) / r0;
            xy[i] = {c.x + (xy[i].x - c.x) * k, c.y + (xy[i].y - c.y) * k};
        }
        z.push_back(from.z + f * (move.to.z - from.z));
    }
    xy.erase(xy.begin());
    if (!xy.empty()) {
        xy.back() = {move.to.x, move.to.y};
        z.back() = move.to.z;
    }
}

Point3 GcodePath::placed(Point3 file) const {
    const PointMm p = map_(PointMm{file.x, file.y});
    return {p.x, p.y, file.z};
}

void GcodePath::take(const GcodeMove& move) {
    switch (move.kind) {
        case GcodeMove::Kind::Rapid:
        case GcodeMove::Kind::Feed:
            piece(placed(move.to), move);
            at_ = move.to;
            break;
        case GcodeMove::Kind::Arc:
            arc(move);
            at_ = move.to;
            break;
        default:
            event(move);
            break;
    }
}

void GcodePath::arc(const GcodeMove& move) {
    arc_chords(at_, move, tolerance_, chords_, heights_);
    for (std::size_t i = 0; i < chords_.size(); ++i) {
        piece(placed({chords_[i].x, chords_[i].y, heights_[i]}), move);
    }
}

}  // namespace ostrel
