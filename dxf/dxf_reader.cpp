// The DXF entity reader: a buffered line reader and the forward scan keyed on whole lines.
#include "dxf/dxf_reader.h"

#include "motion/number_text.h"
#include "motion/operation_abandoned.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ostrel {

namespace {

constexpr std::string_view kEntityEnd = "  0";
constexpr std::string_view kCode10 = " 10";
constexpr std::string_view kCode20 = " 20";
constexpr std::string_view kCode11 = " 11";
constexpr std::string_view kCode21 = " 21";
constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";

// A value text longer than this is shown cut short in a message: a box as wide as a megabyte of
// text helps nobody.
constexpr qsizetype kShownValueText = 100;

QString read_failure(const QString& path, const QString& reason) {
    return QStringLiteral("Не удаётся прочитать файл \"%1\": %2").arg(path, reason);
}

int open_for_reading(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a FIFO named as the job file can't hold the window on open.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        throw OperationAbandoned(read_failure(path, qt_error_string(errno)));
    }
    struct stat info {};
    int refused = 0;
    if (::fstat(fd, &info) != 0) {
        refused = errno;
    } else if (S_ISDIR(info.st_mode)) {
        refused = EISDIR;
    } else if (!S_ISREG(info.st_mode)) {
        // A device or a pipe may never end, or end only when someone else decides.
        ::close(fd);
        throw OperationAbandoned(read_failure(path, QStringLiteral("это не обычный файл")));
    }
    if (refused != 0) {
        ::close(fd);
        throw OperationAbandoned(read_failure(path, qt_error_string(refused)));
    }
    return fd;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Significant integer digits the quick reading takes; more go the general way.
constexpr int kQuickIntegerDigits = 14;

}  // namespace

DxfLineReader::DxfLineReader(int fd, QString path, std::size_t buffer_size)
    : fd_(fd),
      path_(std::move(path)),
      buffer_(new char[std::max<std::size_t>(buffer_size, 16)]),
      capacity_(std::max<std::size_t>(buffer_size, 16)) {
    prefix_.reserve(kKeptPrefix);
}

DxfLineReader::~DxfLineReader() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void DxfLineReader::fill() {
    ssize_t got;
    do {
        got = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        throw OperationAbandoned(read_failure(path_, qt_error_string(errno)));
    }
    if (got == 0) {
        eof_ = true;
    } else {
        end_ += static_cast<std::size_t>(got);
    }
    // One scan per refill spares every line of a file written with LF alone its own CR search.
    carriage_returns_ = std::memchr(buffer_.get() + pos_, '\r', end_ - pos_) != nullptr;
}

DxfLineReader::Line DxfLineReader::finish(char* start, std::size_t length) {
    if (!carriage_returns_) {
        return {std::string_view(start, length), false};
    }
    if (length > 0 && start[length - 1] == '\r') {
        --length;
    }
    // A lone CR inside the line is dropped; rare, so the line is compacted in place only then.
    if (auto* cr = static_cast<char*>(std::memchr(start, '\r', length))) {
        char* out = cr;
        for (char* p = cr; p < start + length; ++p) {
            if (*p != '\r') {
                *out++ = *p;
            }
        }
        length = static_cast<std::size_t>(out - start);
    }
    return {std::string_view(start, length), false};
}

DxfLineReader::Line DxfLineReader::skip_overlong() {
    prefix_.clear();
    bool more = false;
    const auto take = [&](const char* p, std::size_t n) {
        for (std::size_t i = 0; i < n && !more; ++i) {
            if (p[i] == '\r') {
                continue;
            }
            if (prefix_.size() < kKeptPrefix) {
                prefix_.push_back(p[i]);
            } else {
                more = true;
            }
        }
    };
    take(buffer_.get(), end_);
    pos_ = end_ = 0;
    while (!eof_) {
        fill();
        if (end_ == 0) {
            break;
        }
        const auto* lf = static_cast<const char*>(std::memchr(buffer_.get(), '\n', end_));
        const std::size_t n = lf ? static_cast<std::size_t>(lf - buffer_.get()) : end_;
        take(buffer_.get(), n);
        if (lf) {
            pos_ = n + 1;
            break;
        }
        pos_ = end_ = 0;
    }
    return {prefix_, more};
}

