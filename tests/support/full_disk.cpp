// The full disk of the tests: a small tmpfs of the child's own, or a file-size limit.
#include "tests/support/full_disk.h"

#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <csignal>
#include <cstring>
#include <exception>

namespace ostrel::testing {

namespace {

bool write_text(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok;
}

// A tmpfs at folder that only this process and its children see; false where the system allows
// no mount namespace (the folder is then left as it is).
bool mount_small_disk(const QString& folder) {
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    bool own_ns = uid == 0 && ::unshare(CLONE_NEWNS) == 0;
    if (!own_ns && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
        // Root inside a user namespace of our own, which may mount a tmpfs.
        own_ns = write_text("/proc/self/setgroups", "deny") &&
                 write_text("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
                 write_text("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    return own_ns && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") == 0;
}

int open_filler(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder + u'/' + QLatin1String(kDiskFiller));
    return ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
}

// Writes into the filler until the disk has no byte left.
bool fill(const QString& folder) {
    const int fd = open_filler(folder);
    if (fd < 0) {
        return false;
    }
    const char block[512] = {};
    ssize_t got = 0;
    while ((got = ::write(fd, block, sizeof block)) > 0) {
    }
    const bool full = got < 0 && errno == ENOSPC;
    for (char byte = 0; ::write(fd, &byte, 1) == 1;) {
    }
    ::close(fd);
    return full;
}

std::string in_child(const std::function<void(const QString&)>& prepare,
                     const std::function<std::string(const QString&)>& body,
                     const QString& folder) {
    const bool mounted = mount_small_disk(folder);
    prepare(folder);
    if (mounted) {
        if (!fill(folder)) {
            return "the small disk did not fill up";
        }
    } else {
        // An empty filler, so that the folder holds the same files either way.
        const int filler = open_filler(folder);
        if (filler < 0) {
            return std::string("no filler: ") + std::strerror(errno);
        }
        ::close(filler);
        // Writes past the limit fail with EFBIG instead of the signal that would end the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, 0};
        if (::setrlimit(RLIMIT_FSIZE, &none) != 0) {
            return std::string("no file-size limit: ") + std::strerror(errno);
        }
    }
    return body(folder);
}

}  // namespace

std::string on_full_disk(const std::function<void(const QString&)>& prepare,
                         const std::function<std::string(const QString&)>& body) {
    const TempFolder folder;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return std::string("no pipe: ") + std::strerror(errno);
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return std::string("no child: ") + std::strerror(errno);
    }
    if (child == 0) {
        ::close(report[0]);
        std::string found;
        try {
            found = in_child(prepare, body, folder.path());
        } catch (const std::exception& e) {
            found = e.what();
        }
        const bool sent =
            ::write(report[1], found.data(), found.size()) == static_cast<ssize_t>(found.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(report[1]);
    std::string found;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(report[0], buffer, sizeof buffer)) > 0) {
        found.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        found += " (the child process ended with status " + std::to_string(status) + ")";
    }
    return found;
}

}  // namespace ostrel::testing
