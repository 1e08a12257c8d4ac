// A pen-and-canvas picture kept in a QImage.
#include "core/picture.h"

#include <QPainter>

namespace ostrel {

namespace {
constexpr std::size_t kMaxPending = 4096;
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
    QColor color;
    int width = -1;
    for (const Segment& segment : pending_) {
        if (segment.color != color || segment.width != width) {
            color = segment.color;
            width = segment.width;
            painter.setPen(QPen(color, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        }
        painter.drawLine(segment.from, segment.to);
    }
    pending_.clear();
}

void ImagePicture::line_to(QPoint point) {
    pending_.push_back({pen_position_, point, pen_color_, pen_width_});
    if (pending_.size() >= kMaxPending) {
        paint_pending();  // nobody looked for a while: keep memory flat over a long job
    }
    const int margin = pen_width_ + 1;
    changed(QRect(pen_position_, point).normalized().adjusted(-margin, -margin, margin, margin));
    pen_position_ = point;
}

void ImagePicture::ellipse(const QRect& box) {
    paint_pending();
    {
        QPainter painter(&image_);
        painter.setPen(QPen(pen_color_, pen_width_));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(box);
    }
    const int margin = pen_width_ + 1;
    changed(box.normalized().adjusted(-margin, -margin, margin, margin));
}

void ImagePicture::fill_path(const QPainterPath& path, const QColor& color) {
    paint_pending();  // lines drawn before lie under the area
    {
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillPath(path, color);
    }
    changed(path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1));
}

void ImagePicture::fill(const QColor& color) {
    pending_.clear();
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
