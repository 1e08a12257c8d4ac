// Writing a file through a temporary one beside it.
#include "port/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

namespace ostrel {

namespace {

// A long trace makes millions of small writes; the buffer keeps that to a write call per
// several thousand lines.
constexpr std::size_t kBufferBytes = 1 << 16;
// As the system gives up on a chain of links.
constexpr int kMostLinks = 40;

// The path with every link at its end followed, whether or not the last target exists.
bool follow_links(QString& path) {
    for (int i = 0; i < kMostLinks; ++i) {
        const QFileInfo info(path);
        if (!info.isSymLink()) {
            return true;
        }
        path = info.symLinkTarget();
    }
    return false;
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            if (done == 0) {
                errno = EIO;
            }
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

// Whether the file at fd holds exactly expected.
bool reads_back(int fd, const QByteArray& expected) {
    QByteArray back(expected.size() + 1, '\0');
    qsizetype got = 0;
    while (got < back.size()) {
        const ssize_t n =
            ::pread(fd, back.data() + got, static_cast<std::size_t>(back.size() - got),
                    static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (got != expected.size() ||
        std::memcmp(back.constData(), expected.constData(), static_cast<std::size_t>(got)) != 0) {
        errno = EIO;
        return false;
    }
    return true;
}

}  // namespace

OutputFile::OutputFile(QString path, Link link) : path_(std::move(path)), link_(link) {}

OutputFile::~OutputFile() {
    drop();
}

bool OutputFile::fail(int error_number) {
    if (error_.isEmpty()) {
        error_ = qt_error_string(error_number);
    }
    return false;
}

void OutputFile::drop() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        temporary_.clear();
    }
}

bool OutputFile::open() {
    QString target = path_;
    if (link_ == Link::Followed && !follow_links(target)) {
        return fail(ELOOP);
    }
    final_path_ = QFile::encodeName(target);
    struct stat info {};
    const bool exists = ::stat(final_path_.constData(), &info) == 0;
    had_target_ = (exists && S_ISREG(info.st_mode)) || QFileInfo(path_).isSymLink();
    if (exists && S_ISDIR(info.st_mode)) {
        return fail(EISDIR);
    }
    buffer_ = std::make_unique<char[]>(kBufferBytes);
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or a pipe takes the bytes as they come; nothing stands there to be kept.
        fd_ = ::open(final_path_.constData(), O_WRONLY | O_CLOEXEC);
        return fd_ >= 0 || fail(errno);
    }
    const QFileInfo place(target);
    const QByteArray stem =
        QFile::encodeName(place.absolutePath()) + "/." + QFile::encodeName(place.fileName());
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ =
            stem + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        // Created as any new file would be (the umask applies); a file replaced keeps its mode.
        fd_ = ::open(temporary_.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        const int reason = errno;
        temporary_.clear();
        return fail(reason);
    }
    if (exists && ::fchmod(fd_, info.st_mode & 07777) != 0) {
        const int reason = errno;
        drop();
        return fail(reason);
    }
    return true;
}

bool OutputFile::write_out() {
    if (buffered_ > 0 && !write_all(fd_, buffer_.get(), buffered_)) {
        buffered_ = 0;
        return fail(errno);
    }
    buffered_ = 0;
    return true;
}

bool OutputFile::write(const char* data, std::size_t size) {
    if (fd_ < 0 || !error_.isEmpty()) {
        return false;
    }
    if (buffered_ + size > kBufferBytes) {
        if (!write_out()) {
            return false;
        }
        if (size > kBufferBytes) {
            return write_all(fd_, data, size) || fail(errno);
        }
    }
    std::memcpy(buffer_.get() + buffered_, data, size);
    buffered_ += size;
    return true;
}

bool OutputFile::commit(const QByteArray* expected) {
    if (fd_ < 0) {
        return fail(EBADF);
    }
    if (!error_.isEmpty() || !write_out()) {
        drop();
        return false;
    }
    if (temporary_.isEmpty()) {
        const int closed = ::close(fd_);
        fd_ = -1;
        return closed == 0 || fail(errno);
    }
    // Some file systems tell of a full disk only when the data goes out, or at the close.
    if (::fsync(fd_) != 0 || (expected != nullptr && !reads_back(fd_, *expected))) {
        const int reason = errno;
        drop();
        return fail(reason);
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 || ::rename(temporary_.constData(), final_path_.constData()) != 0) {
        const int reason = errno;
        drop();
        return fail(reason);
    }
    temporary_.clear();
    return true;
}

QString write_whole_file(const QString& path, const QByteArray& content, OutputFile::Link link,
                         bool* had_target) {
    OutputFile file(path, link);
    const bool written =
        file.open() && file.write(content.constData(), static_cast<std::size_t>(content.size())) &&
        file.commit(&content);
    if (had_target != nullptr) {
        *had_target = file.had_target();
    }
    return written ? QString() : file.error();
}

}  // namespace ostrel
