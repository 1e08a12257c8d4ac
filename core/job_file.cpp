// Job files opened for a reading pass.
#include "core/job_file.h"

#include "core/operation_abandoned.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace ostrel {

QString job_file_failure(const QString& path, const QString& reason) {
    return QStringLiteral("Не удаётся прочитать файл \"%1\": %2").arg(path, reason);
}

int open_job_file(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        throw OperationAbandoned(job_file_failure(path, qt_error_string(errno)));
    }
    struct stat info {};
    QString refusal;
    if (::fstat(fd, &info) != 0) {
        refusal = qt_error_string(errno);
    } else if (S_ISDIR(info.st_mode)) {
        refusal = qt_error_string(EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        refusal = QStringLiteral("это не обычный файл");
    }
    if (!refusal.isEmpty()) {
        ::close(fd);
        throw OperationAbandoned(job_file_failure(path, refusal));
    }
    // A pass reads the file once from its start; a hint, so a refusal changes nothing.
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

bool job_file_exists(const QString& path, Operator& op, Field field) {
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        return true;
    }
    op.show_message(MessageKind::Error, QStringLiteral("такого файла не существует"));
    op.focus_field(field);
    return false;
}

}  // namespace ostrel
