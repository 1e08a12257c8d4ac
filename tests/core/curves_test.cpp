// Curves flattened within their tolerance: arcs, bulges, B-splines against their exact points.
#include "core/curves.h"

#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

namespace ostrel {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTolerance = 0.001;

// The largest distance from the exact point of any parameter to the flattened path.
double farthest_miss(const std::vector<PointMm>& path, const std::function<PointMm(double)>& exact,
                     double t0, double t1) {
    double worst = 0;
    for (int i = 0; i <= 2000; ++i) {
        const PointMm p = exact(t0 + (t1 - t0) * i / 2000);
        double nearest = INFINITY;
        for (std::size_t k = 1; k < path.size(); ++k) {
            const PointMm a = path[k - 1], b = path[k];
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double length2 = dx * dx + dy * dy;
            const double u =
                length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0)
                            : 0;
            nearest = std::min(nearest, std::hypot(a.x + u * dx - p.x, a.y + u * dy - p.y));
        }
        worst = std::max(worst, nearest);
    }
    return worst;
}

TEST(Curves, ArcsAndEllipsesStayWithinTheToleranceAndEndExactly) {
    struct Case {
        PointMm c, u, v;
        double start, sweep;
    };
    const Case cases[] = {
        {{0, 0}, {10, 0}, {0, 10}, 0, 2 * kPi},          // full circle
        {{5, -3}, {100, 0}, {0, 100}, kPi / 3, -kPi},    // clockwise half of a large one
        {{0, 0}, {2, 0}, {0, 1}, 0, kPi / 2},            // ellipse quadrant
        {{1, 1}, {3, 4}, {-2, 1.5}, 0.3, 4},             // sheared: an inserted, stretched arc
        {{0, 0}, {0.0004, 0}, {0, 0.0004}, 0, 2 * kPi},  // smaller than the tolerance
    };
    for (const Case& k : cases) {
        std::vector<PointMm> path;
        flatten_conic_arc(k.c, k.u, k.v, k.start, k.sweep, kTolerance, path);
        const auto exact = [&](double t) {
            return PointMm{k.c.x + std::cos(t) * k.u.x + std::sin(t) * k.v.x,
                           k.c.y + std::cos(t) * k.u.y + std::sin(t) * k.v.y};
        };
        ASSERT_GE(path.size(), 2u);
        EXPECT_LE(farthest_miss(path, exact, k.start, k.start + k.sweep), kTolerance * 1.0001);
        EXPECT_NEAR(path.front().x, exact(k.start).x, 1e-12);
        EXPECT_NEAR(path.back().y, exact(k.start + k.sweep).y, 1e-12);
    }
    // Not finer than needed: a 10 mm circle at 1 µm takes a few hundred chords, not thousands.
    std::vector<PointMm> circle;
    flatten_conic_arc({0, 0}, {10, 0}, {0, 10}, 0, 2 * kPi, kTolerance, circle);
    EXPECT_LT(circle.size(), 300u);
}

TEST(Curves, BulgesGiveTheirArcs) {
    struct Case {
        PointMm from, to;
        double bulge;
        PointMm centre;
        double radius, start, sweep;
    };
    const double quarter = std::tan(kPi / 8);  // a bulge of 90°
    const Case cases[] = {
        {{0, 0}, {2, 0}, 1, {1, 0}, 1, kPi, kPi},    // semicircle, counter-clockwise below
        {{0, 0}, {2, 0}, -1, {1, 0}, 1, kPi, -kPi},  // the same clockwise, above
        {{1, 0}, {0, 1}, quarter, {0, 0}, 1, 0, kPi / 2},
        {{1, 0}, {0, -1}, -quarter, {0, 0}, 1, 0, -kPi / 2},
    };
    for (const Case& k : cases) {
        const BulgeArc arc = bulge_arc(k.from, k.to, k.bulge);
        EXPECT_NEAR(arc.centre.x, k.centre.x, 1e-12);
        EXPECT_NEAR(arc.centre.y, k.centre.y, 1e-12);
        EXPECT_NEAR(arc.radius, k.radius, 1e-12);
        EXPECT_NEAR(std::remainder(arc.start - k.start, 2 * kPi), 0, 1e-12);
        EXPECT_NEAR(arc.sweep, k.sweep, 1e-12);
    }
}

