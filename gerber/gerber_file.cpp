// Gerber and drill files read as text, and refused when they are not.
#include "gerber/gerber_file.h"

#include "core/job_file.h"
#include "core/operation_abandoned.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace ostrel {

namespace {

QString binary_file_message(const QString& path) {
    return QStringLiteral("Файл \"%1\" не текстовый Gerber или файл сверления: в нём нулевые байты")
        .arg(path);
}

// The job file opened, its first bytes looked at aside: the pass still starts at 0.
int open_text_file(const QString& path) {
    const int fd = open_job_file(path);
    char head[GerberFileLines::kSniffed];
    ssize_t got;
    do {
        got = ::pread(fd, head, sizeof head, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0 || std::memchr(head, '\0', static_cast<std::size_t>(got)) != nullptr) {
        const QString message =
            got < 0 ? job_file_failure(path, qt_error_string(errno)) : binary_file_message(path);
        ::close(fd);
        throw OperationAbandoned(message);
    }
    return fd;
}

}  // namespace

GerberFileLines::GerberFileLines(const QString& path)
    : path_(path),
      lines_(open_text_file(path), path, kGerberLineRules,
             JobFileLineReader::default_block(kGerberLineRules)) {}

bool GerberFileLines::next(JobFileLineReader::Line& line) {
    if (!lines_.next(line)) {
        return false;
    }
    if (!line.text.empty() && std::memchr(line.text.data(), '\0', line.text.size()) != nullptr) {
        throw OperationAbandoned(binary_file_message(path_));
    }
    return true;
}

}  // namespace ostrel
