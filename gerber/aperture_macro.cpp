// Aperture macros: expressions, variables, and the primitives turned into aperture pieces.
#include "gerber/aperture_macro.h"

#include "gerber/aperture_shape.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <charconv>
#include <cmath>
#include <numbers>

namespace ostrel {

namespace {

constexpr double kPi = std::numbers::pi;
// Macro shapes cut by other shapes are worked in micrometres: the path operations flatten and
// compare in the path's own units.
constexpr double kMicrometres = 1000;
// Far more variables than any macro uses; a higher $n is read as 0 rather than grown into.
constexpr std::size_t kMostVariables = 1000;

class Expression {
public:
    Expression(std::string_view text, const std::vector<double>& variables)
        : text_(text), variables_(variables) {}

    double sum() {
        double value = product();
        while (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) {
            const char op = text_[at_++];
            const double right = product();
            value = op == '+' ? value + right : value - right;
        }
        return value;
    }

private:
    double product() {
        double value = unary();
        while (at_ < text_.size() &&
               (text_[at_] == 'x' || text_[at_] == 'X' || text_[at_] == '/')) {
            const char op = text_[at_++];
            const double right = unary();
            value = op == '/' ? (right == 0 ? 0 : value / right) : value * right;
        }
        return value;
    }

    double unary() {
        if (at_ < text_.size() && (text_[at_] == '-' || text_[at_] == '+')) {
            const bool minus = text_[at_++] == '-';
            const double value = unary();
            return minus ? -value : value;
        }
        return primary();
    }

    double primary() {
        if (at_ >= text_.size() || ++depth_ > 64) {
            return 0;
        }
        if (text_[at_] == '(') {
            ++at_;
            const double value = sum();
            if (at_ < text_.size() && text_[at_] == ')') {
                ++at_;
            }
            --depth_;
            return value;
        }
        --depth_;
        if (text_[at_] == '$') {
            ++at_;
            std::size_t n = 0;
            const auto [end, ec] =
                std::from_chars(text_.data() + at_, text_.data() + text_.size(), n);
            at_ = static_cast<std::size_t>(end - text_.data());
            return ec == std::errc() && n >= 1 && n <= variables_.size() ? variables_[n - 1] : 0;
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(text_.data() + at_, text_.data() + text_.size(),
                                               value, std::chars_format::fixed);
        if (ec == std::errc::invalid_argument) {
            at_ = text_.size();  // nothing more of it can be read
            return 0;
        }
        at_ = static_cast<std::size_t>(end - text_.data());
        return std::isfinite(value) ? value : 0;
    }

    std::string_view text_;
    const std::vector<double>& variables_;
    std::size_t at_ = 0;
    int depth_ = 0;
};

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return pieces;
        }
        start = end + 1;
    }
}

PointMm rotated(PointMm p, double degrees) {
    const double a = degrees * kPi / 180;
    return {p.x * std::cos(a) - p.y * std::sin(a), p.x * std::sin(a) + p.y * std::cos(a)};
}

// One primitive as polygons (or a circle), before exposure: what it covers.
struct Primitive {
    bool exposed = true;
    ShapePart part;  // solid
};

QPainterPath micrometre_path(const ShapePart& part) {
    QPainterPath path;
    add_parts(path, {part}, QTransform::fromScale(kMicrometres, kMicrometres),
              kShapeTolerance * kMicrometres);
    return path;
}

std::vector<std::vector<PointMm>> polygons_of(const QPainterPath& micrometres) {
    std::vector<std::vector<PointMm>> polygons;
    for (const QPolygonF& polygon : micrometres.toSubpathPolygons()) {
        std::vector<PointMm> points;
        for (const QPointF& p : polygon) {
            points.push_back({p.x() / kMicrometres, p.y() / kMicrometres});
        }
        if (points.size() > 1 && points.front() == points.back()) {
            points.pop_back();
        }
        polygons.push_back(std::move(points));
    }
    return polygons;
}

// Primitive 7: a ring cut by a cross of gaps, its centre and the cross turned about the origin.
void thermal(const std::vector<double>& m, double unit, std::vector<Primitive>& out) {
    const PointMm centre{m[0] * unit, m[1] * unit};
    const double outer = m[2] * unit / 2;
    const double inner = m[3] * unit / 2;
    const double gap = m[4] * unit;
    const double rotation = m[5];
    if (!(outer > 0) || !(inner >= 0) || inner >= outer || !(gap >= 0) || gap >= 2 * outer) {
        return;
    }
    QPainterPath ring;
    ring.setFillRule(Qt::OddEvenFill);
    ShapePart outer_circle;
    outer_circle.circle = true;
    outer_circle.radius = outer;
    ring.addPath(micrometre_path(outer_circle));
    if (inner > 0) {
        ShapePart inner_circle = outer_circle;
        inner_circle.radius = inner;
        ring.addPath(micrometre_path(inner_circle));
    }
    QPainterPath cross;
    const double long_side = 2 * outer + 1;
    cross.addRect(QRectF(-long_side / 2, -gap / 2, long_side, gap).adjusted(0, 0, 0, 0));
    cross.addRect(QRectF(-gap / 2, -long_side / 2, gap, long_side));
    cross = QTransform::fromScale(kMicrometres, kMicrometres).map(cross);
    const QPainterPath cut = ring.subtracted(cross);
    for (ShapePart& part : parts_of_polygons(polygons_of(cut))) {
        for (PointMm& p : part.polygon) {
            const PointMm r = rotated({p.x + centre.x, p.y + centre.y}, rotation);
            p = r;
        }
        out.push_back({true, std::move(part)});
    }
}

}  // namespace

