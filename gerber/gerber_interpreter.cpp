// Words of the Gerber dialect the machine understands, and what each mode does with them.
#include "gerber/gerber_interpreter.h"

#include "core/number_text.h"

#include <QColor>
#include <QRect>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace ostrel {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Powers of ten a double holds exactly.
constexpr double kExactTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of digits with at most one point, nearest double; infinity past the double range.
double number_value(std::string_view text) {
    // Coordinates are short: up to 15 digits form an exact integer, and one division by an
    // exact power of ten is then correctly rounded, as the general reading would be.
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = 0;
    bool point_seen = false;
    for (char c : text) {
        if (c == '.') {
            point_seen = true;
            continue;
        }
        if (++count > 15) {
            break;
        }
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        decimals += point_seen ? 1 : 0;
    }
    if (count == 0) {
        return 0;
    }
    if (count <= 15) {
        return static_cast<double>(digits) / kExactTens[decimals];
    }
    double value = 0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Only far too large values get here: a run of digits is never too small for a double.
        return std::numeric_limits<double>::infinity();
    }
    return value;
}

// A register's value rounded to a whole number of the 32-bit registers, half to even; values
// past the range keep to its ends, which match no G or D number the interpreter acts on.
std::int32_t round_register(double number) {
    if (std::isnan(number)) {
        return 0;
    }
    if (number >= 0 && number < 2147483647.0 && number == static_cast<std::int32_t>(number)) {
        return static_cast<std::int32_t>(number);  // whole already, as G and D numbers are
    }
    const auto rounded = round_to_int32(static_cast<Extended>(number));
    if (rounded) {
        return *rounded;
    }
    return number > 0 ? INT32_MAX : INT32_MIN;
}

// A preview coordinate rounded to a whole pixel, half to even, held within a range where the
// geometry below stays exact in extended precision.
constexpr long double kHeldPixel = 1099511627776.0L;  // 2^40

long double whole_pixel(long double v) {
    return std::clamp(round_even(v), -kHeldPixel, kHeldPixel);
}

// Room around the picture for the pen's width: what lies further out can't colour a pixel.
constexpr long double kMargin = 4;

}  // namespace

GerberInterpreter::Number GerberInterpreter::number_at(std::string_view line, std::size_t start) {
    if (start < 1 || start > line.size()) {
        return {0, 1};
    }
    const std::string_view text = line.substr(start - 1);
    std::size_t i = 0;
    bool point_seen = false;
    for (; i < text.size(); ++i) {
        if (is_digit(text[i])) {
            continue;
        }
        if (text[i] == '.' && !point_seen) {
            point_seen = true;
            continue;
        }
        break;
    }
    const double value = number_value(text.substr(0, i));
    if (i == text.size()) {
        // The rest of the line is the number: the reach ends the line.
        return {value, line.size()};
    }
    return {value, i + 1};
}

void GerberInterpreter::run_line(std::string_view line) {
    const std::size_t length = line.size();
    std::size_t p = 1;
    do {
        std::size_t q = p;
        while (q <= length && !is_digit(line[q - 1])) {
            ++q;
        }
        const std::string_view letters =
            p <= length ? line.substr(p - 1, q - p) : std::string_view();
        p = q;
        const Number number = number_at(line, p);
        p += number.reach - 1;
        run_word(letters, number.value);
    } while (p < length);
}

void GerberInterpreter::run_word(std::string_view letters, double number) {
    if (letters.empty()) {
        return;
    }
    const char letter = letters.front();
    if (registers_.preview_mode) {
        preview_word(letter, number);
    }
    if (registers_.plot_mode) {
        plot_word(letter, number);
    }
    if (registers_.drill_mode) {
        drill_word(letter, number);
    }
}

void GerberInterpreter::take_g(double number) {
    if (number == 54) {
        registers_.aperture_pending = true;
    }
    registers_.cur_g = round_register(number);
}

