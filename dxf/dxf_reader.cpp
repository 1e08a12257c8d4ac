// The DXF entity reader: the forward scan keyed on whole lines, over the job file line reader.
#include "dxf/dxf_reader.h"

#include "core/job_file.h"
#include "core/number_text.h"
#include "core/operation_abandoned.h"

#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <algorithm>
#include <bit>
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

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Significant integer digits the quick reading takes; more go the general way.
constexpr int kQuickIntegerDigits = 14;

// The plain decimal forms DXF writers use, read without building a QString: blanks around an
// optional sign, digits and one decimal comma (also a point when dot_is_comma, as it is once every
// "." has become ","). False for every other text (exponents, very long numbers, anything that is
// no number), which the general reading decides, being the rule itself.
bool quick_count(std::string_view text, bool dot_is_comma, std::int64_t& count) {
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
    std::uint64_t integer = 0;
    int significant = 0;
    for (; i < n && is_digit(text[i]); ++i) {
        any_digit = true;
        const int d = text[i] - '0';
        if (integer == 0 && d == 0) {
            continue;
        }
        if (++significant > kQuickIntegerDigits) {
            return false;
        }
        integer = integer * 10 + static_cast<std::uint64_t>(d);
    }
    std::uint64_t fraction = 0;
    int decimals = 0;
    int next_digit = -1;
    bool rest_nonzero = false;
    if (i < n && (text[i] == ',' || (dot_is_comma && text[i] == '.'))) {
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
    if (i != n || !any_digit) {
        return false;
    }
    for (; decimals < 4; ++decimals) {
        fraction *= 10;
    }
    std::uint64_t magnitude = integer * 10000 + fraction;
    if (next_digit > 5 || (next_digit == 5 && (rest_nonzero || magnitude % 2 == 1))) {
        ++magnitude;
    }
    count = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

#if defined(__SSE2__)
// The decimals as AutoCAD writes them ("-12.345678": a sign, at most eight integer digits, one
// point or comma, at most sixteen characters), read without a branch per character. Gives
// quick_count's reading of such a text, and false for any other; 32 bytes from text on must be
// readable. The integer and the first four decimals are read eight and four digits at a time.
bool plain_decimal(std::string_view text, std::int64_t& count) {
    const std::size_t n = text.size();
    if (n == 0 || n > 16) {
        return false;
    }
    const char* s = text.data();
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i values = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values);
    const __m128i point = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('.')),
                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8(',')));
    const auto all = static_cast<std::uint32_t>((1u << n) - 1);
    const auto digits = static_cast<std::uint32_t>(_mm_movemask_epi8(digit)) & all;
    const auto points = static_cast<std::uint32_t>(_mm_movemask_epi8(point)) & all;
    const std::uint32_t sign = s[0] == '-' || s[0] == '+' ? 1 : 0;
    if ((digits | points | sign) != all || digits == 0 || (points & (points - 1)) != 0) {
        return false;
    }
    const std::size_t at = points != 0 ? static_cast<std::size_t>(std::countr_zero(points)) : n;
    const std::size_t integer_digits = at - sign;
    if (integer_digits > 8) {
        return false;
    }
    std::uint64_t integer = 0;
    if (integer_digits > 0) {
        // Digit values, the first in the lowest byte; shifted up, the missing ones read as zeros.
        std::uint64_t word;
        std::memcpy(&word, s + sign, sizeof word);
        if constexpr (std::endian::native == std::endian::big) {
            word = __builtin_bswap64(word);
        }
        word = (word - 0x3030303030303030ULL) << (8 * (8 - integer_digits));
        word = word * 10 + (word >> 8);
        integer = (((word & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
                   (((word >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
                  32;
    }
    const std::size_t decimals = points != 0 ? n - at - 1 : 0;
    std::uint64_t fraction = 0;
    if (decimals > 0) {
        std::uint32_t word;
        std::memcpy(&word, s + at + 1, sizeof word);
        if constexpr (std::endian::native == std::endian::big) {
            word = __builtin_bswap32(word);
        }
        word -= 0x30303030u;
        if (decimals < 4) {
            word &= (1u << (8 * decimals)) - 1;  // missing decimals read as zeros
        }
        word = word * 10 + (word >> 8);
        fraction = (word & 0xFF) * 100 + ((word >> 16) & 0xFF);
    }
    std::uint64_t magnitude = integer * 10000 + fraction;
    if (decimals > 4) {
        // Round half to even on the fifth decimal and whether any after it is not zero.
        const int next = s[at + 5] - '0';
        const std::uint32_t zeros = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(values, _mm_setzero_si128())));
        const std::uint32_t rest = all & ~((2u << (at + 5)) - 1);
        if (next > 5 || (next == 5 && ((rest & ~zeros) != 0 || magnitude % 2 == 1))) {
            ++magnitude;
        }
    }
    count =
        s[0] == '-' ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}
#endif

// The LFs and CRs of 64 bytes of text as bit masks, bit i for byte i.
struct BlockMarks {
    std::uint64_t lf = 0;
    std::uint64_t cr = 0;
};

BlockMarks block_marks(const char* p) {
    BlockMarks marks;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const auto lfs = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
        const auto crs = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)));
        marks.lf |= static_cast<std::uint64_t>(lfs) << (16 * i);
        marks.cr |= static_cast<std::uint64_t>(crs) << (16 * i);
    }
