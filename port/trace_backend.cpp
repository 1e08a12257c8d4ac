// The trace writer: register writes as lines of text, through an output file.
#include "port/trace_backend.h"

#include <cerrno>
#include <cstdio>
#include <utility>

namespace ostrel {

namespace {

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
    : inner_(std::move(inner)), file_(path, OutputFile::Link::Replaced), opened_(file_.open()) {}

TraceBackend::~TraceBackend() {
    // A program that never asks (the window, at its end) still tells of a trace it lost.
    if (!finished_ && !finish() && opened_) {
        std::fprintf(stderr, "ostrel: the trace could not be written to %s: %s\n",
                     qPrintable(file_.path()), qPrintable(file_.error()));
    }
}

bool TraceBackend::finish() {
    if (!finished_) {
        finished_ = opened_ && file_.commit();
    }
    return *finished_;
}

int TraceBackend::open_error() const {
    return opened_ ? inner_->open_error() : EIO;
}

bool TraceBackend::read_register(std::uint8_t address, std::uint8_t& value) {
    return inner_->read_register(address, value);
}

bool TraceBackend::write_register(std::uint8_t address, std::uint8_t value) {
    const bool ok = inner_->write_register(address, value);
    if (ok && opened_) {
        char text[16];
        const int n = format_line(text, address, value);
        file_.write(text, static_cast<std::size_t>(n));
    }
    return ok;
}

QString TraceBackend::line(std::uint8_t address, std::uint8_t value) {
    char text[16];
    const int n = format_line(text, address, value);
    return QString::fromLatin1(text, n - 1);
}

}  // namespace ostrel