bool DxfLineReader::next(Line& line) {
    for (;;) {
        char* start = buffer_.get() + pos_;
        const std::size_t available = end_ - pos_;
        if (available > 0) {
            if (auto* lf = static_cast<char*>(std::memchr(start, '\n', available))) {
                const auto length = static_cast<std::size_t>(lf - start);
                pos_ += length + 1;
                line = finish(start, length);
                return true;
            }
        }
        if (eof_) {
            if (available == 0) {
                return false;
            }
            pos_ = end_;
            line = finish(start, available);
            return true;
        }
        if (pos_ > 0) {
            std::memmove(buffer_.get(), start, available);
            pos_ = 0;
            end_ = available;
        }
        if (end_ == capacity_) {
            line = skip_overlong();
            return true;
        }
        fill();
    }
}

std::optional<std::int64_t> dxf_value_count(std::string_view text) {
    // The plain decimal forms DXF writers use are read here without building a QString; every
    // other text (exponents, very long numbers, anything that is no number) goes to the general
    // reading, which is the rule itself.
    std::size_t i = 0;
    std::size_t n = text.size();
    while (i < n && is_blank(text[i])) {
        ++i;
    }
    while (n > i && is_blank(text[n - 1])) {
        --n;
    }
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool any_digit = false;
    bool quick = true;
    std::uint64_t integer = 0;
    int significant = 0;
    for (; i < n && is_digit(text[i]) && quick; ++i) {
        any_digit = true;
        const int d = text[i] - '0';
        if (integer == 0 && d == 0) {
            continue;
        }
        quick = ++significant <= kQuickIntegerDigits;
        integer = integer * 10 + static_cast<std::uint64_t>(d);
    }
    std::uint64_t fraction = 0;
    int decimals = 0;
    int next_digit = -1;
    bool rest_nonzero = false;
    if (i < n && text[i] == ',') {
        for (++i; i < n && is_digit(text[i]); ++i) {
            any_digit = true;
            const int d = text[i] - '0';
            if (decimals < 4) {
                fraction = fraction * 10 + static_cast<std::uint64_t>(d);
                ++decimals;
            } else if (next_digit < 0) {
                next_digit = d;
            } else if (d != 0) {
                rest_nonzero = true;
            }
        }
    }
    if (!quick || i != n || !any_digit) {
        return parse_ten_thousandths(
            QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    }
    for (; decimals < 4; ++decimals) {
        fraction *= 10;
    }
    std::uint64_t magnitude = integer * 10000 + fraction;
    if (next_digit > 5 || (next_digit == 5 && (rest_nonzero || magnitude % 2 == 1))) {
        ++magnitude;
    }
    const auto count = static_cast<std::int64_t>(magnitude);
    return negative ? -count : count;
}

bool dxf_file_exists(const QString& path, Operator& op) {
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        return true;
    }
    op.show_message(MessageKind::Error, QStringLiteral("такого файла не существует"));
    op.focus_field(Field::name_files);
    return false;
}

dxf_reader::dxf_reader(const QString& path, Entity entity, std::size_t buffer_size)
    : dxf_reader(open_for_reading(path), path, entity, buffer_size) {}

dxf_reader::dxf_reader(int fd, const QString& path, Entity entity, std::size_t buffer_size)
    : path_(path), entity_(entity), lines_(fd, path, buffer_size) {
    for (auto& value : values_) {
        value.text.reserve(DxfLineReader::kKeptPrefix);
    }
    check_text_file(fd);
}

dxf_reader::~dxf_reader() = default;

