// The track window's drawing: one line per position update, coloured by the tool's height.
#include "motion/track_view.h"

#include "core/number_text.h"

#include <algorithm>
#include <cmath>

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

// 5 × position rounded half to even, as the extended product would give it, in doubles: this
// runs at every motor step. 5·p = 4·p + p; the sum's rounding error (Knuth's two-sum) settles the
// ties that rounding the sum made or unmade. Near the picture every step of it is exact.
int pixel_coordinate(double position) {
    static_assert(TrackView::kPixelsPerMm == 5);
    constexpr double kExactRange = 1 << 20;
    const double four = position * 4;
    const double sum = four + position;
    if (!(std::fabs(sum) < kExactRange)) {
        return clamped_round(static_cast<Extended>(position) * TrackView::kPixelsPerMm);
    }
    const double part = sum - four;
    const double error = (four - (sum - part)) + (position - part);
    // Adding and taking away 2^52 rounds half to even to a whole number.
    constexpr double kShift = 4503599627370496.0;
    double whole = sum >= 0 ? (sum + kShift) - kShift : (sum - kShift) + kShift;
    const double fraction = sum - whole;
    if (fraction == 0.5 && error > 0) {
        whole += 1;
    } else if (fraction == -0.5 && error < 0) {
        whole -= 1;
    }
    return static_cast<int>(whole);
}

}  // namespace

QPoint TrackView::pixel_of(double pos_x, double pos_y) {
    return {pixel_coordinate(pos_x), kHeight - pixel_coordinate(pos_y)};
}

int TrackView::pixel_in(PixelSpan& span, double position) {
    if (position > span.low && position < span.high) {
        return span.pixel;
    }
    const int pixel = pixel_coordinate(position);
    // A ten-thousandth of a pixel inside its rounding range: no rounding error of the bounds or
    // of the product reaches across.
    constexpr double kInside = 0.4999;
    span = {(pixel - kInside) / kPixelsPerMm, (pixel + kInside) / kPixelsPerMm, pixel};
    return pixel;
}

void TrackView::draw_to(double pos_x, double pos_y, double pos_z, double z_travel) {
    const QPoint pixel(pixel_in(column_span_, pos_x), kHeight - pixel_in(row_span_, pos_y));
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
