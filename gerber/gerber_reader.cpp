// Gerber blocks and extended commands turned into tracks, arcs, pads and regions in millimetres.
#include "gerber/gerber_reader.h"

#include "core/job_file_lines.h"
#include "core/operation_abandoned.h"
#include "gerber/aperture_shape.h"
#include "gerber/gerber_file.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

namespace ostrel {

namespace {

constexpr double kPi = std::numbers::pi;
// A block longer than this is no Gerber block: the rest of it is dropped rather than kept, so
// that a file without '*' does not grow the reader's memory with its size.
constexpr std::size_t kLongestBlock = 1 << 20;
// Arcs inside regions become lines straying no more than this (mm) from the arc.
constexpr double kRegionArcTolerance = 0.001;
// End points nearer than this (mm) are one point: a full circle in multi-quadrant mode.
constexpr double kSamePoint = 1e-9;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The whole number at the start of text (digits after an optional sign), and its length.
int whole_number(std::string_view text, std::size_t& length) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    while (i < text.size() && is_digit(text[i])) {
        ++i;
    }
    length = i;
    long long value = 0;
    const char* first = text.data() + (i > 0 && text[0] == '+' ? 1 : 0);
    const auto result = std::from_chars(first, text.data() + i, value);
    if (result.ec != std::errc()) {
        return result.ec == std::errc::result_out_of_range ? -1 : 0;
    }
    return value > 1'000'000'000 || value < -1'000'000'000 ? -1 : static_cast<int>(value);
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            break;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

// The sweep from a to b around c, in the given sense, within (0, 2 pi]; 0 when they coincide.
double sweep_between(PointMm a, PointMm b, PointMm c, bool clockwise) {
    const double a0 = std::atan2(a.y - c.y, a.x - c.x);
    const double a1 = std::atan2(b.y - c.y, b.x - c.x);
    double sweep = a1 - a0;
    if (clockwise) {
        while (sweep >= 0) {
            sweep -= 2 * kPi;
        }
        while (sweep < -2 * kPi) {
            sweep += 2 * kPi;
        }
    } else {
        while (sweep <= 0) {
            sweep += 2 * kPi;
        }
        while (sweep > 2 * kPi) {
            sweep -= 2 * kPi;
        }
    }
    return sweep;
}

BoardLevel translated(const BoardLevel& level, double dx, double dy) {
    const auto move = [dx, dy](PointMm p) { return PointMm{p.x + dx, p.y + dy}; };
    BoardLevel out;
    out.clear = level.clear;
    out.tracks = level.tracks;
    for (Track& t : out.tracks) {
        t.from = move(t.from);
        t.to = move(t.to);
    }
    out.arcs = level.arcs;
    for (ArcTrack& a : out.arcs) {
        a.from = move(a.from);
        a.to = move(a.to);
        a.centre = move(a.centre);
    }
    out.pads = level.pads;
    for (Pad& p : out.pads) {
        p.at = move(p.at);
    }
    out.regions = level.regions;
    for (Region& r : out.regions) {
        for (PointMm& p : r.contour) {
            p = move(p);
        }
    }
    return out;
}

void append(BoardLevel& to, BoardLevel&& from) {
    to.tracks.insert(to.tracks.end(), from.tracks.begin(), from.tracks.end());
    to.arcs.insert(to.arcs.end(), from.arcs.begin(), from.arcs.end());
    to.pads.insert(to.pads.end(), from.pads.begin(), from.pads.end());
    for (Region& r : from.regions) {
        to.regions.push_back(std::move(r));
    }
}

// Powers of ten up to 10^22 are exact doubles: the table gives what pow gives.
constexpr std::array<double, 23> kTens = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The bytes that end a run of a block's characters: NUL, '%', '*' and white space.
constexpr std::array<bool, 256> kEndsRun = [] {
    std::array<bool, 256> ends{};
    for (const unsigned char c : {'\0', '%', '*', ' ', '\t', '\r', '\n'}) {
        ends[c] = true;
    }
    return ends;
}();

// Where the run of a block's characters starting at from ends: at the next byte that ends one,
// or at the text's end.
std::size_t run_of_block_characters(std::string_view text, std::size_t from) {
    while (from < text.size() && !kEndsRun[static_cast<unsigned char>(text[from])]) {
        ++from;
    }
    return from;
}

}  // namespace

void GerberReader::feed(std::string_view text, const QString& path) {
    std::size_t at = 0;
    while (at < text.size() && !ended_) {
        // The block's own characters, a run at a time: all but a few bytes of a board are those.
        const std::size_t run_end = run_of_block_characters(text, at);
        if (run_end > at) {
            const std::size_t room = kLongestBlock - std::min(block_.size(), kLongestBlock);
            block_.append(text.substr(at, std::min(run_end - at, room)));
            at = run_end;
            continue;
        }
        switch (text[at++]) {
            case '\0':
                throw OperationAbandoned(
                    QStringLiteral("Файл \"%1\" не текстовый Gerber: в нём нулевые байты")
                        .arg(path));
            case '%':
                if (in_command_) {
                    if (!block_.empty()) {
                        command_.push_back(block_);
                    }
                    extended(command_);
                    command_.clear();
                } else {
                    command_.clear();
                }
                block_.clear();
                in_command_ = !in_command_;
                break;
            case '*':
                if (in_command_) {
                    command_.push_back(block_);
                } else {
                    data_block(block_);
                }
                block_.clear();
                break;
            default:  // white space, which no block keeps
                break;
        }
    }
}

void GerberReader::finish() {
    if (region_) {
        close_contour();
        region_ = false;
    }
    if (repeating_) {
        end_repeat();
    }
}

void GerberReader::assume_format() {
    if (!format_given_ && !format_assumed_) {
        format_assumed_ = true;
        board_.notes.assumptions.append(
            QStringLiteral("формат координат не задан (%FS): взят 2.4 без ведущих нулей"));
    }
}

void GerberReader::assume_units() {
    if (!units_given_ && !units_assumed_) {
        units_assumed_ = true;
        board_.notes.assumptions.append(
            QStringLiteral("единицы не заданы (%MO, G70, G71): взяты дюймы"));
    }
}

double GerberReader::coordinate(std::string_view text, bool y_axis) {
    assume_format();
    assume_units();
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0;
    if (text.find('.') != std::string_view::npos) {
        value = decimal(text);
    } else {
        const int integer = y_axis ? format_.integer_y : format_.integer_x;
        const int decimals = y_axis ? format_.decimals_y : format_.decimals_x;
        double digits = 0;
        for (const char c : text) {
            digits = digits * 10 + (c - '0');
        }
        const int length = static_cast<int>(text.size());
        // Leading zeros omitted: the last digits are the decimals. Trailing zeros omitted: the
        // first digits are the integer part, however many decimals follow.
        const int shift = format_.trailing && length > 0 ? std::max(length - integer, 0) : decimals;
        const bool in_table = shift >= 0 && shift < static_cast<int>(kTens.size());
        value =
            digits / (in_table ? kTens[static_cast<std::size_t>(shift)] : std::pow(10.0, shift));
    }
    value *= unit();
    return negative ? -value : value;
}

BoardLevel& GerberReader::target() {
    if (repeating_) {
        return level_in(repeated_, clear_);
    }
    if (board_.levels.empty() && expected_bytes_ > 0) {
        // Tracks, which most of a board is: as many as the file would hold in lines as CAD
        // programs write them, about 20 bytes a track; a larger board grows from there. Flashes
        // and arcs are fewer: room for a quarter and an eighth as many. Room for all of them
        // too, freed after each preview, would be handed back to the system and taken again
        // every time.
        const auto bytes =
            static_cast<std::size_t>(std::min<std::int64_t>(expected_bytes_, 256 << 20));
        BoardLevel& first = board_.level(clear_);
        first.tracks.reserve(bytes / 20);
        first.pads.reserve(bytes / 80);
        first.arcs.reserve(bytes / 160);
        return first;
    }
    return board_.level(clear_);
}

void GerberReader::data_block(std::string_view block) {
    int g = -1;
    int d = -1;
    const char* const begin = block.data();
    std::string_view x, y, i, j;
    bool has_x = false, has_y = false, has_i = false, has_j = false;
    std::size_t at = 0;
    while (at < block.size()) {
        const char letter = block[at++];
        std::size_t length = 0;
        const std::string_view rest = block.substr(at);
        switch (letter) {
            case 'G': {
                g = whole_number(rest, length);
                at += length;
                if (g == 4) {
                    return;  // a comment
                }
                switch (g) {
                    case 1:
                    case 2:
                    case 3:
                        interpolation_ = g;
                        break;
                    case 74:
                        multi_quadrant_ = false;
                        break;
                    case 75:
                        multi_quadrant_ = true;
                        break;
                    case 36:
                        region_ = true;
                        contour_.clear();
                        break;
                    case 37:
                        close_contour();
                        region_ = false;
                        break;
                    case 70:
                        inches_ = true;
                        units_given_ = true;
                        break;
                    case 71:
                        inches_ = false;
                        units_given_ = true;
                        break;
                    case 90:
                        format_.incremental = false;
                        break;
                    case 91:
                        format_.incremental = true;
                        break;
                    default:
                        break;
                }
                break;
            }
            case 'D':
                d = whole_number(rest, length);
                at += length;
                break;
            case 'M': {
                const int m = whole_number(rest, length);
                at += length;
                if (m == 2 || m == 0) {
                    ended_ = true;
                    return;
                }
                break;
            }
            case 'N':
                whole_number(rest, length);
                at += length;
                break;
            case 'X':
            case 'Y':
            case 'I':
            case 'J': {
                std::size_t end = at;
                if (end < block.size() && (block[end] == '+' || block[end] == '-')) {
                    ++end;
                }
                while (end < block.size() && (is_digit(block[end]) || block[end] == '.')) {
                    ++end;
                }
                const std::string_view number(begin + at, end - at);
                at = end;
                if (letter == 'X') {
                    x = number, has_x = true;
                } else if (letter == 'Y') {
                    y = number, has_y = true;
                } else if (letter == 'I') {
                    i = number, has_i = true;
                } else {
                    j = number, has_j = true;
                }
                break;
            }
            default:
                break;
        }
    }
    if (d >= 10) {
        aperture_ = d;
        return;
    }
    if (d >= 1 && d <= 3) {
        operation_ = d;
    }
    const bool coordinates = has_x || has_y || has_i || has_j;
    if (!coordinates && !(d >= 1 && d <= 3)) {
        return;
    }
    PointMm to = at_;
    if (has_x) {
        const double v = coordinate(x, false);
        to.x = format_.incremental ? at_.x + v : v;
    }
    if (has_y) {
        const double v = coordinate(y, true);
        to.y = format_.incremental ? at_.y + v : v;
    }
    const double iv = has_i ? coordinate(i, false) : 0;
    const double jv = has_j ? coordinate(j, true) : 0;
    operate(operation_, to, iv, jv, has_i || has_j);
    at_ = to;
}

void GerberReader::operate(int operation, PointMm to, double i, double j, bool has_ij) {
    if (block_depth_ > 0) {
        return;
    }
    const bool arc = interpolation_ != 1 && has_ij;
    if (region_) {
        if (operation == 2) {
            close_contour();
        } else if (operation == 1) {
            if (contour_.empty()) {
                contour_.push_back(at_);
            }
            if (arc) {
                add_arc(at_, to, i, j);
            } else {
                contour_.push_back(to);
            }
        }
        return;
    }
    if (operation != 1 && operation != 3) {
        return;
    }
    const auto found = apertures_.find(aperture_);
    if (found == apertures_.end()) {
        ++board_.notes.unknown_apertures;
        return;
    }
    const std::uint32_t index = found->second;
    if (operation == 3) {
        if (board_.apertures[index].block) {
            ++board_.notes.aperture_blocks;
            return;
        }
        target().pads.push_back({to, index});
        return;
    }
    if (arc) {
        ArcTrack track{at_, to, {}, 0, index};
        if (arc_geometry(at_, to, i, j, track.centre, track.sweep)) {
            target().arcs.push_back(track);
            return;
        }
        // No quarter arc fits the ends: the file is wrong there; a straight track.
    }
    target().tracks.push_back({at_, to, index});
}

bool GerberReader::arc_geometry(PointMm from, PointMm to, double i, double j, PointMm& centre,
                                double& sweep) const {
    const bool clockwise = interpolation_ == 2;
    if (multi_quadrant_) {
        centre = {from.x + i, from.y + j};
        sweep = std::hypot(to.x - from.x, to.y - from.y) <= kSamePoint
                    ? (clockwise ? -2 * kPi : 2 * kPi)
                    : sweep_between(from, to, centre, clockwise);
        return true;
    }
    // Single quadrant: the centre is the one of four whose quarter arc fits the two ends best.
    double best = -1;
    for (int sx = -1; sx <= 1; sx += 2) {
        for (int sy = -1; sy <= 1; sy += 2) {
            const PointMm c{from.x + sx * std::fabs(i), from.y + sy * std::fabs(j)};
            const double s = sweep_between(from, to, c, clockwise);
            const double misfit = std::fabs(std::hypot(from.x - c.x, from.y - c.y) -
                                            std::hypot(to.x - c.x, to.y - c.y));
            if (std::fabs(s) <= kPi / 2 + 1e-6 && (best < 0 || misfit < best)) {
                best = misfit;
                centre = c;
                sweep = s;
            }
        }
    }
    return best >= 0;
}

// An arc of a region's contour, made into short lines.
void GerberReader::add_arc(PointMm from, PointMm to, double i, double j) {
    PointMm centre;
    double sweep = 0;
    if (!arc_geometry(from, to, i, j, centre, sweep)) {
        contour_.push_back(to);
        return;
    }
    const std::vector<PointMm> points = arc_points(from, to, centre, sweep, kRegionArcTolerance);
    contour_.insert(contour_.end(), points.begin() + 1, points.end());
}

void GerberReader::close_contour() {
    if (contour_.size() >= 3 && block_depth_ == 0) {
        if (contour_.front() == contour_.back()) {
            contour_.pop_back();
        }
        Region region;
        region.contour = std::move(contour_);
        orient(region.contour, true);
        target().regions.push_back(std::move(region));
    }
    contour_.clear();
}

void GerberReader::extended(const std::vector<std::string>& blocks) {
    if (blocks.empty() || blocks.front().size() < 2) {
        return;
    }
    const std::string_view first = blocks.front();
    const std::string_view code = first.substr(0, 2);
    if (code == "AM") {
        const std::string name(first.substr(2));
        std::vector<std::string> statements(blocks.begin() + 1, blocks.end());
        macros_.insert_or_assign(name, ApertureMacro(std::move(statements)));
        return;
    }
    for (const std::string& block : blocks) {
        const std::string_view b = block;
        if (b.size() < 2) {
            continue;
        }
        const std::string_view c = b.substr(0, 2);
        if (c == "FS") {
            format_statement(b.substr(2));
        } else if (c == "MO") {
            inches_ = b.substr(2) != "MM";
            units_given_ = true;
        } else if (c == "AD") {
            aperture_definition(b.substr(2));
        } else if (c == "LP") {
            clear_ = b.substr(2) == "C";
        } else if (c == "SR") {
            begin_repeat(b.substr(2));
        } else if (c == "AB") {
            if (b.size() > 2) {
                // The block's D code becomes an aperture no job draws; its contents are skipped.
                std::size_t length = 0;
                const int d = whole_number(b.substr(3), length);
                ApertureShape shape;
                shape.block = true;
                board_.apertures.push_back(shape);
                apertures_[d] = static_cast<std::uint32_t>(board_.apertures.size() - 1);
                ++block_depth_;
            } else if (block_depth_ > 0) {
                --block_depth_;
            }
        }
        // Attributes (TF, TA, TO, TD), names (IN, LN) and the image statements of old writers
        // (IP, OF, SF, AS, IR, MI) change nothing this reader draws.
    }
}

void GerberReader::format_statement(std::string_view text) {
    format_given_ = true;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c == 'L') {
            format_.trailing = false;
        } else if (c == 'T') {
            format_.trailing = true;
        } else if (c == 'A') {
            format_.incremental = false;
        } else if (c == 'I') {
            format_.incremental = true;
        } else if ((c == 'X' || c == 'Y') && k + 2 < text.size() + 0 && is_digit(text[k + 1]) &&
                   is_digit(text[k + 2])) {
            const int integer = text[k + 1] - '0';
            const int decimals = text[k + 2] - '0';
            (c == 'X' ? format_.integer_x : format_.integer_y) = integer;
            (c == 'X' ? format_.decimals_x : format_.decimals_y) = decimals;
            k += 2;
        }
    }
}

