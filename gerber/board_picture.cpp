// Painting the board: each level's objects gathered into filled paths a batch at a time.
#include "gerber/board_picture.h"

#include "gerber/aperture_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace ostrel {

namespace {

constexpr double kPi = std::numbers::pi;
// How far (pixels) a curve made into lines may stray from the curve.
constexpr double kPixelTolerance = 0.1;
// Objects gathered into one path before it is filled: the painter's cost per call is then
// spread thin, and the path's memory stays small however large the board. Not more: the
// painter sorts each row's edge crossings into a tree that grows with the path, and on a 10 MB
// board 64 objects a path painted a tenth faster than 2048 (fewer lost again to the cost per
// call). Each pixel is painted by whether its centre is covered, so the batch changes no pixel.
constexpr int kBatch = 64;

// Gathers the areas of one colour and fills them a batch at a time. Solid areas run one way
// round in pixels (the transform may turn them all) and holes the other, so the nonzero rule
// makes the union of the solids less each object's own holes.
class AreaBatch {
public:
    AreaBatch(Picture& picture, QColor colour) : picture_(picture), colour_(colour) {
        path_.setFillRule(Qt::WindingFill);
    }
    ~AreaBatch() { flush(); }
    AreaBatch(const AreaBatch&) = delete;
    AreaBatch& operator=(const AreaBatch&) = delete;

    QPainterPath& path() { return path_; }
    void add_polygon(const QPolygonF& polygon) {
        path_.addPolygon(polygon);
        path_.closeSubpath();
    }
    // Most objects are convex (a pen's stroke, a disc, a swept rectangle): the picture fills
    // those row by row. to_pixel maps each of the points onto the picture.
    template <typename Points, typename ToPixel>
    void add_convex_polygon(const Points& points, ToPixel to_pixel) {
        for (const auto& p : points) {
            convex_points_.push_back(to_pixel(p));
        }
        convex_sizes_.push_back(static_cast<int>(points.size()));
    }
    void done_one() {
        if (++count_ >= kBatch) {
            flush();
        }
    }
    void flush() {
        if (!convex_sizes_.empty()) {
            picture_.fill_convex_polygons(convex_points_, convex_sizes_, colour_);
            convex_points_.clear();
            convex_sizes_.clear();
        }
        if (!path_.isEmpty()) {
            picture_.fill_path(path_, colour_);
            // A new path rather than clear(): the picture may keep the filled one a while, and
            // clearing a shared path copies it first.
            path_ = QPainterPath();
            path_.setFillRule(Qt::WindingFill);
        }
        count_ = 0;
    }

private:
    Picture& picture_;
    QColor colour_;
    QPainterPath path_;
    std::vector<QPointF> convex_points_;
    std::vector<int> convex_sizes_;
    int count_ = 0;
};

class BoardPainter {
public:
    BoardPainter(const Board& board, const BoardView& view)
        : board_(board), view_(view), transform_(view.transform()) {}

    void paint_level(const BoardLevel& level, AreaBatch& batch) {
        for (const Track& t : level.tracks) {
            track(board_.apertures[t.aperture], t.from, t.to, batch);
            batch.done_one();
        }
        for (const ArcTrack& a : level.arcs) {
            arc(board_.apertures[a.aperture], a, batch);
            batch.done_one();
        }
        for (const Pad& p : level.pads) {
            const QPointF at = to_pixel(p.at);
            if (const std::vector<QPolygonF>& pieces = convex_pieces(p.aperture); !pieces.empty()) {
                for (const QPolygonF& piece : pieces) {
                    batch.add_convex_polygon(piece, [at](QPointF p) { return p + at; });
                }
            } else {
                batch.path().addPath(aperture_path(p.aperture).translated(at));
            }
            batch.done_one();
        }
        for (const Region& r : level.regions) {
            add_board_polygon(r.contour, batch);
            batch.done_one();
        }
    }

