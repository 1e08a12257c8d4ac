// A pen-and-canvas picture kept in a QImage.
#include "core/picture.h"

#include <QPainter>

namespace ostrel {

namespace {
// Drawing calls kept before they are painted, even if nobody looks: memory stays flat over a long
// job, and a batch this long costs the painter next to nothing more a line.
constexpr std::size_t kMaxPending = 16384;
}  // namespace

ImagePicture::ImagePicture(QSize size, const QColor& background)
    : image_(size, QImage::Format_RGB32) {
    image_.fill(background);
}

void ImagePicture::set_pen(const QColor& color, int width) {
    pen_color_ = color;
    pen_width_ = width;
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
    if (pending_.size() >= kMaxPending) {
        paint_pending();
    }
}

void ImagePicture::line_to(QPoint point) {
    add_pending({Pending::Kind::Line, pen_width_, pen_position_, point, pen_color_});
    const int margin = pen_width_ + 1;
    changed(QRect(pen_position_, point).normalized().adjusted(-margin, -margin, margin, margin));
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
    changed(path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1));
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