void GerberReader::aperture_definition(std::string_view text) {
    if (text.empty() || text.front() != 'D') {
        return;
    }
    std::size_t length = 0;
    const int d = whole_number(text.substr(1), length);
    if (length == 0 || d < 10) {
        return;
    }
    std::string_view rest = text.substr(1 + length);
    const std::size_t comma = rest.find(',');
    const std::string_view name = rest.substr(0, comma);
    std::vector<double> values;
    if (comma != std::string_view::npos) {
        for (std::string_view v : split(rest.substr(comma + 1), 'X')) {
            values.push_back(decimal(v));
        }
    }
    const auto value = [&values](std::size_t k) { return k < values.size() ? values[k] : 0.0; };
    assume_units();
    const double u = unit();
    ApertureShape shape;
    if (name == "C") {
        shape = circle_aperture(value(0) * u, value(1) * u);
    } else if (name == "R") {
        shape = rectangle_aperture(value(0) * u, value(1) * u, value(2) * u);
    } else if (name == "O") {
        shape = obround_aperture(value(0) * u, value(1) * u, value(2) * u);
    } else if (name == "P") {
        shape = polygon_aperture(value(0) * u, static_cast<int>(value(1)), value(2), value(3) * u);
    } else if (const auto macro = macros_.find(name); macro != macros_.end()) {
        shape = macro->second.shape(values, u, board_.notes.unknown_primitives);
    } else {
        ++board_.notes.unknown_primitives;
    }
    board_.apertures.push_back(std::move(shape));
    apertures_[d] = static_cast<std::uint32_t>(board_.apertures.size() - 1);
}