void dxf_reader::check_text_file(int fd) {
    // The first bytes tell a text DXF from a binary one; read aside, the pass still starts at 0.
    char head[kSniffed];
    ssize_t got;
    do {
        got = ::pread(fd, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        throw OperationAbandoned(read_failure(path_, qt_error_string(errno)));
    }
    const std::string_view start(head, static_cast<std::size_t>(got));
    if (start.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        throw OperationAbandoned(
            QStringLiteral("Файл \"%1\" записан как двоичный DXF; нужен текстовый DXF").arg(path_));
    }
    // A text DXF holds no NUL byte; a file that starts with one is something else.
    if (start.find('\0') != std::string_view::npos) {
        throw OperationAbandoned(
            QStringLiteral("Файл \"%1\" не текстовый DXF: в нём нулевые байты").arg(path_));
    }
}

QString dxf_reader::cut_off_message() const {
    return QStringLiteral(
               "Файл \"%1\" кончается посреди примитива %2 (нет закрывающей строки \"  0\"); "
               "этот примитив пропущен")
        .arg(path_, entity_ == Entity::Line ? QStringLiteral("LINE") : QStringLiteral("POINT"));
}

bool dxf_reader::scan_entity(std::string_view marker, int slots) {
    DxfLineReader::Line line;
    const auto is = [&](std::string_view text) { return !line.cut && line.text == text; };
    do {
        if (!lines_.next(line)) {
            return false;
        }
    } while (!is(marker));
    // The line after the marker is only tested for the entity's end, never as a value code.
    if (!lines_.next(line)) {
        cut_off_ = true;
        return false;
    }
    bool at_end = is(kEntityEnd);
    while (!at_end) {
        if (!lines_.next(line)) {
            cut_off_ = true;
            return false;
        }
        at_end = is(kEntityEnd);
        int slot = -1;
        if (is(kCode10)) {
            slot = 0;
        } else if (is(kCode20)) {
            slot = 1;
        } else if (slots == 4 && is(kCode11)) {
            slot = 2;
        } else if (slots == 4 && is(kCode21)) {
            slot = 3;
        }
        if (slot >= 0) {
            if (!lines_.next(line)) {
                cut_off_ = true;
                return false;
            }
            ValueText& value = values_[slot];
            value.too_long = line.cut || line.text.size() > DxfLineReader::kKeptPrefix;
            value.text.assign(line.text.substr(0, DxfLineReader::kKeptPrefix));
        }
    }
    return true;
}

std::int64_t dxf_reader::convert(int slot) {
    ValueText& value = values_[slot];
    std::replace(value.text.begin(), value.text.end(), '.', ',');
    if (!value.too_long) {
        if (const auto count = dxf_value_count(value.text)) {
            return *count;
        }
    }
    QString shown = QString::fromUtf8(value.text.data(), static_cast<qsizetype>(value.text.size()));
    if (value.too_long || shown.size() > kShownValueText) {
        shown = shown.left(kShownValueText) + QChar(0x2026);
    }
    throw OperationAbandoned(not_a_number_message(shown));
}

namespace {

double to_mm(std::int64_t count) {
    return static_cast<double>(static_cast<Extended>(count) / 10000.0L);
}

}  // namespace

std::optional<dxf_line> dxf_reader::next_line_entity() {
    if (entity_ != Entity::Line || !scan_entity("LINE", 4)) {
        return std::nullopt;
    }
    dxf_line line;
    line.q_x1 = convert(0);
    line.q_y1 = convert(1);
    line.q_x2 = convert(2);
    line.q_y2 = convert(3);
    line.x1 = to_mm(line.q_x1);
    line.y1 = to_mm(line.q_y1);
    line.x2 = to_mm(line.q_x2);
    line.y2 = to_mm(line.q_y2);
    return line;
}

std::optional<dxf_point> dxf_reader::next_point_entity() {
    if (entity_ != Entity::Point || !scan_entity("POINT", 2)) {
        return std::nullopt;
    }
    dxf_point point;
    point.q_x = convert(0);
    point.q_y = convert(1);
    point.x = to_mm(point.q_x);
    point.y = to_mm(point.q_y);
    return point;
}

}  // namespace ostrel
