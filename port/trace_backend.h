// A back end that writes every register write it passes on into a trace file, one line each.
#pragma once

#include "port/port_backend.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace ostrel {

// Line format: the register address byte as "0x" and two lower-case hex digits, a space, the
// value in decimal ("0x20 19"). Only writes the wrapped back end carried out are traced: the
// trace is what reached the port. Reads are not traced.
class TraceBackend final : public PortBackend {
public:
    TraceBackend(std::unique_ptr<PortBackend> inner, const QString& path);
    // Flushes what is still buffered.
    ~TraceBackend() override;
    TraceBackend(const TraceBackend&) = delete;
    TraceBackend& operator=(const TraceBackend&) = delete;

    // Whether the trace file could be opened; when not, errno of the attempt is in trace_error().
    bool trace_open() const { return file_ != nullptr; }
    int trace_error() const { return trace_error_; }
    // Pushes buffered lines to the file; false if any write to it has failed so far.
    bool flush();

    PortBackend& inner() { return *inner_; }

    bool is_open() const override { return inner_->is_open(); }
    int open_error() const override { return inner_->open_error(); }
    bool read_register(std::uint8_t address, std::uint8_t& value) override;
    bool write_register(std::uint8_t address, std::uint8_t value) override;

    // The trace line of one write, without its line end.
    static QString line(std::uint8_t address, std::uint8_t value);

private:
    std::unique_ptr<PortBackend> inner_;
    std::FILE* file_ = nullptr;
    int trace_error_ = 0;
    bool failed_ = false;
};

}  // namespace ostrel