    void paint_holes(AreaBatch& batch) {
        for (const Hole& h : board_.holes) {
            disc(h.at, h.diameter / 2, batch);
            batch.done_one();
        }
        for (const Slot& s : board_.slots) {
            capsule(s.from, s.to, s.diameter / 2, batch);
            batch.done_one();
        }
    }

private:
    // A polygon from board points, closed, run counterclockwise on the board.
    enum class Shape { Convex, Any };
    void add_board_polygon(const std::vector<PointMm>& points, AreaBatch& batch,
                           Shape shape = Shape::Any) {
        if (shape == Shape::Convex) {
            batch.add_convex_polygon(points, [this](PointMm p) { return to_pixel(p); });
            return;
        }
        polygon_.clear();
        for (const PointMm p : points) {
            polygon_.append(to_pixel(p));
        }
        if (!polygon_.isEmpty()) {
            polygon_.append(polygon_.front());
        }
        batch.add_polygon(polygon_);
    }

    // A board point on the picture: what the view's transform gives, which only scales and
    // shifts, without its general case a point.
    QPointF to_pixel(PointMm p) const {
        return {transform_.m11() * p.x + transform_.dx(), transform_.m22() * p.y + transform_.dy()};
    }

    int sides(double radius_mm) const {
        return circle_sides(radius_mm * view_.scale, kPixelTolerance);
    }

    // The cosines and sines of the first count angles that cut sweep into parts equal parts: a
    // pen's ends are those of a half circle turned to the stroke's direction, a disc's those of a
    // whole one, with no trigonometry a shape.
    static std::vector<PointMm> turns(double sweep, int parts, int count) {
        std::vector<PointMm> table(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const double angle = sweep * i / parts;
            table[static_cast<std::size_t>(i)] = {std::cos(angle), std::sin(angle)};
        }
        return table;
    }

    // A pen's half circle sides, its corner radius and turns: most tracks in a row share one pen.
    struct PenSides {
        double radius = -1;
        int half = 0;
        double corner = 0;
        std::vector<PointMm> turns;
    };
    const PenSides& pen_sides(double r) {
        if (r != pen_.radius) {
            pen_.radius = r;
            pen_.half = std::max(2, sides(r) / 2);
            pen_.corner = straddling_radius(r, 2 * pen_.half);
            pen_.turns = turns(kPi, pen_.half, pen_.half + 1);
        }
        return pen_;
    }

    void disc(PointMm c, double r, AreaBatch& batch) {
        if (!(r > 0)) {
            return;
        }
        const int n = sides(r);
        if (n != disc_sides_) {
            disc_sides_ = n;
            disc_turns_ = turns(2 * kPi, n, n);
        }
        const double rv = straddling_radius(r, n);
        std::vector<PointMm>& points = points_;
        points.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const PointMm turn = disc_turns_[static_cast<std::size_t>(i)];
            points[static_cast<std::size_t>(i)] = {c.x + rv * turn.x, c.y + rv * turn.y};
        }
        add_board_polygon(points, batch, Shape::Convex);
    }

    // A straight stroke of a round pen: both half circles and the sides between, one polygon.
    void capsule(PointMm a, PointMm b, double r, AreaBatch& batch) {
        // Not hypot, whose care for lengths past 1e150 (no board has them) costs more.
        const double length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
        if (!(r > 0)) {
            return;
        }
        if (length == 0) {
            disc(a, r, batch);
            return;
        }
        const PenSides& pen = pen_sides(r);
        // The first point of the far end's half circle lies a quarter turn clockwise of the
        // stroke's direction; the near end's half circle starts opposite it.
        const double along_x = (b.x - a.x) / length;
        const double along_y = (b.y - a.y) / length;
        std::vector<PointMm>& points = points_;
        points.clear();
        for (int end = 0; end < 2; ++end) {
            const PointMm c = end == 0 ? b : a;
            const double sense = end == 0 ? 1 : -1;
            const double start_cos = sense * along_y;
            const double start_sin = -sense * along_x;
            for (int i = 0; i <= pen.half; ++i) {
                const PointMm turn = pen.turns[static_cast<std::size_t>(i)];
                const double rr = i == 0 || i == pen.half ? r : pen.corner;  // sides meet ends
                points.push_back({c.x + rr * (start_cos * turn.x - start_sin * turn.y),
                                  c.y + rr * (start_sin * turn.x + start_cos * turn.y)});
            }
        }
        add_board_polygon(points, batch, Shape::Convex);
    }