bool GerberInterpreter::take_d(double number, std::int32_t& action) {
    if (registers_.aperture_pending) {
        registers_.current_aperture = round_register(number);
        registers_.aperture_pending = false;
        return false;
    }
    action = round_register(number);
    return action >= 1 && action <= 3;
}

// Preview: registers in pixels, y growing downwards from the picture's top-left corner.
// The words both drawing modes share: G, X, Y and I set the registers, coordinates in
// hundredths times scale; a D word gives its action. False when nothing is left to do.
bool GerberInterpreter::take_register_word(char letter, double number, Extended scale,
                                           std::int32_t& action) {
    GerberRegisters& r = registers_;
    const auto unit = [scale](double n) {
        return static_cast<double>(static_cast<Extended>(n) * scale / 100);
    };
    switch (letter) {
        case 'G':
            take_g(number);
            return false;
        case 'X':
            r.cur_x = unit(number);
            return false;
        case 'Y':
            r.cur_y = unit(number);
            return false;
        case 'I':
            r.cur_i = unit(number);
            return false;
        case 'D':
            return take_d(number, action);
        default:
            return false;
    }
}

void GerberInterpreter::preview_word(char letter, double number) {
    GerberRegisters& r = registers_;
    std::int32_t action = 0;
    if (!take_register_word(letter, number, r.view_scale, action)) {
        return;
    }
    if (action == 1 && r.cur_g == 54) {
        pen_line_to(r.cur_x, r.cur_y);
        r.view_max_x = std::max(r.view_max_x, r.cur_x);
        r.view_max_y = std::max(r.view_max_y, r.cur_y);
    } else if (action == 1 && r.cur_g == 3) {
        const Extended x = r.cur_x;
        const Extended y = r.cur_y;
        const Extended i = r.cur_i;
        pen_circle(static_cast<double>(x - 2 * i), static_cast<double>(y - i), r.cur_x,
                   static_cast<double>(y + i));
        if (x + i > r.view_max_x) {
            r.view_max_x = static_cast<double>(x + 2 * i);
        }
        if (y + i > r.view_max_y) {
            r.view_max_y = static_cast<double>(y + 2 * i);
        }
    } else if (action == 2) {
        pen_move_to(r.cur_x, r.cur_y);
        r.view_max_x = std::max(r.view_max_x, r.cur_x);
        r.view_max_y = std::max(r.view_max_y, r.cur_y);
    } else if (action == 3) {
        const Aperture* entry = aperture_table_.entry(r.current_aperture);
        if (entry != nullptr && entry->shape == Aperture::kCircle) {
            // The radius is size 1 in pixels, neither scaled nor halved.
            const Extended size = entry->size[1];
            pen_circle(static_cast<double>(r.cur_x - size), static_cast<double>(r.cur_y - size),
                       static_cast<double>(r.cur_x + size), static_cast<double>(r.cur_y + size));
        }
    }
}

void GerberInterpreter::plot_word(char letter, double number) {
    GerberRegisters& r = registers_;
    std::int32_t action = 0;
    // Plotting works in millimetres: hundredths times 1.
    if (!take_register_word(letter, number, 1, action)) {
        return;
    }
    if (action == 1 && r.cur_g == 54) {
        lower();
        draw_to(r.cur_x, r.cur_y);
    } else if (action == 1 && r.cur_g == 3) {
        plot_circle();
    } else if (action == 2) {
        mover_.raise_tool();
        mover_.travel_to(r.cur_x, r.cur_y);
    } else if (action == 3) {
        plot_pad();
    }
}

void GerberInterpreter::drill_word(char letter, double number) {
    GerberRegisters& r = registers_;
    if (letter == 'X') {
        r.cur_x = static_cast<double>(static_cast<Extended>(number) / 100);
    } else if (letter == 'Y') {
        r.cur_y = static_cast<double>(static_cast<Extended>(number) / 100);
        const JobParameters& job = machine_.state().job;
        mover_.travel_to(r.cur_x, r.cur_y);
        mover_.move_z_to(0, job.speed_z_up);
        mover_.move_z_to(-drill_depth_, job.speed_z_down);
        mover_.raise_tool();
    }
}