#else
    for (int i = 0; i < 64; ++i) {
        marks.lf |= static_cast<std::uint64_t>(p[i] == '\n') << i;
        marks.cr |= static_cast<std::uint64_t>(p[i] == '\r') << i;
    }
#endif
    return marks;
}

// The LFs of the buffered bytes in order, found 64 bytes at a time: taking the next is then a
// bit operation, not a search that has to wait for the end of the line before.
class LineEnds {
public:
    explicit LineEnds(std::string_view window) : window_(window) {}

    // The next LF, or null when the window holds no more whole lines or, from this point on,
    // a CR that no LF follows (lone_cr()). Reads up to 64 bytes past the window's end.
    const char* next() {
        while (lfs_ == 0) {
            if (scanned_ >= window_.size() || lone_cr_) {
                return nullptr;
            }
            block_ = window_.data() + scanned_;
            const std::size_t size = window_.size() - scanned_;
            scanned_ += 64;
            BlockMarks marks = block_marks(block_);
            std::uint64_t before_lf = marks.lf >> 1;
            if (size < 64) {
                const std::uint64_t bytes = (std::uint64_t{1} << size) - 1;
                marks.lf &= bytes;
                // A CR ending the window may have its LF in the next read.
                marks.cr &= bytes >> 1;
            } else if (size == 64) {
                marks.cr &= ~(std::uint64_t{1} << 63);
            } else if (block_[64] == '\n') {
                before_lf |= std::uint64_t{1} << 63;
            }
            if ((marks.cr & ~before_lf) != 0) {
                lone_cr_ = true;
                return nullptr;
            }
            lfs_ = marks.lf;
        }
        const char* lf = block_ + std::countr_zero(lfs_);
        lfs_ &= lfs_ - 1;
        return lf;
    }

    // A CR inside a line is left to the line reader, which drops it.
    bool lone_cr() const { return lone_cr_; }

private:
    std::string_view window_;
    std::size_t scanned_ = 0;  // bytes of the window whose marks have been taken
    const char* block_ = nullptr;
    std::uint64_t lfs_ = 0;  // LFs of the block at block_ not yet handed out
    bool lone_cr_ = false;
};

// An entity's or section's name as the code 0 gives it: a capital letter, then capitals, digits
// and underscores.
bool is_name(std::string_view text) {
    if (text.empty() || text[0] < 'A' || text[0] > 'Z') {
        return false;
    }
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || is_digit(c) || c == '_'; });
}