    // A rectangle swept along a line: the hull of its corners at both ends.
    void swept_rectangle(const ApertureShape& shape, PointMm a, PointMm b, AreaBatch& batch) {
        const double w = shape.width / 2;
        const double h = shape.height / 2;
        std::vector<PointMm> corners;
        for (const PointMm c : {a, b}) {
            corners.push_back({c.x - w, c.y - h});
            corners.push_back({c.x + w, c.y - h});
            corners.push_back({c.x + w, c.y + h});
            corners.push_back({c.x - w, c.y + h});
        }
        std::sort(corners.begin(), corners.end(),
                  [](PointMm p, PointMm q) { return p.x < q.x || (p.x == q.x && p.y < q.y); });
        // Monotone chain: the lower hull then the upper, counterclockwise.
        std::vector<PointMm> hull;
        const auto cross = [](PointMm o, PointMm p, PointMm q) {
            return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
        };
        for (int pass = 0; pass < 2; ++pass) {
            const std::size_t base = hull.size();
            for (std::size_t k = 0; k < corners.size(); ++k) {
                const PointMm p = pass == 0 ? corners[k] : corners[corners.size() - 1 - k];
                while (hull.size() >= base + 2 &&
                       cross(hull[hull.size() - 2], hull.back(), p) <= 0) {
                    hull.pop_back();
                }
                hull.push_back(p);
            }
            hull.pop_back();
        }
        add_board_polygon(hull, batch, Shape::Convex);
    }

    void track(const ApertureShape& shape, PointMm a, PointMm b, AreaBatch& batch) {
        if (shape.kind == ApertureShape::Kind::Rectangle) {
            swept_rectangle(shape, a, b, batch);
            return;
        }
        double width = shape.width;
        if (shape.kind == ApertureShape::Kind::Other && !shape.box.empty) {
            width = std::min(shape.box.max_x - shape.box.min_x, shape.box.max_y - shape.box.min_y);
        }
        capsule(a, b, width / 2, batch);
    }

    // An arc drawn with a round pen: the ring sector between the two offset arcs, and a round
    // end at each end. A pen wider than the arc's diameter covers the centre: drawn piecewise.
    void arc(const ApertureShape& shape, const ArcTrack& a, AreaBatch& batch) {
        const double w =
            shape.kind == ApertureShape::Kind::Circle
                ? shape.width / 2
                : std::min(shape.box.max_x - shape.box.min_x, shape.box.max_y - shape.box.min_y) /
                      2;
        if (!(w > 0)) {
            return;
        }
        const double r0 = std::hypot(a.from.x - a.centre.x, a.from.y - a.centre.y);
        const double r1 = std::hypot(a.to.x - a.centre.x, a.to.y - a.centre.y);
        const std::vector<PointMm> line =
            arc_points(a.from, a.to, a.centre, a.sweep, kPixelTolerance / view_.scale);
        if (std::min(r0, r1) <= w) {
            for (std::size_t k = 1; k < line.size(); ++k) {
                capsule(line[k - 1], line[k], w, batch);
            }
            return;
        }
        // The ring between the two arcs the pen's edges run along, a quadrilateral for each
        // piece of the arc: the arc's points lie at these radii, evenly along it, and the edges
        // lie the pen's half width out and in along the same rays.
        const std::size_t n = line.size() - 1;
        const auto edge = [&](std::size_t i, double out) {
            const double t = static_cast<double>(i) / static_cast<double>(n);
            const double r = r0 + (r1 - r0) * t;
            const double scale = (r + out) / r;
            return PointMm{a.centre.x + (line[i].x - a.centre.x) * scale,
                           a.centre.y + (line[i].y - a.centre.y) * scale};
        };
        std::vector<PointMm>& quad = points_;
        quad.resize(4);
        for (std::size_t k = 0; k < n; ++k) {
            quad[0] = edge(k, w);
            quad[1] = edge(k + 1, w);
            quad[2] = edge(k + 1, -w);
            quad[3] = edge(k, -w);
            add_board_polygon(quad, batch, Shape::Convex);
        }
        if (std::fabs(a.sweep) < 2 * kPi - 1e-9) {
            disc(a.from, w, batch);
            disc(a.to, w, batch);
        }
    }

    // The view's scale and turn without its shift: apertures about their own origin.
    QTransform linear_transform() const {
        QTransform linear = transform_;
        linear.setMatrix(linear.m11(), linear.m12(), 0, linear.m21(), linear.m22(), 0, 0, 0, 1);
        return linear;
    }