void GerberReader::begin_repeat(std::string_view text) {
    if (repeating_) {
        end_repeat();
    }
    Repeat r;
    std::size_t k = 0;
    while (k < text.size()) {
        const char c = text[k++];
        std::size_t end = k;
        while (end < text.size() &&
               (is_digit(text[end]) || text[end] == '.' || text[end] == '-' || text[end] == '+')) {
            ++end;
        }
        const std::string_view number = text.substr(k, end - k);
        k = end;
        if (c == 'X') {
            r.x = static_cast<int>(std::clamp(decimal(number), 1.0, 10000.0));
        } else if (c == 'Y') {
            r.y = static_cast<int>(std::clamp(decimal(number), 1.0, 10000.0));
        } else if (c == 'I') {
            r.dx = decimal(number) * unit();
        } else if (c == 'J') {
            r.dy = decimal(number) * unit();
        }
    }
    if (r.x == 1 && r.y == 1) {
        return;  // one copy: what follows is drawn as it is
    }
    repeating_ = true;
    repeat_ = r;
    repeated_.clear();
}

void GerberReader::end_repeat() {
    repeating_ = false;
    long long per_copy = 0;
    for (const BoardLevel& level : repeated_) {
        per_copy +=
            static_cast<long long>(level.tracks.size() + level.arcs.size() + level.pads.size());
        for (const Region& r : level.regions) {
            per_copy += static_cast<long long>(r.contour.size());
        }
    }
    const long long copies = static_cast<long long>(repeat_.x) * repeat_.y;
    // The first copy is read already; the others as many as fit, row by row.
    const long long drawn =
        per_copy == 0 ? 0 : std::min(copies, std::max(1LL, kMostRepeated / per_copy));
    if (drawn < copies && per_copy > 0) {
        board_.notes.assumptions.append(
            QStringLiteral("шаг и повтор (%SR): нарисовано копий %1 из %2, больше не уместить")
                .arg(drawn)
                .arg(copies));
    }
    long long made = 0;
    for (int row = 0; row < repeat_.y && made < drawn; ++row) {
        for (int column = 0; column < repeat_.x && made < drawn; ++column, ++made) {
            for (const BoardLevel& level : repeated_) {
                append(board_.level(level.clear),
                       translated(level, column * repeat_.dx, row * repeat_.dy));
            }
        }
    }
    repeated_.clear();
}

Board read_gerber_file(const QString& path) {
    Board board;
    GerberReader reader(board);
    reader.expect_bytes(QFileInfo(path).size());
    GerberFileLines lines(path);
    JobFileLineReader::Line line;
    while (!reader.ended() && lines.next(line)) {
        reader.feed(line.text, path);
    }
    reader.finish();
    return board;
}

double decimal(std::string_view text) {
    double value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    std::from_chars(first, last, value, std::chars_format::fixed);
    return std::isfinite(value) ? value : 0;
}

}  // namespace ostrel
