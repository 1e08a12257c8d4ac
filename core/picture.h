// A picture the logic draws on with a pen, as the track and file-view windows show it.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace ostrel {

class Picture {
public:
    virtual ~Picture() = default;
    virtual void set_pen(const QColor& color, int width) = 0;
    virtual void move_to(QPoint point) = 0;
    // A line from the pen's position to point; the pen then stands at point.
    virtual void line_to(QPoint point) = 0;
    virtual void ellipse(const QRect& box) = 0;
    virtual void fill(const QColor& color) = 0;
    // Fills the area the path encloses (by its fill rule) with color, without outline or
    // smoothing: copper as a board viewer shows it. The pen is not used and does not move.
    virtual void fill_path(const QPainterPath& path, const QColor& color) = 0;
    // Fills convex polygons as fill_path would: sizes[k] points of points for the k-th, in
    // order, each closed by its last side back to its first point. Pictures that paint pixels
    // fill them row by row, far faster than a general path; the rest take them as one path.
    virtual void fill_convex_polygons(std::span<const QPointF> points, std::span<const int> sizes,
                                      const QColor& color);
    virtual QSize size() const = 0;
    virtual void resize(QSize size) = 0;
    virtual QPoint pen_position() const = 0;
};

// A picture that keeps only its pen and size: runs whose drawing nobody looks at (long dry runs,
// fuzzing, timing the reading without the painting).
class PenOnlyPicture final : public Picture {
public:
    explicit PenOnlyPicture(QSize size) : size_(size) {}
    void set_pen(const QColor&, int) override {}
    void move_to(QPoint point) override { pen_ = point; }
    void line_to(QPoint point) override { pen_ = point; }
    void ellipse(const QRect&) override {}
    void fill(const QColor&) override {}
    void fill_path(const QPainterPath&, const QColor&) override {}
    void fill_convex_polygons(std::span<const QPointF>, std::span<const int>,
                              const QColor&) override {}
    QSize size() const override { return size_; }
    void resize(QSize size) override { size_ = size; }
    QPoint pen_position() const override { return pen_; }

private:
    QSize size_;
    QPoint pen_;
};

// A picture kept in memory; whoever shows it hears which region changed. Drawing is painted in
// batches when the image is next looked at, by one painter, lines of one pen in one call: the
// track gets a line per motor step and a preview a line or a circle per entity, and a painter or
// a painter call for each would cost more than everything else together.
class ImagePicture final : public Picture {
public:
    explicit ImagePicture(QSize size, const QColor& background = Qt::white);

    void set_pen(const QColor& color, int width) override;
    void move_to(QPoint point) override { pen_position_ = point; }
    void line_to(QPoint point) override;
    void ellipse(const QRect& box) override;
    void fill(const QColor& color) override;
    void fill_path(const QPainterPath& path, const QColor& color) override;
    // Painted at once, after everything before it: each pixel whose centre lies inside.
    void fill_convex_polygons(std::span<const QPointF> points, std::span<const int> sizes,
                              const QColor& color) override;
    QSize size() const override { return image_.size(); }
    void resize(QSize size) override;
    QPoint pen_position() const override { return pen_position_; }

    // The picture with every line drawn so far.
    const QImage& image() const;
    QColor pen_color() const { return pen_color_; }
    int pen_width() const { return pen_width_; }

    // Called with the changed region after every drawing call.
    void set_change_listener(std::function<void(const QRect&)> listener);

private:
    // A drawing call not yet painted: a line from..to, an ellipse in the box from..to, or an area
    // (paths_[path]) filled with the colour.
    struct Pending {
        enum class Kind : std::uint8_t { Line, Ellipse, Area };
        Kind kind;
        int width;
        QPoint from, to;
        QColor color;
        std::size_t path = 0;
    };
    // A line this picture draws itself, pixel for pixel as the painter would.
    bool is_thin_line_inside(int width, const QColor& color, QPoint from, QPoint to) const;
    void changed(const QRect& region);
    void add_pending(const Pending& drawing);
    void paint_pending() const;

    mutable QImage image_;
    mutable std::vector<Pending> pending_;
    mutable std::vector<QPainterPath> paths_;
    std::vector<QPointF> snapped_;  // a convex polygon's corners on the painter's grid
    QColor pen_color_ = Qt::black;
    int pen_width_ = 1;
    QPoint pen_position_;
    std::function<void(const QRect&)> listener_;
};

}  // namespace ostrel
