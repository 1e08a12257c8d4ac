// The tool's track as the track window draws it: 5 pixels per mm, red while working, grey raised.
#pragma once

#include "core/picture.h"

namespace ostrel {

class TrackView {
public:
    static constexpr int kWidth = 585;
    static constexpr int kHeight = 457;
    static constexpr int kPixelsPerMm = 5;

    explicit TrackView(Picture& picture) : picture_(picture) {}

    // Draws from the pen's point to the tool's position; pen by whether the tool works.
    void draw_to(double pos_x, double pos_y, double pos_z, double z_travel);
    // White picture; the pen stays where the last line ended, so the next job's track goes on
    // from there.
    void clear();

    // Pixel of a position: X to the right, Y up from row 457, half to even.
    static QPoint pixel_of(double pos_x, double pos_y);

    Picture& picture() { return picture_; }

private:
    // The positions that surely round to a pixel: a step of a fine ratio mostly stays in the
    // pixel of the step before, and two comparisons are cheaper than the rounding.
    struct PixelSpan {
        double low = 1;
        double high = 0;
        int pixel = 0;
    };
    static int pixel_in(PixelSpan& span, double position);

    Picture& picture_;
    PixelSpan column_span_;
    PixelSpan row_span_;
    // The last point drawn to and how: a step that lands on the same pixel with the same pen
    // draws nothing new.
    QPoint last_pixel_{-1, -1};
    int last_pen_ = -1;  // 0 raised, 1 working
    bool drawn_ = false;
};

}  // namespace ostrel