    const QPainterPath& aperture_path(std::uint32_t index) {
        auto found = shapes_.find(index);
        if (found == shapes_.end()) {
            QPainterPath path;
            add_parts(path, board_.apertures[index].parts, linear_transform(), kPixelTolerance);
            found = shapes_.emplace(index, std::move(path)).first;
        }
        return found->second;
    }

    // The aperture as convex polygons in pixels around its origin, together covering its shape,
    // when each of its pieces is solid and convex: circles, rectangles, obrounds, the bars and
    // corners of a rounded rectangle. Empty when a piece is a hole or not convex.
    const std::vector<QPolygonF>& convex_pieces(std::uint32_t index) {
        auto found = pieces_.find(index);
        if (found == pieces_.end()) {
            std::vector<QPolygonF> pieces;
            for (const ShapePart& part : board_.apertures[index].parts) {
                QPainterPath path;
                add_parts(path, {part}, linear_transform(), kPixelTolerance);
                QPolygonF piece = path.toFillPolygon();
                if (!part.solid || !is_convex(piece)) {
                    pieces.clear();
                    break;
                }
                pieces.push_back(std::move(piece));
            }
            found = pieces_.emplace(index, std::move(pieces)).first;
        }
        return found->second;
    }

    // Whether the closed polygon (its first point perhaps repeated at the end) turns one way
    // only, once round.
    static bool is_convex(const QPolygonF& polygon) {
        std::vector<QPointF> corners;
        for (const QPointF& p : polygon) {
            if (corners.empty() || p != corners.back()) {
                corners.push_back(p);
            }
        }
        while (corners.size() > 1 && corners.back() == corners.front()) {
            corners.pop_back();
        }
        const std::size_t n = corners.size();
        double turned = 0;
        int sense = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const QPointF a = corners[(i + 1) % n] - corners[i];
            const QPointF b = corners[(i + 2) % n] - corners[(i + 1) % n];
            const double cross = a.x() * b.y() - a.y() * b.x();
            const double dot = a.x() * b.x() + a.y() * b.y();
            if (cross == 0) {
                if (dot < 0) {
                    return false;  // turns back on itself
                }
                continue;  // a straight run
            }
            const int turn = cross > 0 ? 1 : -1;
            if (sense != 0 && turn != sense) {
                return false;
            }
            sense = turn;
            turned += std::atan2(cross, dot);
        }
        return sense != 0 && std::fabs(std::fabs(turned) - 2 * kPi) < 1e-6;
    }

    const Board& board_;
    BoardView view_;
    QTransform transform_;
    std::unordered_map<std::uint32_t, QPainterPath> shapes_;
    std::unordered_map<std::uint32_t, std::vector<QPolygonF>> pieces_;
    // Kept from one object to the next, so that drawing one costs no allocation.
    std::vector<PointMm> points_;
    QPolygonF polygon_;
    PenSides pen_;
    // A disc's turns for its number of sides: most discs in a row share a size.
    int disc_sides_ = 0;
    std::vector<PointMm> disc_turns_;
};

}  // namespace

BoardView fit_board(const BoxMm& extents, bool mirror_x, QSize picture, double share) {
    BoardView view;
    view.mirror_x = mirror_x;
    const double w = picture.width();
    const double h = picture.height();
    if (extents.empty) {
        view.left = w / 2;
        view.top = h / 2;
        return view;
    }
    const double min_x = mirror_x ? -extents.max_x : extents.min_x;
    const double max_x = mirror_x ? -extents.min_x : extents.max_x;
    const double bw = std::max(max_x - min_x, 1e-6);
    const double bh = std::max(extents.max_y - extents.min_y, 1e-6);
    view.scale = share * std::min(w / bw, h / bh);
    view.left = w / 2 - view.scale * (min_x + max_x) / 2;
    view.top = h / 2 + view.scale * (extents.min_y + extents.max_y) / 2;
    return view;
}

void paint_board(const Board& board, Picture& picture, const BoardView& view,
                 const BoardColours& colours) {
    BoardPainter painter(board, view);
    for (const BoardLevel& level : board.levels) {
        AreaBatch batch(picture, level.clear ? colours.background : colours.copper);
        painter.paint_level(level, batch);
    }
    AreaBatch holes(picture, colours.hole);
    painter.paint_holes(holes);
}

}  // namespace ostrel