TEST(Curves, AClampedCubicSplineIsItsBezierCurve) {
    const Nurbs curve{3, {{0, 0}, {1, 2}, {3, 2}, {4, 0}}, {}, {0, 0, 0, 0, 1, 1, 1, 1}};
    ASSERT_TRUE(curve.valid());
    const auto bezier = [](double t) {
        const double s = 1 - t;
        return PointMm{3 * s * s * t * 1 + 3 * s * t * t * 3 + t * t * t * 4,
                       3 * s * s * t * 2 + 3 * s * t * t * 2};
    };
    for (double t : {0.0, 0.25, 0.5, 0.8, 1.0}) {
        EXPECT_NEAR(curve.at(t).x, bezier(t).x, 1e-12);
        EXPECT_NEAR(curve.at(t).y, bezier(t).y, 1e-12);
    }
    std::vector<PointMm> path;
    flatten_nurbs(curve, kTolerance, path);
    EXPECT_EQ(path.front(), (PointMm{0, 0}));
    EXPECT_EQ(path.back(), (PointMm{4, 0}));
    EXPECT_LE(farthest_miss(path, bezier, 0, 1), kTolerance);
}

TEST(Curves, WeightsMakeARationalSplineACircle) {
    // A quadratic quarter circle, and the same as a knot vector of two spans with a knot inside.
    const double w = std::sqrt(0.5);
    const Nurbs quarter{2, {{1, 0}, {1, 1}, {0, 1}}, {1, w, 1}, {0, 0, 0, 1, 1, 1}};
    const Nurbs half{
        2, {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}}, {1, w, 1, w, 1}, {0, 0, 0, 1, 1, 2, 2, 2}};
    for (const Nurbs& curve : {quarter, half}) {
        std::vector<PointMm> path;
        flatten_nurbs(curve, kTolerance, path);
        for (const PointMm& p : path) {
            EXPECT_NEAR(std::hypot(p.x, p.y), 1, 1e-12);
        }
        EXPECT_EQ(path.back(), curve.control.back());
    }
    // Knots out of order, too few, or a weight of zero make no curve.
    EXPECT_FALSE((Nurbs{2, quarter.control, {1, 0, 1}, quarter.knots}.valid()));
    EXPECT_FALSE((Nurbs{2, quarter.control, {}, {0, 0, 1, 0, 1, 1}}.valid()));
    EXPECT_FALSE((Nurbs{2, quarter.control, {}, {0, 0, 0, 1, 1}}.valid()));
}

TEST(Curves, AnInterpolatingCubicGoesThroughItsPointsWithTheGivenTangents) {
    const std::vector<PointMm> points = {{0, 0}, {1, 1}, {2, 0}, {3, -1}, {5, 0}};
    const PointMm start{0, 2}, end{1, 0};
    for (const bool tangents : {false, true}) {
        const Nurbs curve =
            interpolating_cubic(points, tangents ? &start : nullptr, tangents ? &end : nullptr);
        ASSERT_TRUE(curve.valid());
        // The knots are the chord lengths, so each point is met at its own knot.
        for (std::size_t i = 0; i < points.size(); ++i) {
            const PointMm p = curve.at(curve.knots[i + 3]);
            EXPECT_NEAR(p.x, points[i].x, 1e-9);
            EXPECT_NEAR(p.y, points[i].y, 1e-9);
        }
        if (tangents) {
            // The second control point lies along the start tangent, the one before last along
            // the end tangent.
            EXPECT_NEAR(curve.control[1].x, 0, 1e-12);
            EXPECT_GT(curve.control[1].y, 0);
            EXPECT_NEAR(curve.control[curve.control.size() - 2].y, 0, 1e-12);
        }
    }
    EXPECT_FALSE(
        interpolating_cubic(std::vector<PointMm>{{1, 1}, {1, 1}}, nullptr, nullptr).valid());
}

}  // namespace
}  // namespace ostrel
