// A picture for tests that records its lines, areas and fills instead of painting pixels.
#pragma once

#include "core/picture.h"

#include <vector>

namespace ostrel::testing {

class RecordingPicture final : public Picture {
public:
    explicit RecordingPicture(QSize size = QSize(387, 320)) : size_(size) {}

    struct Segment {
        QPoint from;
        QPoint to;
        QColor color;
        int width;
        bool operator==(const Segment&) const = default;
    };
    // A segment as it looks, whatever the pen's width.
    struct Line {
        QPoint from;
        QPoint to;
        QColor color;
        bool operator==(const Line&) const = default;
    };
    struct Circle {
        QRect box;
        QColor color;
        bool operator==(const Circle&) const = default;
    };
    void set_pen(const QColor& c, int w) override {
        color = c;
        width = w;
    }
    void move_to(QPoint p) override { pen = p; }
    void line_to(QPoint p) override {
        segments.push_back({pen, p, color, width});
        pen = p;
    }
    void ellipse(const QRect& box) override { circles.push_back({box, color}); }
    struct Area {
        QPainterPath path;
        QColor color;
    };
    // A fill covers everything drawn before it.
    void fill(const QColor& c) override {
        fills.push_back(c);
        segments.clear();
        circles.clear();
        areas.clear();
    }
    void fill_path(const QPainterPath& path, const QColor& c) override {
        areas.push_back({path, c});
    }
    QSize size() const override { return size_; }
    void resize(QSize s) override { size_ = s; }
    QPoint pen_position() const override { return pen; }

    std::vector<Line> lines() const {
        std::vector<Line> out;
        for (const Segment& segment : segments) {
            out.push_back({segment.from, segment.to, segment.color});
        }
        return out;
    }

    std::vector<Segment> segments;
    std::vector<Circle> circles;
    std::vector<Area> areas;
    std::vector<QColor> fills;
    QColor color;
    int width = 0;
    QPoint pen;
    QSize size_;
};

}  // namespace ostrel::testing
