// Excellon lines turned into holes and slots in millimetres.
#include "gerber/excellon_reader.h"

#include "core/job_file_lines.h"
#include "core/operation_abandoned.h"
#include "gerber/gerber_file.h"
#include "gerber/gerber_reader.h"

#include <charconv>
#include <cmath>

namespace ostrel {

namespace {

// Lines looked at to tell a drill file from a Gerber file.
constexpr int kSniffedLines = 200;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The digits, point and sign that follow position from, and where they end.
std::string_view number_at(std::string_view text, std::size_t from, std::size_t& end) {
    end = from;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) {
        ++end;
    }
    while (end < text.size() && (is_digit(text[end]) || text[end] == '.')) {
        ++end;
    }
    return text.substr(from, end - from);
}

int whole(std::string_view text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

void refuse_nul(std::string_view text, const QString& path) {
    if (text.find('\0') != std::string_view::npos) {
        throw OperationAbandoned(
            QStringLiteral("Файл \"%1\" не текстовый файл сверловки: в нём нулевые байты")
                .arg(path));
    }
}

}  // namespace

void ExcellonReader::line(std::string_view text, const QString& path) {
    refuse_nul(text, path);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    if (ended_ || text.empty()) {
        return;
    }
    if (text.front() == ';') {
        constexpr std::string_view kFormat = ";FILE_FORMAT=";
        if (starts_with(text, kFormat) && text.size() >= kFormat.size() + 3 &&
            text[kFormat.size() + 1] == ':') {
            integer_ = text[kFormat.size()] - '0';
            decimals_ = text[kFormat.size() + 2] - '0';
            digits_given_ = integer_ >= 0 && integer_ <= 9 && decimals_ >= 0 && decimals_ <= 9;
            if (!digits_given_) {
                integer_ = 2;
                decimals_ = 4;
            }
        }
        return;
    }
    if (text == "M48") {
        in_header_ = true;
        header_seen_ = true;
        return;
    }
    if (in_header_) {
        header_line(text);
    } else {
        body_line(text);
    }
}

void ExcellonReader::header_line(std::string_view text) {
    if (text == "%" || text == "M95") {
        in_header_ = false;
        return;
    }
    if (starts_with(text, "METRIC") || starts_with(text, "INCH")) {
        metric_ = starts_with(text, "METRIC");
        if (!digits_given_) {
            integer_ = metric_ ? 3 : 2;
            decimals_ = metric_ ? 3 : 4;
        }
        std::size_t start = text.find(',');
        while (start != std::string_view::npos) {
            const std::size_t end = text.find(',', start + 1);
            const std::string_view field =
                text.substr(start + 1, end == text.npos ? end : end - start - 1);
            if (field == "LZ") {
                trailing_omitted_ = true;
            } else if (field == "TZ") {
                trailing_omitted_ = false;
            } else if (!field.empty() && field.find_first_not_of("0.") == std::string_view::npos) {
                // "000.000": the zeros count the digits before and after the point.
                const std::size_t point = field.find('.');
                if (point != std::string_view::npos) {
                    integer_ = static_cast<int>(point);
                    decimals_ = static_cast<int>(field.size() - point - 1);
                    digits_given_ = true;
                }
            }
            start = end;
        }
        return;
    }
    if (text == "ICI,ON" || text == "ICI") {
        incremental_ = true;
        return;
    }
    if (text.front() == 'T') {
        tool_statement(text);
        return;
    }
    body_line(text);  // G90, M71 and the like may come early
}

void ExcellonReader::tool_statement(std::string_view text) {
    std::size_t end = 1;
    while (end < text.size() && is_digit(text[end])) {
        ++end;
    }
    const int tool = whole(text.substr(1, end - 1));
    const std::size_t c = text.find('C', end);
    if (c != std::string_view::npos) {
        std::size_t stop = 0;
        const std::string_view size = number_at(text, c + 1, stop);
        tools_[tool] = decimal(size) * unit();
    }
    if (!in_header_) {
        tool_ = tool;
    }
}

void ExcellonReader::assume_header() {
    if (!header_seen_ && !assumed_) {
        assumed_ = true;
        board_.notes.assumptions.append(QStringLiteral(
            "в файле сверловки нет заголовка M48: взяты дюймы, формат 2.4 без ведущих нулей"));
    }
}

double ExcellonReader::number(std::string_view digits) const {
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    double value = 0;
    if (digits.find('.') != std::string_view::npos) {
        value = decimal(digits);
    } else {
        double whole_digits = 0;
        for (const char c : digits) {
            whole_digits = whole_digits * 10 + (c - '0');
        }
        const int length = static_cast<int>(digits.size());
        const int shift = trailing_omitted_ ? std::max(length - integer_, 0) : decimals_;
        value = whole_digits / std::pow(10.0, shift);
    }
    value *= unit();
    return negative ? -value : value;
}

std::size_t ExcellonReader::read_point(std::string_view text, std::size_t from, PointMm& point) {
    std::size_t k = from;
    PointMm p = incremental_ ? PointMm{} : point;
    bool any = false;
    while (k < text.size() && (text[k] == 'X' || text[k] == 'Y')) {
        const char axis = text[k];
        std::size_t end = 0;
        const double v = number(number_at(text, k + 1, end));
        (axis == 'X' ? p.x : p.y) = v;
        any = true;
        k = end;
    }
    if (any) {
        point = incremental_ ? PointMm{point.x + p.x, point.y + p.y} : p;
    }
    return k;
}

void ExcellonReader::body_line(std::string_view text) {
    const char first = text.front();
    if (first == 'T') {
        tool_statement(text);
        return;
    }
    if (first == 'M') {
        const int m = whole(text.substr(1));
        if (m == 30 || m == 0) {
            ended_ = true;
        } else if (m == 71) {
            metric_ = true;
        } else if (m == 72) {
            metric_ = false;
        }
        return;
    }
    if (first == 'G') {
        const int g = whole(text.substr(1));
        if (g == 90) {
            incremental_ = false;
        } else if (g == 91) {
            incremental_ = true;
        } else if (g == 5) {
            routing_ = false;
        } else if (g == 0 || g == 1 || g == 2 || g == 3) {
            // Routing moves the bit along a path; this machine only drills.
            routing_ = true;
            ++board_.notes.routed;
        }
        return;
    }
    if (first != 'X' && first != 'Y') {
        return;
    }
    assume_header();
    if (routing_) {
        ++board_.notes.routed;
        read_point(text, 0, at_);
        return;
    }
    const PointMm start = [&] {
        PointMm p = at_;
        const std::size_t end = read_point(text, 0, p);
        at_ = p;
        if (text.substr(end, 3) == "G85") {
            PointMm finish = p;
            read_point(text, end + 3, finish);
            const auto tool = tools_.find(tool_);
            board_.slots.push_back({p, finish, tool == tools_.end() ? 0.0 : tool->second, tool_});
            at_ = finish;
            return PointMm{NAN, NAN};
        }
        return p;
    }();
    if (std::isnan(start.x)) {
        return;
    }
    const auto tool = tools_.find(tool_);
    board_.holes.push_back({start, tool == tools_.end() ? 0.0 : tool->second, tool_});
}

Board read_excellon_file(const QString& path) {
    Board board;
    ExcellonReader reader(board);
    GerberFileLines lines(path);
    JobFileLineReader::Line line;
    while (!reader.ended() && lines.next(line)) {
        reader.line(line.text, path);
    }
    return board;
}

bool is_drill_file(const QString& path) {
    GerberFileLines lines(path);
    JobFileLineReader::Line line;
    for (int n = 0; n < kSniffedLines && lines.next(line); ++n) {
        const std::string_view text = line.text;
        if (text.empty()) {
            continue;
        }
        if (text == "%") {
            continue;  // the end of a drill header
        }
        if (text.find('*') != std::string_view::npos || text.front() == '%') {
            return false;  // a Gerber block or command
        }
        if (text == "M48" || starts_with(text, ";FILE_FORMAT") || text.front() == 'T' ||
            starts_with(text, "METRIC") || starts_with(text, "INCH")) {
            return true;
        }
        if (text.front() == 'X' || text.front() == 'Y') {
            return true;  // a hit: a Gerber coordinate block would end with '*'
        }
    }
    return false;
}

Board read_board_file(const QString& path) {
    return is_drill_file(path) ? read_excellon_file(path) : read_gerber_file(path);
}

}  // namespace ostrel
