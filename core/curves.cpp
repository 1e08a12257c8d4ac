// Flattening: conic arcs by a rotation stepped along the sweep, splines by halving each knot span
// until the chords hold to the curve.
#include "core/curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ostrel {

namespace {

// The largest stretch of the linear map with columns u and v: the ellipse's major semi-axis.
double largest_stretch(PointMm u, PointMm v) {
    const double a = u.x * u.x + u.y * u.y;
    const double b = u.x * v.x + u.y * v.y;
    const double d = v.x * v.x + v.y * v.y;
    const double half_trace = (a + d) / 2;
    const double spread = std::sqrt(((a - d) / 2) * ((a - d) / 2) + b * b);
    return std::sqrt(half_trace + spread);
}

// Pieces of an arc of sweep radians on a circle of radius whose chords stray at most tolerance.
int arc_pieces(double radius, double sweep, double tolerance) {
    if (!(radius > tolerance) || !(tolerance > 0)) {
        return std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / (std::numbers::pi / 2))), 1,
                          4);
    }
    const double step = 2 * std::acos(1 - tolerance / radius);
    const double pieces = std::ceil(std::fabs(sweep) / step);
    return static_cast<int>(std::clamp(pieces, 1.0, static_cast<double>(kMostCurvePieces)));
}

double distance_to_chord(PointMm p, PointMm a, PointMm b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) {
        return std::hypot(p.x - a.x, p.y - a.y);
    }
    return std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / length;
}

// Halves [t0, t1] until its chord holds to the curve at the quarter points too, which a curve
// crossing its chord in the middle would otherwise slip past.
class AdaptiveFlattening {
public:
    AdaptiveFlattening(const std::function<PointMm(double)>& curve, double tolerance,
                       std::vector<PointMm>& out)
        : curve_(curve), tolerance_(tolerance), out_(out) {}

    void run(double t0, PointMm p0, double t1, PointMm p1, int depth) {
        const double tm = (t0 + t1) / 2;
        const PointMm pm = curve_(tm);
        const bool fine = depth >= kDeepest || pieces_ >= kMostCurvePieces ||
                          (distance_to_chord(pm, p0, p1) <= tolerance_ &&
                           distance_to_chord(curve_((t0 + tm) / 2), p0, p1) <= tolerance_ &&
                           distance_to_chord(curve_((tm + t1) / 2), p0, p1) <= tolerance_);
        if (fine) {
            out_.push_back(p1);
            ++pieces_;
            return;
        }
        run(t0, p0, tm, pm, depth + 1);
        run(tm, pm, t1, p1, depth + 1);
    }

private:
    static constexpr int kDeepest = 24;
    const std::function<PointMm(double)>& curve_;
    double tolerance_;
    std::vector<PointMm>& out_;
    int pieces_ = 0;
};

}  // namespace

void flatten_conic_arc(PointMm c, PointMm u, PointMm v, double start, double sweep,
                       double tolerance, std::vector<PointMm>& out) {
    const auto at = [&](double cos_t, double sin_t) {
        return PointMm{c.x + cos_t * u.x + sin_t * v.x, c.y + cos_t * u.y + sin_t * v.y};
    };
    const int pieces = arc_pieces(largest_stretch(u, v), sweep, tolerance);
    const double step = sweep / pieces;
    // The rotation by one step, applied again and again; the last point is computed afresh.
    const double cos_step = std::cos(step);
    const double sin_step = std::sin(step);
    double cos_t = std::cos(start);
    double sin_t = std::sin(start);
    out.reserve(out.size() + static_cast<std::size_t>(pieces) + 1);
    out.push_back(at(cos_t, sin_t));
    for (int i = 1; i < pieces; ++i) {
        const double next_cos = cos_t * cos_step - sin_t * sin_step;
        sin_t = sin_t * cos_step + cos_t * sin_step;
        cos_t = next_cos;
        out.push_back(at(cos_t, sin_t));
    }
    out.push_back(at(std::cos(start + sweep), std::sin(start + sweep)));
}

BulgeArc bulge_arc(PointMm from, PointMm to, double bulge) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double chord = std::hypot(dx, dy);
    BulgeArc arc;
    arc.sweep = 4 * std::atan(bulge);
    // The centre lies on the chord's left normal (right for a negative bulge), as far from the
    // chord's middle as half the chord over the tangent of half the sweep.
    const double along = (1 - bulge * bulge) / (4 * bulge);
    arc.centre = {(from.x + to.x) / 2 - dy * along, (from.y + to.y) / 2 + dx * along};
    arc.radius = chord * (1 + bulge * bulge) / (4 * std::fabs(bulge));
    arc.start = std::atan2(from.y - arc.centre.y, from.x - arc.centre.x);
    return arc;
}

