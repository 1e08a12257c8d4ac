// A pen-and-canvas picture kept in a QImage.
#include "core/picture.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ostrel {

namespace {
// Drawing calls kept before they are painted, even if nobody looks: memory stays flat over a long
// job, and a batch this long costs the painter next to nothing more a line.
constexpr std::size_t kMaxPending = 16384;
// Filled paths kept before they are painted: each may hold many shapes already.
constexpr std::size_t kMaxPendingPaths = 64;
}  // namespace

ImagePicture::ImagePicture(QSize size, const QColor& background)
    : image_(size, QImage::Format_RGB32) {
    image_.fill(background);
}

void ImagePicture::set_pen(const QColor& color, int width) {
    pen_color_ = color;
    pen_width_ = width;
}

namespace {

// The quotient of two 26.6 fixed-point lengths in 16.16, truncated, as the painter divides.
int fixed_quotient(int a, int b) {
    if (std::abs(a) > 0x7fff) {
        return static_cast<int>(static_cast<long long>(a) * (1 << 16) / b);
    }
    return a * (1 << 16) / b;
}

// A line of a one-pixel pen with square ends between two pixels inside the picture, pixel for
// pixel as the painter draws it: coordinates in 26.6 fixed point, one pixel a row or column
// along the longer side, half a pixel added at each end. A hundred times cheaper a short line
// than a call into the painter, which the previews make a million times.
void draw_thin_line(QRgb* bits, qsizetype stride, QPoint from, QPoint to, QRgb colour) {
    const auto put = [&](int x, int y) { bits[y * stride + x] = colour; };
    if (from == to) {
        put(from.x(), from.y());
        return;
    }
    int x1 = from.x() * 64;
    int y1 = from.y() * 64;
    int x2 = to.x() * 64;
    int y2 = to.y() * 64;
    const bool steep = std::abs(x2 - x1) < std::abs(y2 - y1);
    if (steep) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    // Along the longer side: one step a pixel, the other coordinate in 16.16.
    const int slope = fixed_quotient(y2 - y1, x2 - x1);
    int across = y1 * (1 << 10);
    x1 -= 32;
    across -= slope >> 1;
    x2 += 32;
    int along = (x1 + 32) >> 6;
    const int end = (x2 + 32) >> 6;
    const int round = slope > 0 ? 32 : 0;
    if (along == end) {
        return;
    }
    across += ((along * (1 << 6)) + round - x1) * slope >> 6;
    do {
        if (steep) {
            put(across >> 16, along);
        } else {
            put(along, across >> 16);
        }
        across += slope;
    } while (++along < end);
}

}  // namespace

bool ImagePicture::is_thin_line_inside(int width, const QColor& color, QPoint from,
                                       QPoint to) const {
    return width == 1 && color.alpha() == 255 && image_.rect().contains(from) &&
           image_.rect().contains(to);
}

const QImage& ImagePicture::image() const {
    paint_pending();
    return image_;
}

void ImagePicture::paint_pending() const {
    if (pending_.empty()) {
        return;
    }
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The painter has the image to itself now: its pixels change in place.
    auto* const bits = reinterpret_cast<QRgb*>(image_.bits());
    const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    // Lines of one pen in a row go to the painter together.
    std::vector<QLine> lines;
    QColor line_color;
    int line_width = -1;
    const auto draw_lines = [&] {
        if (!lines.empty()) {
            painter.setPen(
                QPen(line_color, line_width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter.drawLines(lines.data(), static_cast<int>(lines.size()));
            lines.clear();
        }
    };
    for (const Pending& drawing : pending_) {
        if (drawing.kind == Pending::Kind::Line) {
            if (is_thin_line_inside(drawing.width, drawing.color, drawing.from, drawing.to)) {
                // Drawn over any line of another colour still waiting for the painter.
                if (drawing.color != line_color) {
                    draw_lines();
                }
                draw_thin_line(bits, stride, drawing.from, drawing.to, drawing.color.rgb());
                continue;
            }
            if (drawing.width != line_width || drawing.color != line_color) {
                draw_lines();
                line_color = drawing.color;
                line_width = drawing.width;
            }
            lines.emplace_back(drawing.from, drawing.to);
            continue;
        }
        draw_lines();
        if (drawing.kind == Pending::Kind::Ellipse) {
            painter.setPen(QPen(drawing.color, drawing.width));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QRect(drawing.from, drawing.to));
        } else {
            painter.fillPath(paths_[drawing.path], drawing.color);
        }
    }
    draw_lines();
    pending_.clear();
    paths_.clear();
}

void ImagePicture::add_pending(const Pending& drawing) {
    pending_.push_back(drawing);
    if (pending_.size() >= kMaxPending || paths_.size() >= kMaxPendingPaths) {
        paint_pending();
    }
}

void ImagePicture::line_to(QPoint point) {
    if (pending_.empty() && is_thin_line_inside(pen_width_, pen_color_, pen_position_, point)) {
        // Nothing waits to be painted before it: drawn at once, with no painter at all.
        draw_thin_line(reinterpret_cast<QRgb*>(image_.bits()),
                       image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)), pen_position_,
                       point, pen_color_.rgb());
    } else {
        add_pending({Pending::Kind::Line, pen_width_, pen_position_, point, pen_color_});
    }
    if (listener_) {
        const int margin = pen_width_ + 1;
        changed(
            QRect(pen_position_, point).normalized().adjusted(-margin, -margin, margin, margin));
    }
    pen_position_ = point;
}

