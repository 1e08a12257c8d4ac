// The trace writer: buffered lines of register writes.
#include "port/trace_backend.h"

#include <QFile>
#include <cerrno>
#include <utility>

namespace ostrel {

namespace {

// A long job makes millions of writes; the stream's buffer keeps that to a write call per
// several thousand lines.
constexpr std::size_t TRACE_BUFFER_BYTES = 1 << 16;

constexpr char HEX_DIGITS[] = "0123456789abcdef";

// "0xAA V\n" into out; returns the length.
int format_line(char* out, std::uint8_t address, std::uint8_t value) {
    int n = 0;
    out[n++] = '0';
    out[n++] = 'x';
    out[n++] = HEX_DIGITS[address >> 4];
    out[n++] = HEX_DIGITS[address & 0x0F];
    out[n++] = ' ';
    if (value >= 100) {
        out[n++] = static_cast<char>('0' + value / 100);
    }
    if (value >= 10) {
        out[n++] = static_cast<char>('0' + value / 10 % 10);
    }
    out[n++] = static_cast<char>('0' + value % 10);
    out[n++] = '\n';
    return n;
}

}  // namespace

TraceBackend::TraceBackend(std::unique_ptr<PortBackend> inner, const QString& path)
    : inner_(std::move(inner)) {
    errno = 0;
    file_ = std::fopen(QFile::encodeName(path).constData(), "w");
    if (file_ == nullptr) {
        trace_error_ = errno != 0 ? errno : EIO;
        return;
    }
    std::setvbuf(file_, nullptr, _IOFBF, TRACE_BUFFER_BYTES);
}

TraceBackend::~TraceBackend() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool TraceBackend::flush() {
    if (file_ != nullptr && std::fflush(file_) != 0) {
        failed_ = true;
    }
    return !failed_ && file_ != nullptr;
}

bool TraceBackend::read_register(std::uint8_t address, std::uint8_t& value) {
    return inner_->read_register(address, value);
}

bool TraceBackend::write_register(std::uint8_t address, std::uint8_t value) {
    const bool ok = inner_->write_register(address, value);
    if (ok && file_ != nullptr) {
        char text[16];
        const int n = format_line(text, address, value);
        if (std::fwrite(text, 1, static_cast<std::size_t>(n), file_) !=
            static_cast<std::size_t>(n)) {
            failed_ = true;
        }
    }
    return ok;
}

QString TraceBackend::line(std::uint8_t address, std::uint8_t value) {
    char text[16];
    const int n = format_line(text, address, value);
    return QString::fromLatin1(text, n - 1);
}

}  // namespace ostrel
