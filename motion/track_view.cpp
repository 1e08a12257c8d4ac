// The track window's drawing: one line per position update, coloured by the tool's height.
#include "motion/track_view.h"

#include "core/number_text.h"

#include <algorithm>

namespace ostrel {

namespace {

// Far beyond the picture, yet safe for the painter's integer arithmetic.
constexpr std::int64_t kPixelClamp = 1'000'000;

int clamped_round(Extended value) {
    const auto rounded = round_to_int64(value);
    if (!rounded) {
        return value < 0 ? -static_cast<int>(kPixelClamp) : static_cast<int>(kPixelClamp);
    }
    return static_cast<int>(std::clamp<std::int64_t>(*rounded, -kPixelClamp, kPixelClamp));
}

}  // namespace

QPoint TrackView::pixel_of(double pos_x, double pos_y) {
    const int column = clamped_round(static_cast<Extended>(pos_x) * kPixelsPerMm);
    const int row = kHeight - clamped_round(static_cast<Extended>(pos_y) * kPixelsPerMm);
    return {column, row};
}

void TrackView::draw_to(double pos_x, double pos_y, double pos_z, double z_travel) {
    const QPoint pixel = pixel_of(pos_x, pos_y);
    const int pen = pos_z < z_travel ? 1 : 0;
    if (drawn_ && pixel == last_pixel_ && pen == last_pen_ && picture_.pen_position() == pixel) {
        return;
    }
    drawn_ = true;
    last_pixel_ = pixel;
    last_pen_ = pen;
    if (pen == 1) {
        picture_.set_pen(QColor(255, 0, 0), 2);
    } else {
        picture_.set_pen(QColor(128, 128, 128), 1);
    }
    picture_.line_to(pixel);
}

void TrackView::clear() {
    picture_.fill(Qt::white);
}

}  // namespace ostrel