void GerberInterpreter::lower() {
    mover_.move_z_to(0, machine_.state().job.speed_z_down);
}

void GerberInterpreter::draw_to(double x, double y) {
    mover_.move_to_xy(x, y, machine_.state().job.speed_xy);
}

// A full counterclockwise circle through (cur_x, cur_y) around the point cur_i to its left,
// 361 drawing moves from the lowered tool wherever it stands.
void GerberInterpreter::plot_circle() {
    const Extended r = registers_.cur_i;
    const Extended cx = registers_.cur_x - r;
    const Extended cy = registers_.cur_y;
    lower();
    for (int i = 0; i <= 360; ++i) {
        const Extended a = i * 3.1415926L * 2 / 360;
        draw_to(static_cast<double>(cx + r * std::cos(a)),
                static_cast<double>(cy + r * std::sin(a)));
    }
}

// A pad of a circular aperture, marked as a circle the marker's width inside the pad's edge.
// The circle's points never pass through cur_x and cur_y, so they keep the pad's centre.
void GerberInterpreter::plot_pad() {
    const Aperture* entry = aperture_table_.entry(registers_.current_aperture);
    if (entry == nullptr || entry->shape != Aperture::kCircle) {
        return;
    }
    const Extended cx = registers_.cur_x;
    const Extended cy = registers_.cur_y;
    const Extended m = marker_diameter(machine_.panel());
    // The whole marker diameter comes off the radius, so the pen's trace stays inside the pad.
    const Extended r = static_cast<Extended>(entry->size[1]) / 2 - m;
    mover_.raise_tool();
    mover_.travel_to(static_cast<double>(cx + r), static_cast<double>(cy));
    lower();
    const MachineState& s = machine_.state();
    for (int i = 1; i <= 360; ++i) {
        const Extended a = i * 6.2831852L / 360;
        const double x = static_cast<double>(cx + r * std::cos(a));
        const double y = static_cast<double>(cy + r * std::sin(a));
        if (x != s.pos_x || y != s.pos_y) {
            draw_to(x, y);
        }
    }
}

void GerberInterpreter::pen_start(long double& x, long double& y) const {
    const QPoint at = picture_->pen_position();
    if (pen_far_ && at == pen_shown_) {
        x = pen_x_;
        y = pen_y_;
    } else {
        x = at.x();
        y = at.y();
    }
}

void GerberInterpreter::pen_rest_at(long double x, long double y) {
    const long double far = kFarPixel;
    pen_far_ = std::fabs(x) > far || std::fabs(y) > far;
    pen_x_ = x;
    pen_y_ = y;
    pen_shown_ = QPoint(static_cast<int>(std::clamp(x, -far, far)),
                        static_cast<int>(std::clamp(y, -far, far)));
    if (picture_->pen_position() != pen_shown_) {
        picture_->move_to(pen_shown_);
    }
}

void GerberInterpreter::pen_move_to(double x, double y) {
    if (picture_ == nullptr || std::isnan(x) || std::isnan(y)) {
        return;
    }
    pen_rest_at(whole_pixel(x), whole_pixel(y));
}