double macro_expression(std::string_view text, const std::vector<double>& variables) {
    return Expression(text, variables).sum();
}

ApertureShape ApertureMacro::shape(const std::vector<double>& values, double unit,
                                   long long& unknown) const {
    std::vector<double> variables = values;
    std::vector<Primitive> primitives;
    std::vector<double> m;
    for (const std::string& statement : statements_) {
        if (statement.empty()) {
            continue;
        }
        if (statement.front() == '$') {
            const std::size_t equals = statement.find('=');
            std::size_t n = 0;
            std::from_chars(statement.data() + 1, statement.data() + statement.size(), n);
            if (equals != std::string::npos && n >= 1 && n <= kMostVariables) {
                const double value =
                    macro_expression(std::string_view(statement).substr(equals + 1), variables);
                if (variables.size() < n) {
                    variables.resize(n);
                }
                variables[n - 1] = value;
            }
            continue;
        }
        const std::vector<std::string_view> fields = split(statement, ',');
        const double code = macro_expression(fields[0], variables);
        if (code == 0) {
            continue;  // a comment
        }
        m.clear();
        for (std::size_t i = 1; i < fields.size(); ++i) {
            m.push_back(macro_expression(fields[i], variables));
        }
        const auto field = [&m](std::size_t i) { return i < m.size() ? m[i] : 0.0; };
        Primitive primitive;
        primitive.exposed = field(0) != 0;
        ShapePart& part = primitive.part;
        if (code == 1) {  // circle: exposure, diameter, centre, rotation
            part.circle = true;
            part.radius = field(1) * unit / 2;
            part.centre = rotated({field(2) * unit, field(3) * unit}, field(4));
            if (part.radius > 0) {
                primitives.push_back(std::move(primitive));
            }
        } else if (code == 4) {  // outline: exposure, n, n + 1 points, rotation
            const double n = field(1);
            if (n >= 1 && n < 100000 && m.size() >= 2 * static_cast<std::size_t>(n) + 5) {
                const std::size_t count = static_cast<std::size_t>(n);
                const double rotation = field(4 + 2 * count);
                for (std::size_t i = 0; i < count; ++i) {
                    part.polygon.push_back(
                        rotated({field(2 + 2 * i) * unit, field(3 + 2 * i) * unit}, rotation));
                }
                orient(part.polygon, true);
                primitives.push_back(std::move(primitive));
            }
        } else if (code == 5) {  // polygon: exposure, vertices, centre, diameter, rotation
            const int n = static_cast<int>(field(1));
            const double r = field(4) * unit / 2;
            if (n >= 3 && n <= 12 && r > 0) {
                for (int i = 0; i < n; ++i) {
                    const double a = 2 * kPi * i / n;
                    part.polygon.push_back(rotated(
                        {field(2) * unit + r * std::cos(a), field(3) * unit + r * std::sin(a)},
                        field(5)));
                }
                primitives.push_back(std::move(primitive));
            }
        } else if (code == 7) {  // thermal: centre, outer, inner, gap, rotation (no exposure)
            if (m.size() >= 6) {
                thermal(m, unit, primitives);
            }
        } else if (code == 20 || code == 2) {  // vector line: exposure, width, start, end, rotation
            const double w = field(1) * unit / 2;
            const PointMm a{field(2) * unit, field(3) * unit};
            const PointMm b{field(4) * unit, field(5) * unit};
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            if (w > 0) {
                const double nx = length > 0 ? -(b.y - a.y) / length * w : 0;
                const double ny = length > 0 ? (b.x - a.x) / length * w : w;
                for (PointMm p : {PointMm{a.x + nx, a.y + ny}, PointMm{a.x - nx, a.y - ny},
                                  PointMm{b.x - nx, b.y - ny}, PointMm{b.x + nx, b.y + ny}}) {
                    part.polygon.push_back(rotated(p, field(6)));
                }
                orient(part.polygon, true);
                primitives.push_back(std::move(primitive));
            }
        } else if (code == 21 || code == 22) {
            // centre line rectangle (by its centre) or lower-left one (by that corner)
            const double w = field(1) * unit;
            const double h = field(2) * unit;
            const PointMm at{field(3) * unit, field(4) * unit};
            const PointMm low = code == 21 ? PointMm{at.x - w / 2, at.y - h / 2} : at;
            if (w > 0 && h > 0) {
                for (PointMm p : {low, PointMm{low.x + w, low.y}, PointMm{low.x + w, low.y + h},
                                  PointMm{low.x, low.y + h}}) {
                    part.polygon.push_back(rotated(p, field(5)));
                }
                orient(part.polygon, true);
                primitives.push_back(std::move(primitive));
            }
        } else {
            ++unknown;
        }
    }

    ApertureShape shape;
    bool all_exposed = true;
    for (const Primitive& p : primitives) {
        all_exposed = all_exposed && p.exposed;
    }
    if (all_exposed) {
        for (Primitive& p : primitives) {
            shape.parts.push_back(std::move(p.part));
        }
    } else {
        // A primitive with its exposure off takes away what the ones before it made.
        QPainterPath area;
        for (const Primitive& p : primitives) {
            const QPainterPath piece = micrometre_path(p.part);
            area = p.exposed ? area.united(piece) : area.subtracted(piece);
        }
        shape.parts = parts_of_polygons(polygons_of(area));
    }
    finish_shape(shape);
    return shape;
}

}  // namespace ostrel
