// The fuzz input as a file (an anonymous memory file holding the bytes, read from its start), and
// as lines.
#pragma once

#include <sys/mman.h>
#include <unistd.h>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include "core/operation_abandoned.h"

// The descriptor of a memory file named name (for /proc only) that holds data whole, at offset
// 0. Aborts when the system can't make one: that is no finding.
inline int memory_file(const std::uint8_t* data, std::size_t size, const char* name) {
    const int fd = memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) {
        std::abort();
    }
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n <= 0) {
            std::abort();
        }
        written += static_cast<std::size_t>(n);
    }
    if (::lseek(fd, 0, SEEK_SET) != 0) {
        std::abort();
    }
    return fd;
}

// Calls read with a path naming the input as a file, and tells whether read refused it (threw
// OperationAbandoned). The file is gone once this returns.
template <typename Read>
bool refused_as_file(const std::uint8_t* data, std::size_t size, const char* name, Read read) {
    const int fd = memory_file(data, size, name);
    bool refused = false;
    try {
        read(QStringLiteral("/proc/self/fd/%1").arg(fd));
    } catch (const ostrel::OperationAbandoned&) {
        refused = true;
    }
    ::close(fd);
    return refused;
}

// Hands each line of text to take, as job files end them (LF, CR LF or a lone CR), while
// going_on() holds.
template <typename Take, typename GoingOn>
void for_each_line(std::string_view text, Take take, GoingOn going_on) {
    std::size_t start = 0;
    while (start < text.size() && going_on()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        take(text.substr(start, end - start));
        start = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    }
}