void GerberInterpreter::pen_line_to(double x, double y) {
    if (picture_ == nullptr || std::isnan(x) || std::isnan(y)) {
        return;
    }
    const long double tx = whole_pixel(x);
    const long double ty = whole_pixel(y);
    if (!strokes_) {
        pen_rest_at(tx, ty);
        return;
    }
    picture_->set_pen(QColor::fromRgb(kLineColour), 1);
    long double sx = 0;
    long double sy = 0;
    pen_start(sx, sy);
    const QSize size = picture_->size();
    // A line wholly beside the picture colours nothing: only the pen moves.
    if (std::max(sx, tx) < -kMargin || std::min(sx, tx) > size.width() + kMargin ||
        std::max(sy, ty) < -kMargin || std::min(sy, ty) > size.height() + kMargin) {
        pen_rest_at(tx, ty);
        return;
    }
    const long double far = kFarPixel;
    if (std::fabs(sx) <= far && std::fabs(sy) <= far && std::fabs(tx) <= far &&
        std::fabs(ty) <= far) {
        picture_->line_to(QPoint(static_cast<int>(tx), static_cast<int>(ty)));
        pen_far_ = false;
        return;
    }
    // Cut the line to the square within kFarPixel (Liang-Barsky), then draw what is left.
    const long double dx = tx - sx;
    const long double dy = ty - sy;
    long double t0 = 0;
    long double t1 = 1;
    const long double p[4] = {-dx, dx, -dy, dy};
    const long double q[4] = {sx + far, far - sx, sy + far, far - sy};
    bool inside = true;
    for (int k = 0; k < 4 && inside; ++k) {
        if (p[k] == 0) {
            inside = q[k] >= 0;
        } else {
            const long double ratio = q[k] / p[k];
            if (p[k] < 0) {
                t0 = std::max(t0, ratio);
            } else {
                t1 = std::min(t1, ratio);
            }
            inside = t0 <= t1;
        }
    }
    if (inside) {
        const auto clamp_far = [far](long double v) {
            return static_cast<int>(std::clamp(std::nearbyint(v), -far, far));
        };
        picture_->move_to(QPoint(clamp_far(sx + t0 * dx), clamp_far(sy + t0 * dy)));
        picture_->line_to(QPoint(clamp_far(sx + t1 * dx), clamp_far(sy + t1 * dy)));
    }
    pen_rest_at(tx, ty);
}

void GerberInterpreter::pen_circle(double left, double top, double right, double bottom) {
    if (picture_ == nullptr || !strokes_) {
        return;
    }
    if (std::isnan(left) || std::isnan(top) || std::isnan(right) || std::isnan(bottom)) {
        return;
    }
    picture_->set_pen(QColor::fromRgb(kCircleColour), 1);
    long double x1 = whole_pixel(left);
    long double y1 = whole_pixel(top);
    long double x2 = whole_pixel(right);
    long double y2 = whole_pixel(bottom);
    if (x1 > x2) {
        std::swap(x1, x2);
    }
    if (y1 > y2) {
        std::swap(y1, y2);
    }
    // A circle colours the picture only where its ring crosses it: not when it lies beside the
    // picture, nor when the picture lies wholly inside it.
    const QSize size = picture_->size();
    const long double cx = (x1 + x2) / 2;
    const long double cy = (y1 + y2) / 2;
    const long double radius = std::max(x2 - x1, y2 - y1) / 2;
    const long double w = size.width();
    const long double h = size.height();
    const long double near_x = std::clamp(cx, -kMargin, w + kMargin) - cx;
    const long double near_y = std::clamp(cy, -kMargin, h + kMargin) - cy;
    const long double far_x = std::max(std::fabs(cx + kMargin), std::fabs(w + kMargin - cx));
    const long double far_y = std::max(std::fabs(cy + kMargin), std::fabs(h + kMargin - cy));
    if (std::hypot(near_x, near_y) > radius + kMargin ||
        std::hypot(far_x, far_y) < radius - kMargin) {
        return;
    }
    const long double far = kFarPixel;
    if (x1 < -far || y1 < -far || x2 > far || y2 > far) {
        return;
    }
    const int l = static_cast<int>(x1);
    const int t = static_cast<int>(y1);
    picture_->ellipse(QRect(l, t, static_cast<int>(x2) - l, static_cast<int>(y2) - t));
}

}  // namespace ostrel