bool Nurbs::valid() const {
    const std::size_t n = control.size();
    if (degree < 1 || degree > 31 || n < static_cast<std::size_t>(degree) + 1 ||
        knots.size() != n + static_cast<std::size_t>(degree) + 1 ||
        (!weights.empty() && weights.size() != n)) {
        return false;
    }
    for (std::size_t i = 0; i < knots.size(); ++i) {
        if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1])) {
            return false;
        }
    }
    const auto d = static_cast<std::size_t>(degree);
    if (!(knots[n] > knots[d])) {
        return false;
    }
    for (double w : weights) {
        if (!(w > 0) || !std::isfinite(w)) {
            return false;
        }
    }
    return std::all_of(control.begin(), control.end(),
                       [](PointMm p) { return std::isfinite(p.x) && std::isfinite(p.y); });
}

PointMm Nurbs::at(double t) const {
    const auto p = static_cast<std::size_t>(degree);
    const std::size_t n = control.size();
    t = std::clamp(t, knots[p], knots[n]);
    // The span holding t: knots[k] <= t < knots[k + 1], the last span closed at its end.
    std::size_t k = static_cast<std::size_t>(
                        std::upper_bound(knots.begin() + static_cast<std::ptrdiff_t>(p),
                                         knots.begin() + static_cast<std::ptrdiff_t>(n), t) -
                        knots.begin()) -
                    1;
    k = std::min(k, n - 1);
    // De Boor's scheme in homogeneous coordinates.
    double x[32], y[32], w[32];
    const std::size_t used = std::min<std::size_t>(p, 31);
    for (std::size_t j = 0; j <= used; ++j) {
        const std::size_t i = k - p + j;
        const double weight = weights.empty() ? 1.0 : weights[i];
        x[j] = control[i].x * weight;
        y[j] = control[i].y * weight;
        w[j] = weight;
    }
    for (std::size_t r = 1; r <= used; ++r) {
        for (std::size_t j = used; j >= r; --j) {
            const std::size_t i = k - p + j;
            const double span = knots[i + p - r + 1] - knots[i];
            const double a = span > 0 ? (t - knots[i]) / span : 0;
            x[j] = (1 - a) * x[j - 1] + a * x[j];
            y[j] = (1 - a) * y[j - 1] + a * y[j];
            w[j] = (1 - a) * w[j - 1] + a * w[j];
        }
    }
    return {x[used] / w[used], y[used] / w[used]};
}

void flatten_nurbs(const Nurbs& curve, double tolerance, std::vector<PointMm>& out) {
    const auto p = static_cast<std::size_t>(curve.degree);
    const std::size_t n = curve.control.size();
    const std::function<PointMm(double)> point = [&](double t) { return curve.at(t); };
    AdaptiveFlattening flattening(point, tolerance, out);
    PointMm last = point(curve.knots[p]);
    out.push_back(last);
    // Each knot span is a polynomial piece; a few starting pieces keep an S from hiding.
    for (std::size_t k = p; k < n; ++k) {
        const double t0 = curve.knots[k];
        const double t1 = curve.knots[k + 1];
        if (!(t1 > t0)) {
            continue;
        }
        constexpr int kStartPieces = 4;
        for (int i = 1; i <= kStartPieces; ++i) {
            const double a = t0 + (t1 - t0) * (i - 1) / kStartPieces;
            const double b = i == kStartPieces ? t1 : t0 + (t1 - t0) * i / kStartPieces;
            const PointMm pb = point(b);
            flattening.run(a, last, b, pb, 0);
            last = pb;
        }
    }
}

