// Line reading of job files through one buffer, by the rules of each kind of file.
#include "core/job_file_lines.h"

#include "core/job_file.h"
#include "core/operation_abandoned.h"

#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ostrel {

namespace {

constexpr std::size_t kSmallestFixedBuffer = 16;

std::size_t initial_capacity(LineRules rules, std::size_t block) {
    if (rules.long_line == LineRules::LongLine::SkippedKeepingPrefix) {
        return std::max(block, kSmallestFixedBuffer);
    }
    // The rest of a line crossing a read's end stays while the next read comes in behind it.
    return 2 * std::max<std::size_t>(block, 1);
}

}  // namespace

JobFileLineReader::JobFileLineReader(const QString& path, LineRules rules)
    : JobFileLineReader(open_job_file(path), path, rules, default_block(rules)) {}

JobFileLineReader::JobFileLineReader(int fd, QString path, LineRules rules, std::size_t block,
                                     std::size_t longest_line)
    : fd_(fd),
      path_(std::move(path)),
      rules_(rules),
      block_(std::max<std::size_t>(block, 1)),
      longest_line_(longest_line),
      // Zeroed, slack included, so that no scan ever looks at bytes nobody wrote.
      buffer_(std::make_unique<char[]>(initial_capacity(rules, block) + kSlack)),
      capacity_(initial_capacity(rules, block)) {
    if (skips_long_lines()) {
        prefix_.reserve(kKeptPrefix);
    }
}

JobFileLineReader::~JobFileLineReader() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

inline char* JobFileLineReader::find_line_end(char* from, char* to) const {
    auto* lf = static_cast<char*>(std::memchr(from, '\n', static_cast<std::size_t>(to - from)));
    if (rules_.carriage_return == LineRules::CarriageReturn::Dropped ||
        cr_end_ <= static_cast<std::size_t>(from - buffer_.get())) {
        return lf;
    }
    // A CR is looked for only before the LF, so that each byte is scanned about once.
    char* const bound = lf != nullptr ? lf : to;
    if (auto* cr =
            static_cast<char*>(std::memchr(from, '\r', static_cast<std::size_t>(bound - from)))) {
        return cr;
    }
    return lf;
}

inline void JobFileLineReader::pass_line_end(const char* stop) {
    pos_ = static_cast<std::size_t>(stop - buffer_.get()) + 1;
    // Only a reader whose CRs end lines stops at one; the LF of its CR LF may not be read yet.
    if (*stop == '\r') {
        if (pos_ == end_) {
            skip_lf_ = true;
        } else if (buffer_[pos_] == '\n') {
            ++pos_;
        }
    }
}

void JobFileLineReader::compact() {
    if (pos_ == 0) {
        return;
    }
    std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
    end_ -= pos_;
    cr_end_ = cr_end_ > pos_ ? cr_end_ - pos_ : 0;
    pos_ = 0;
}

void JobFileLineReader::make_room() {
    if (capacity_ - end_ >= block_) {
        return;
    }
    // Doubling keeps the copies few; the longest line and one read bound it.
    const std::size_t grown =
        std::max(end_ + block_, std::min(2 * capacity_, longest_line_ + block_));
    auto bigger = std::make_unique<char[]>(grown + kSlack);
    std::memcpy(bigger.get(), buffer_.get(), end_);
    buffer_ = std::move(bigger);
    capacity_ = grown;
}

void JobFileLineReader::fill(std::size_t request) {
    char* const at = buffer_.get() + end_;
    ssize_t got;
    do {
        got = ::read(fd_, at, request);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        throw OperationAbandoned(job_file_failure(path_, qt_error_string(errno)));
    }
    if (got == 0) {
        eof_ = true;
        return;
    }
    end_ += static_cast<std::size_t>(got);
    if (const void* cr = ::memrchr(at, '\r', static_cast<std::size_t>(got))) {
        cr_end_ = static_cast<std::size_t>(static_cast<const char*>(cr) - buffer_.get()) + 1;
    }
    if (skip_lf_) {
        // The window was empty when the line before ended at a CR: at is where the next begins.
        skip_lf_ = false;
        if (*at == '\n') {
            ++pos_;
        }
    }
}

bool JobFileLineReader::refill() {
    if (eof_) {
        return false;
    }
    compact();
    if (skips_long_lines()) {
        if (end_ == capacity_) {
            return false;
        }
        fill(capacity_ - end_);
    } else {
        if (end_ > longest_line_) {
            return false;
        }
        make_room();
        fill(block_);
    }
    return true;
}

inline std::size_t JobFileLineReader::text_length(char* start, std::size_t length) {
    if (rules_.carriage_return == LineRules::CarriageReturn::EndsLine ||
        cr_end_ <= static_cast<std::size_t>(start - buffer_.get())) {
        return length;
    }
    return drop_carriage_returns(start, length);
}

std::size_t JobFileLineReader::drop_carriage_returns(char* start, std::size_t length) {
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
    return length;
}

JobFileLineReader::Line JobFileLineReader::skip_overlong() {
    prefix_.clear();
    bool more = false;
    // A line holds a CR only where the rules drop CRs, so dropping them here serves both rules.
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
    pos_ = end_ = cr_end_ = 0;
    while (!eof_) {
        fill(capacity_);
        if (end_ == 0) {
            break;
        }
        const char* stop = find_line_end(buffer_.get(), buffer_.get() + end_);
        const std::size_t n = stop ? static_cast<std::size_t>(stop - buffer_.get()) : end_;
        take(buffer_.get(), n);
        if (stop) {
            pass_line_end(stop);
            break;
        }
        pos_ = end_ = cr_end_ = 0;
    }
    return {prefix_, more};
}

void JobFileLineReader::refuse_long_line() const {
    throw OperationAbandoned(job_file_failure(
        path_, QStringLiteral("строка длиннее %1 байт: это не текстовый файл").arg(longest_line_)));
}

bool JobFileLineReader::next(Line& line) {
    std::size_t scanned = 0;  // bytes from pos_ on known to hold no line end
    for (;;) {
        char* const start = buffer_.get() + pos_;
        const std::size_t available = end_ - pos_;
        if (char* stop = find_line_end(start + scanned, buffer_.get() + end_)) {
            const auto length = static_cast<std::size_t>(stop - start);
            pass_line_end(stop);
            line = {std::string_view(start, text_length(start, length)), false};
            return true;
        }
        scanned = available;
        // Checked after every read: a line is refused once a read ends more than the longest line
        // past its start with no end in sight, not only when the whole of it is in.
        if (!skips_long_lines() && available > longest_line_) {
            refuse_long_line();
        }
        if (eof_) {
            if (available == 0) {
                return false;
            }
            pos_ = end_;
            line = {std::string_view(start, text_length(start, available)), false};
            return true;
        }
        compact();
        if (skips_long_lines()) {
            if (end_ == capacity_) {
                line = skip_overlong();
                return true;
            }
            fill(capacity_ - end_);
        } else {
            make_room();
            fill(block_);
        }
    }
}

}  // namespace ostrel
