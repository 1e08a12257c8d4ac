// Block-wise line reading of job files, safe against folders, devices and pipes named as a file.
#include "core/job_file_lines.h"

#include "core/job_file.h"
#include "core/operation_abandoned.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ostrel {

namespace {}  // namespace

JobFileLineReader::JobFileLineReader(const QString& path)
    : JobFileLineReader(open_job_file(path), path) {}

JobFileLineReader::JobFileLineReader(int fd, QString path, std::size_t block,
                                     std::size_t longest_line)
    : fd_(fd),
      path_(std::move(path)),
      block_(std::max<std::size_t>(block, 1), '\0'),
      longest_line_(longest_line) {}

JobFileLineReader::~JobFileLineReader() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool JobFileLineReader::fill() {
    if (eof_) {
        return false;
    }
    for (;;) {
        const ssize_t got = ::read(fd_, block_.data(), block_.size());
        if (got > 0) {
            pos_ = 0;
            end_ = static_cast<std::size_t>(got);
            return true;
        }
        if (got == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) {
            throw OperationAbandoned(job_file_failure(path_, qt_error_string(errno)));
        }
    }
}

bool JobFileLineReader::next(std::string_view& line) {
    long_line_.clear();
    bool any = false;  // something of a line was seen: even an empty line counts once its end is
    for (;;) {
        if (pos_ == end_ && !fill()) {
            if (any) {
                line = long_line_;
                return true;
            }
            return false;
        }
        if (skip_lf_) {
            skip_lf_ = false;
            if (block_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        const char* start = block_.data() + pos_;
        const std::size_t left = end_ - pos_;
        // A CR is looked for only before the LF, so that each byte is scanned about once.
        const char* stop = static_cast<const char*>(std::memchr(start, '\n', left));
        const std::size_t before_lf =
            stop == nullptr ? left : static_cast<std::size_t>(stop - start);
        if (const void* cr = std::memchr(start, '\r', before_lf)) {
            stop = static_cast<const char*>(cr);
        }
        if (stop == nullptr) {
            // The line goes on in the next block.
            if (long_line_.size() + left > longest_line_) {
                throw OperationAbandoned(job_file_failure(
                    path_, QStringLiteral("строка длиннее %1 байт: это не текстовый файл")
                               .arg(longest_line_)));
            }
            long_line_.append(start, left);
            pos_ = end_;
            any = true;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(stop - start);
        skip_lf_ = *stop == '\r';
        pos_ += length + 1;
        if (long_line_.empty()) {
            line = std::string_view(start, length);
        } else {
            long_line_.append(start, length);
            line = long_line_;
        }
        return true;
    }
}

}  // namespace ostrel
