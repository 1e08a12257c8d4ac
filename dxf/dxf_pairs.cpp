// DXF pairs: a code line trimmed and read as a whole number, then its value line as it stands.
#include "dxf/dxf_pairs.h"

#include "core/job_file.h"
#include "core/operation_abandoned.h"

#include <unistd.h>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>

namespace ostrel {

namespace {

constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";

// A value longer than this is shown cut short in a message.
constexpr qsizetype kShownValue = 60;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

int open_text_dxf(const QString& path) {
    const int fd = open_job_file(path);
    char head[kBinarySentinel.size()];
    ssize_t got;
    do {
        got = ::pread(fd, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        const int error = errno;
        ::close(fd);
        throw OperationAbandoned(job_file_failure(path, qt_error_string(error)));
    }
    if (std::string_view(head, static_cast<std::size_t>(got)) == kBinarySentinel) {
        ::close(fd);
        throw OperationAbandoned(
            QStringLiteral("Файл \"%1\" записан как двоичный DXF; нужен текстовый DXF").arg(path));
    }
    return fd;
}

QString shown(std::string_view text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return s.size() > kShownValue ? s.left(kShownValue) + QChar(0x2026) : s;
}

[[noreturn]] void not_a_number(const DxfPair& pair, const QString& path) {
    throw OperationAbandoned(QStringLiteral("В файле \"%1\" в строке %2 вместо числа \"%3\"")
                                 .arg(path)
                                 .arg(pair.line)
                                 .arg(shown(pair.value)));
}

}  // namespace

std::string_view dxf_trimmed(std::string_view value) {
    std::size_t begin = 0;
    std::size_t end = value.size();
    while (begin < end && is_blank(value[begin])) {
        ++begin;
    }
    while (end > begin && is_blank(value[end - 1])) {
        --end;
    }
    return value.substr(begin, end - begin);
}

DxfPairReader::DxfPairReader(const QString& path)
    : DxfPairReader(open_text_dxf(path), path, JobFileLineReader::kFixedBuffer) {}

DxfPairReader::DxfPairReader(int fd, const QString& path, std::size_t buffer_size)
    : path_(path), lines_(fd, path, kDxfPairLineRules, buffer_size) {}

bool DxfPairReader::next(DxfPair& pair) {
    JobFileLineReader::Line line;
    if (!lines_.next(line)) {
        return false;
    }
    ++line_;
    const std::string_view code = dxf_trimmed(line.text);
    int value = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), value);
    if (error != std::errc() || end != code.data() + code.size() || code.empty()) {
        throw OperationAbandoned(
            QStringLiteral("В файле \"%1\" в строке %2 вместо кода группы DXF \"%3\"")
                .arg(path_)
                .arg(line_)
                .arg(shown(line.text)));
    }
    if (!lines_.next(line)) {
        return false;
    }
    ++line_;
    pair = {value, line.text, line_};
    return true;
}

double dxf_real(const DxfPair& pair, const QString& path) {
    std::string_view text = dxf_trimmed(pair.value);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto parse = [&](const char* begin, const char* end) {
        const auto [stop, error] = std::from_chars(begin, end, value);
        return error == std::errc() && stop == end && begin != end;
    };
    bool read = parse(text.data(), text.data() + text.size());
    if (!read && text.size() < 64 && text.find(',') != std::string_view::npos) {
        // A decimal comma, as some writers of the old days put it.
        char copy[64];
        std::replace_copy(text.begin(), text.end(), copy, ',', '.');
        read = parse(copy, copy + text.size());
    }
    if (!read || !std::isfinite(value)) {
        not_a_number(pair, path);
    }
    return value;
}

std::int64_t dxf_integer(const DxfPair& pair, const QString& path) {
    std::string_view text = dxf_trimmed(pair.value);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        // Some writers put a decimal point on whole numbers ("1.0").
        const double real = dxf_real(pair, path);
        if (real != std::trunc(real) || std::fabs(real) > 9e18) {
            not_a_number(pair, path);
        }
        return static_cast<std::int64_t>(real);
    }
    return value;
}

QString dxf_text(std::string_view value, const QString& code_page) {
    const QByteArray bytes(value.data(), static_cast<qsizetype>(value.size()));
    QString text;
    const QString page = code_page.trimmed().toUpper();
    if (page.startsWith(QLatin1String("ANSI_")) && page != QLatin1String("ANSI_65001")) {
        QStringDecoder decode(("windows-" + page.mid(5)).toLatin1().constData());
        text = decode.isValid() ? decode.decode(bytes) : QString::fromLatin1(bytes);
    } else {
        text = QString::fromUtf8(bytes);
    }
    // \U+0416: a character written by its number, as AutoCAD does for those outside the page.
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 7 <= text.size() &&
            text.mid(i, 3).toUpper() == QLatin1String("\\U+")) {
            bool ok = false;
            const uint code = text.mid(i + 3, 4).toUInt(&ok, 16);
            if (ok) {
                out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

}  // namespace ostrel
