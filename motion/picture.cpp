// A pen-and-canvas picture kept in a QImage.
#include "motion/picture.h"

#include <QPainter>

namespace ostrel {

ImagePicture::ImagePicture(QSize size, const QColor& background)
    : image_(size, QImage::Format_RGB32) {
    image_.fill(background);
}

void ImagePicture::set_pen(const QColor& color, int width) {
    pen_color_ = color;
    pen_width_ = width;
}

void ImagePicture::line_to(QPoint point) {
    {
        QPainter painter(&image_);
        painter.setPen(QPen(pen_color_, pen_width_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawLine(pen_position_, point);
    }
    const int margin = pen_width_ + 1;
    changed(QRect(pen_position_, point).normalized().adjusted(-margin, -margin, margin, margin));
    pen_position_ = point;
}

void ImagePicture::ellipse(const QRect& box) {
    {
        QPainter painter(&image_);
        painter.setPen(QPen(pen_color_, pen_width_));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(box);
    }
    const int margin = pen_width_ + 1;
    changed(box.normalized().adjusted(-margin, -margin, margin, margin));
}

void ImagePicture::fill(const QColor& color) {
    image_.fill(color);
    changed(image_.rect());
}

void ImagePicture::resize(QSize size) {
    if (size == image_.size()) {
        return;
    }
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
