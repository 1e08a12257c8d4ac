// A widget that shows an ImagePicture and repaints only what changed, at most at the screen's rate.
#pragma once

#include "core/picture.h"

#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

namespace ostrel {

class WaitPainter;

class PictureView : public QWidget {
    Q_OBJECT

public:
    explicit PictureView(QWidget* parent = nullptr);
    ~PictureView() override;

    // Shows picture (not owned; it must outlive the view or be replaced first).
    void set_picture(ImagePicture* picture);
    // The picture takes the view's size whenever the view is resized (the file-view window).
    void set_picture_follows_size(bool follows) { follows_size_ = follows; }

    // While painter holds repaints back (the machine steps), changes are drawn from the step waits
    // rather than from this view's own timer, whose ticks would land between two steps.
    void draw_in_waits_of(WaitPainter& painter);

    // Screen updates asked for so far; a move draws far more often than this grows.
    int repaint_requests() const { return repaint_requests_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void picture_changed(const QRect& region);
    void repaint_timer_fired();
    void flush();

    ImagePicture* picture_ = nullptr;
    QPointer<WaitPainter> wait_painter_;
    bool follows_size_ = false;
    QRect pending_;
    QTimer repaint_timer_;
    int repaint_requests_ = 0;
};

}  // namespace ostrel
