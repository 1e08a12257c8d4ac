// Opening and reading the files the program reads.
#include "core/job_file.h"

#include "core/operation_abandoned.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

namespace ostrel {

QString job_file_failure(const QString& path, const QString& reason) {
    return QStringLiteral("Не удаётся прочитать файл \"%1\": %2").arg(path, reason);
}

int open_regular_file(const QString& path, QString& reason) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        reason = qt_error_string(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = qt_error_string(errno);
    } else if (S_ISDIR(info.st_mode)) {
        reason = qt_error_string(EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        reason = QStringLiteral("это не обычный файл");
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

int open_job_file(const QString& path) {
    QString reason;
    const int fd = open_regular_file(path, reason);
    if (fd < 0) {
        throw OperationAbandoned(job_file_failure(path, reason));
    }
    // A pass reads the file once from its start; a hint, so a refusal changes nothing.
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

QString read_small_file(const QString& path, qint64 most, QByteArray& content) {
    QString reason;
    const int fd = open_regular_file(path, reason);
    if (fd < 0) {
        return reason;
    }
    QByteArray read;
    char block[16384];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            reason = qt_error_string(errno);
            break;
        }
        if (got == 0) {
            break;
        }
        if (read.size() + got > most) {
            reason = QStringLiteral("файл больше %1 КиБ").arg(most / 1024);
            break;
        }
        read.append(block, got);
    }
    ::close(fd);
    if (reason.isEmpty()) {
        content = read;
    }
    return reason;
}

bool job_file_exists(const QString& path, Operator& op, Field field) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (!path.isEmpty() && ::stat(name.constData(), &info) == 0) {
        return true;
    }
    const int reason = errno;
    QString told = QStringLiteral("такого файла не существует");
    if (path.isEmpty() || reason == ENOENT || reason == ENOTDIR) {
        if (!path.isEmpty() && ::lstat(name.constData(), &info) == 0) {
            told = job_file_failure(path, QStringLiteral("ссылка ведёт к файлу, которого нет"));
        } else if (path.contains(QChar::ReplacementCharacter)) {
            // The name came with bytes that are no UTF-8, which the program could not keep.
            told =
                job_file_failure(path, QStringLiteral("в имени файла байты не в кодировке UTF-8"));
        }
    } else {
        told = job_file_failure(path, qt_error_string(reason));
    }
    op.show_message(MessageKind::Error, told);
    op.focus_field(field);
    return false;
}

}  // namespace ostrel