// The value slot of a three-character line, or -1: " 10", " 20", " 11", " 21".
int value_slot(const char* text) {
    if (text[0] != ' ') {
        return -1;
    }
    const int second = text[2] == '0' ? 0 : text[2] == '1' ? 2 : -1;
    const int first = text[1] == '1' ? 0 : text[1] == '2' ? 1 : -1;
    return second < 0 || first < 0 ? -1 : first + second;
}

}  // namespace

std::optional<std::int64_t> dxf_value_count(std::string_view text) {
    std::int64_t count = 0;
    if (quick_count(text, false, count)) {
        return count;
    }
    return parse_ten_thousandths(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

DxfReader::DxfReader(const QString& path, Entity entity, std::size_t buffer_size)
    : DxfReader(open_job_file(path), path, entity, buffer_size) {}

DxfReader::DxfReader(int fd, const QString& path, Entity entity, std::size_t buffer_size)
    : path_(path), entity_(entity), lines_(fd, path, kDxfLineRules, buffer_size) {
    for (auto& value : values_) {
        value.storage.resize(JobFileLineReader::kKeptPrefix);
    }
    check_text_file(fd);
}

DxfReader::~DxfReader() = default;

void DxfReader::check_text_file(int fd) {
    // The first bytes tell a text DXF from a binary one; read aside, the pass still starts at 0.
    char head[kSniffed];
    ssize_t got;
    do {
        got = ::pread(fd, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        throw OperationAbandoned(job_file_failure(path_, qt_error_string(errno)));
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

QString DxfReader::cut_off_message() const {
    if (unpadded_) {
        return QStringLiteral(
                   "Файл \"%1\" записан с кодами групп без ведущих пробелов (\"10\" вместо "
                   "\" 10\"): в классическом режиме из него ничего не читается; откройте его в "
                   "стандартном режиме")
            .arg(path_);
    }
    return QStringLiteral(
               "Файл \"%1\" кончается посреди примитива %2 (нет закрывающей строки \"  0\"); "
               "этот примитив пропущен")
        .arg(path_, entity_ == Entity::Line ? QStringLiteral("LINE") : QStringLiteral("POINT"));
}

void DxfReader::ValueText::assign(std::string_view line, bool cut, bool padded) {
    too_long = cut || line.size() > JobFileLineReader::kKeptPrefix;
    length = std::min(line.size(), JobFileLineReader::kKeptPrefix);
    if (padded && length <= kShortText) {
        std::memcpy(storage.data(), line.data(), kShortText);
    } else {
        std::memcpy(storage.data(), line.data(), length);
    }
    fresh = true;
}

bool DxfReader::scan_entity(std::string_view marker, int slots) {
    for (;;) {
        switch (quick_entity(marker, slots)) {
            case Quick::Found:
                return true;
            case Quick::NeedMore:
                if (lines_.refill()) {
                    continue;
                }
                break;
            case Quick::LineReader:
                break;
        }
        // The end of the file, an entity larger than the buffer or a lone CR: the line reader
        // takes the entity from wherever the quick scan stopped, at a line's start.
        return line_by_line_entity(marker, slots);
    }
}

DxfReader::Quick DxfReader::quick_entity(std::string_view marker, int slots) {
    // The same steps as line_by_line_entity, on whole lines in the buffer. Nothing of the entity
    // is kept until its closing line has been seen, so that it can be begun again from its
    // marker after a refill, or by the line reader.
    const std::string_view window = lines_.window();
    const char* const begin = window.data();
    LineEnds ends(window);
    const char* lf = nullptr;
    std::size_t length = 0;
    // Finds the end of the line starting at text; its CR LF or LF is no part of its length.
    const auto read = [&](const char* text) {
        lf = ends.next();
        if (lf == nullptr) {
            return false;
        }
        length = static_cast<std::size_t>(lf - text) - (lf > text && lf[-1] == '\r' ? 1 : 0);
        return true;
    };
    const auto is = [&](const char* text, std::string_view key) {
        return length == key.size() && std::memcmp(text, key.data(), key.size()) == 0;
    };
    const auto stopped = [&] { return ends.lone_cr() ? Quick::LineReader : Quick::NeedMore; };

    const char* line = begin;
    for (;;) {
        if (!read(line)) {
            lines_.consume(static_cast<std::size_t>(line - begin));
            return stopped();
        }
        if (is(line, marker)) {
            break;
        }
        line = lf + 1;
    }
    lines_.consume(static_cast<std::size_t>(line - begin));
    const char* const start = line;
    std::string_view found[kSlots];
    bool seen[kSlots] = {};
    line = lf + 1;
    if (!read(line)) {
        return stopped();
    }
    bool at_end = is(line, kEntityEnd);
    while (!at_end) {
        line = lf + 1;
        if (!read(line)) {
            return stopped();
        }
        if (length != 3) {
            continue;
        }
        at_end = is(line, kEntityEnd);
        const int slot = value_slot(line);
        if (slot >= 0 && slot < slots) {
            line = lf + 1;
            if (!read(line)) {
                return stopped();
            }
            found[slot] = std::string_view(line, length);
            seen[slot] = true;
        }
    }
    lines_.consume(static_cast<std::size_t>(lf + 1 - start));
    for (int slot = 0; slot < slots; ++slot) {
        if (seen[slot]) {
            values_[slot].assign(found[slot], false, true);
        }
    }
    return Quick::Found;
}

bool DxfReader::line_by_line_entity(std::string_view marker, int slots) {
    JobFileLineReader::Line line;
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
    bool after_zero = is("0");
    while (!at_end) {
        if (!lines_.next(line)) {
            cut_off_ = true;
            return false;
        }
        at_end = is(kEntityEnd);
        // A "0" line before a name (LINE, ENDSEC, EOF) is the code that opens an entity or ends
        // a section, written without its blanks: such an entity never ends here.
        if (after_zero && !line.cut && is_name(line.text)) {
            unpadded_ = true;
        }
        after_zero = is("0");
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
            values_[slot].assign(line.text, line.cut, false);
        }
    }
    return true;
}

std::int64_t DxfReader::convert(int slot) {
    ValueText& value = values_[slot];
    if (!value.fresh) {
        return value.count;
    }
    if (!value.too_long) {
        // Reading points as commas gives what replacing them first would, without the pass.
        // The storage is kKeptPrefix bytes long, so 32 bytes from its start are readable.
#if defined(__SSE2__)
        if (plain_decimal(value.text(), value.count)) {
            value.fresh = false;
            return value.count;
        }
#endif
        if (quick_count(value.text(), true, value.count)) {
            value.fresh = false;
            return value.count;
        }
        std::replace(value.storage.begin(), value.storage.begin() + value.length, '.', ',');
        if (const auto count = dxf_value_count(value.text())) {
            value.count = *count;
            value.fresh = false;
            return *count;
        }
    } else {
        std::replace(value.storage.begin(), value.storage.begin() + value.length, '.', ',');
    }
    QString shown = QString::fromUtf8(value.storage.data(), static_cast<qsizetype>(value.length));
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

std::optional<DxfLine> DxfReader::next_line_entity() {
    if (entity_ != Entity::Line || !scan_entity("LINE", 4)) {
        return std::nullopt;
    }
    DxfLine line;
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

std::optional<DxfPoint> DxfReader::next_point_entity() {
    if (entity_ != Entity::Point || !scan_entity("POINT", 2)) {
        return std::nullopt;
    }
    DxfPoint point;
    point.q_x = convert(0);
    point.q_y = convert(1);
    point.x = to_mm(point.q_x);
    point.y = to_mm(point.q_y);
    return point;
}

}  // namespace ostrel
