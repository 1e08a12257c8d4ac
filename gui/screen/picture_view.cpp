// PictureView: the picture windows' canvas, throttled so that a move does not pay a repaint per
// step.
#include "gui/screen/picture_view.h"

#include "gui/screen/screen_updates.h"
#include "gui/screen/wait_painter.h"

#include <QPaintEvent>
#include <QPainter>

namespace ostrel {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    repaint_timer_.setInterval(kRepaintInterval);
    connect(&repaint_timer_, &QTimer::timeout, this, &PictureView::repaint_timer_fired);
}

PictureView::~PictureView() {
    set_picture(nullptr);
}

void PictureView::set_picture(ImagePicture* picture) {
    if (picture_) {
        picture_->set_change_listener(nullptr);
    }
    picture_ = picture;
    if (picture_) {
        picture_->set_change_listener([this](const QRect& region) { picture_changed(region); });
        if (follows_size_) {
            picture_->resize(size());
        }
    }
    update();
}

void PictureView::draw_in_waits_of(WaitPainter& painter) {
    wait_painter_ = &painter;
    painter.set_before_draw(window(), [this] {
        if (!pending_.isEmpty()) {
            flush();
        }
    });
}

void PictureView::picture_changed(const QRect& region) {
    pending_ = pending_.united(region);
    if (wait_painter_ && wait_painter_->holding()) {
        wait_painter_->hold(window());
        return;
    }
    if (!repaint_timer_.isActive()) {
        flush();
        repaint_timer_.start();
    }
}

void PictureView::repaint_timer_fired() {
    if (pending_.isEmpty()) {
        repaint_timer_.stop();
        return;
    }
    flush();
}

void PictureView::flush() {
    ++repaint_requests_;
    update(pending_);
    pending_ = QRect();
}

void PictureView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, palette().window());
    if (picture_) {
        painter.drawImage(area.topLeft(), picture_->image(), area);
    }
}

void PictureView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (follows_size_ && picture_) {
        picture_->resize(size());
    }
}

}  // namespace ostrel