Nurbs interpolating_cubic(std::span<const PointMm> points, const PointMm* start_tangent,
                          const PointMm* end_tangent) {
    // Parameters by chord length; repeated points say nothing and are passed over.
    std::vector<PointMm> q;
    for (const PointMm& p : points) {
        if (q.empty() || p.x != q.back().x || p.y != q.back().y) {
            q.push_back(p);
        }
    }
    if (q.size() < 2) {
        return {};
    }
    const std::size_t n = q.size() - 1;
    std::vector<double> t(n + 1, 0);
    for (std::size_t i = 1; i <= n; ++i) {
        t[i] = t[i - 1] + std::hypot(q[i].x - q[i - 1].x, q[i].y - q[i - 1].y);
    }
    // End derivatives: the given unit tangents (the parameter runs at unit speed), else those of
    // the parabola through the three points at each end.
    const auto estimate = [&](std::size_t a, std::size_t b, std::size_t c) {
        const double h0 = t[b] - t[a];
        const double h1 = t[c] - t[b];
        const PointMm d0{(q[b].x - q[a].x) / h0, (q[b].y - q[a].y) / h0};
        const PointMm d1{(q[c].x - q[b].x) / h1, (q[c].y - q[b].y) / h1};
        return std::pair{d0, d1};
    };
    PointMm d_start, d_end;
    if (n == 1) {
        d_start = d_end = {(q[1].x - q[0].x) / t[1], (q[1].y - q[0].y) / t[1]};
    } else {
        const auto [a0, a1] = estimate(0, 1, 2);
        const double h0 = t[1] - t[0], h1 = t[2] - t[1];
        d_start = {a0.x + (a0.x - a1.x) * h0 / (h0 + h1), a0.y + (a0.y - a1.y) * h0 / (h0 + h1)};
        const auto [b0, b1] = estimate(n - 2, n - 1, n);
        const double g0 = t[n - 1] - t[n - 2], g1 = t[n] - t[n - 1];
        d_end = {b1.x + (b1.x - b0.x) * g1 / (g0 + g1), b1.y + (b1.y - b0.y) * g1 / (g0 + g1)};
    }
    const auto unit = [](const PointMm* given, PointMm fallback) {
        if (given != nullptr) {
            const double length = std::hypot(given->x, given->y);
            if (length > 0 && std::isfinite(length)) {
                return PointMm{given->x / length, given->y / length};
            }
        }
        return fallback;
    };
    d_start = unit(start_tangent, d_start);
    d_end = unit(end_tangent, d_end);

    Nurbs curve;
    curve.degree = 3;
    curve.knots.assign(4, t[0]);
    for (std::size_t i = 1; i < n; ++i) {
        curve.knots.push_back(t[i]);
    }
    curve.knots.insert(curve.knots.end(), 4, t[n]);
    curve.control.assign(n + 3, PointMm{});
    curve.control[0] = q[0];
    curve.control[1] = {q[0].x + d_start.x * (t[1] - t[0]) / 3,
                        q[0].y + d_start.y * (t[1] - t[0]) / 3};
    curve.control[n + 2] = q[n];
    curve.control[n + 1] = {q[n].x - d_end.x * (t[n] - t[n - 1]) / 3,
                            q[n].y - d_end.y * (t[n] - t[n - 1]) / 3};
    if (n == 1) {
        return curve;
    }
    // Through q[i] at t[i] for 0 < i < n: three basis functions are non-zero at each inner knot,
    // so the inner control points solve a tridiagonal system.
    const auto basis = [&](std::size_t i, double u) {
        // Cubic basis function i at u by the Cox-de Boor recursion.
        double values[4];
        for (std::size_t j = 0; j < 4; ++j) {
            values[j] = curve.knots[i + j] <= u && u < curve.knots[i + j + 1] ? 1.0 : 0.0;
        }
        for (std::size_t r = 1; r <= 3; ++r) {
            for (std::size_t j = 0; j + r < 4; ++j) {
                const double left_span = curve.knots[i + j + r] - curve.knots[i + j];
                const double right_span = curve.knots[i + j + r + 1] - curve.knots[i + j + 1];
                const double left =
                    left_span > 0 ? (u - curve.knots[i + j]) / left_span * values[j] : 0;
                const double right =
                    right_span > 0 ? (curve.knots[i + j + r + 1] - u) / right_span * values[j + 1]
                                   : 0;
                values[j] = left + right;
            }
        }
        return values[0];
    };
    // Unknowns control[2 .. n]; row i (1..n-1): a P[i] + b P[i+1] + c P[i+2] = q[i].
    const std::size_t m = n - 1;
    std::vector<double> lower(m), diagonal(m), upper(m);
    std::vector<PointMm> rhs(m);
    for (std::size_t row = 0; row < m; ++row) {
        const std::size_t i = row + 1;
        const double a = basis(i, t[i]);
        const double b = basis(i + 1, t[i]);
        const double c = basis(i + 2, t[i]);
        lower[row] = a;
        diagonal[row] = b;
        upper[row] = c;
        rhs[row] = q[i];
        if (row == 0) {
            rhs[row] = {rhs[row].x - a * curve.control[1].x, rhs[row].y - a * curve.control[1].y};
        }
        if (row == m - 1) {
            rhs[row] = {rhs[row].x - c * curve.control[n + 1].x,
                        rhs[row].y - c * curve.control[n + 1].y};
        }
    }
    for (std::size_t row = 1; row < m; ++row) {
        const double f = lower[row] / diagonal[row - 1];
        diagonal[row] -= f * upper[row - 1];
        rhs[row] = {rhs[row].x - f * rhs[row - 1].x, rhs[row].y - f * rhs[row - 1].y};
    }
    for (std::size_t row = m; row-- > 0;) {
        PointMm value = rhs[row];
        if (row + 1 < m) {
            value = {value.x - upper[row] * curve.control[row + 3].x,
                     value.y - upper[row] * curve.control[row + 3].y};
        }
        curve.control[row + 2] = {value.x / diagonal[row], value.y / diagonal[row]};
    }
    return curve;
}

}  // namespace ostrel