void ImagePicture::ellipse(const QRect& box) {
    add_pending({Pending::Kind::Ellipse, pen_width_, box.topLeft(), box.bottomRight(), pen_color_});
    const int margin = pen_width_ + 1;
    changed(box.normalized().adjusted(-margin, -margin, margin, margin));
}

void ImagePicture::fill_path(const QPainterPath& path, const QColor& color) {
    paths_.push_back(path);
    add_pending({Pending::Kind::Area, 0, {}, {}, color, paths_.size() - 1});
    if (listener_) {  // a large path's bounds cost a pass over all its points
        changed(path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1));
    }
}

void Picture::fill_convex_polygons(std::span<const QPointF> points, std::span<const int> sizes,
                                   const QColor& color) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    std::size_t first = 0;
    for (const int size : sizes) {
        const auto count = static_cast<std::size_t>(size);
        path.addPolygon(
            QPolygonF(QList<QPointF>(points.begin() + static_cast<long>(first),
                                     points.begin() + static_cast<long>(first + count))));
        path.closeSubpath();
        first += count;
    }
    fill_path(path, color);
}

namespace {

// std::round without the library call, for the coordinates a picture has.
double round_half_away(double v) {
    if (!(std::fabs(v) < 0x1p52)) {
        return std::round(v);  // whole already, or not a number
    }
    const auto whole = static_cast<double>(static_cast<std::int64_t>(v));
    const double fraction = v - whole;
    // Without branches: which way a corner's fraction goes is anybody's guess.
    return whole + static_cast<double>(fraction >= 0.5) - static_cast<double>(fraction <= -0.5);
}

// Paints the pixels of image whose centres lie inside one convex polygon, as the painter's
// aliased fill does: the corners snapped to 1/64 pixel first; a centre on a left or top side
// outside, on a right or bottom side inside (boards drawn on a grid put many centres there). The
// painter finds where a side crosses a row in fixed point, so a centre within its rounding of a
// side may still go the other way: a few pixels in a hundred thousand.
void fill_convex(QImage& image, std::span<const QPointF> polygon, QRgb colour,
                 std::vector<QPointF>& snapped) {
    constexpr double kGrid = 64;
    snapped.clear();
    double top = std::numeric_limits<double>::infinity();
    double bottom = -top;
    for (const QPointF& p : polygon) {
        snapped.emplace_back(round_half_away(p.x() * kGrid) / kGrid,
                             round_half_away(p.y() * kGrid) / kGrid);
        top = std::min(top, snapped.back().y());
        bottom = std::max(bottom, snapped.back().y());
    }
    // NaN and far-off coordinates fail these and paint nothing.
    if (!(bottom >= -1.0) || !(top <= image.height() + 1.0)) {
        return;
    }
    const int first_row = static_cast<int>(std::max(std::floor(top - 0.5) + 1, 0.0));
    const int last_row = static_cast<int>(
        std::min(std::floor(bottom - 0.5), static_cast<double>(image.height() - 1)));
    const std::size_t n = snapped.size();
    for (int row = first_row; row <= last_row; ++row) {
        const double y = row + 0.5;
        double left = std::numeric_limits<double>::infinity();
        double right = -left;
        for (std::size_t i = 0; i < n; ++i) {
            const QPointF& a = snapped[i];
            const QPointF& b = snapped[i + 1 < n ? i + 1 : 0];
            if ((a.y() < y && y <= b.y()) || (b.y() < y && y <= a.y())) {
                const double x = a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        if (!(left < right)) {
            continue;
        }
        const double from = std::max(std::floor(left - 0.5) + 1, 0.0);
        const double to = std::min(std::floor(right - 0.5) + 1, static_cast<double>(image.width()));
        if (from < to) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
            std::fill(line + static_cast<int>(from), line + static_cast<int>(to), colour);
        }
    }
}

}  // namespace

void ImagePicture::fill_convex_polygons(std::span<const QPointF> points, std::span<const int> sizes,
                                        const QColor& color) {
    paint_pending();
    const QRgb colour = color.rgb();
    std::size_t first = 0;
    // Where the painted polygons lie, for whoever shows the picture.
    double left = std::numeric_limits<double>::infinity();
    double top = left;
    double right = -left;
    double bottom = -left;
    for (const int size : sizes) {
        const auto polygon = points.subspan(first, static_cast<std::size_t>(size));
        first += static_cast<std::size_t>(size);
        if (polygon.size() < 3) {
            continue;
        }
        fill_convex(image_, polygon, colour, snapped_);
        if (listener_) {
            for (const QPointF& p : polygon) {
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
            }
        }
    }
    if (listener_ && left < right && top < bottom) {
        changed(QRectF(QPointF(left, top), QPointF(right, bottom))
                    .toAlignedRect()
                    .adjusted(-1, -1, 1, 1));
    }
}

void ImagePicture::fill(const QColor& color) {
    pending_.clear();
    paths_.clear();
    image_.fill(color);
    changed(image_.rect());
}

void ImagePicture::resize(QSize size) {
    if (size == image_.size()) {
        return;
    }
    paint_pending();
    QImage larger(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    larger.fill(Qt::white);
    {
        QPainter painter(&larger);
        painter.drawImage(0, 0, image_);
    }
    image_ = larger;
    changed(image_.rect());
}

void ImagePicture::set_change_listener(std::function<void(const QRect&)> listener) {
    listener_ = std::move(listener);
}

void ImagePicture::changed(const QRect& region) {
    if (listener_) {
        listener_(region.intersected(image_.rect()));
    }
}

}  // namespace ostrel
