// A back end that writes every register write it passes on into a trace file, one line each.
#pragma once

#include "port/output_file.h"
#include "port/port_backend.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace ostrel {

// Line format: the register address byte as "0x" and two lower-case hex digits, a space, the
// value in decimal ("0x20 19"). Only writes the wrapped back end carried out are traced: the
// trace is what reached the port. Reads are not traced. The trace is written beside its place
// and put there when it is finished, replacing a link there rather than writing through it, so
// that a trace cut short by a full disk never stands where a whole one is expected.
class TraceBackend final : public PortBackend {
public:
    TraceBackend(std::unique_ptr<PortBackend> inner, const QString& path);
    // Finishes the trace if nobody did, telling on standard error when that fails.
    ~TraceBackend() override;
    TraceBackend(const TraceBackend&) = delete;
    TraceBackend& operator=(const TraceBackend&) = delete;

    // Whether the trace file could be made; when not, trace_error() says why. A back end
    // without its trace is not open: a run asked to leave a trace must not go on without one.
    bool trace_open() const { return opened_; }
    const QString& trace_path() const { return file_.path(); }
    // The system's reason of the first failure to make or write the trace.
    const QString& trace_error() const { return file_.error(); }
    // Writes out what is buffered and puts the trace in its place; false if any write to it
    // failed, the trace then left out. Once only: later calls give the same answer.
    bool finish();

    PortBackend& inner() { return *inner_; }

    bool is_open() const override { return opened_ && inner_->is_open(); }
    int open_error() const override;
    bool read_register(std::uint8_t address, std::uint8_t& value) override;
    bool write_register(std::uint8_t address, std::uint8_t value) override;
    std::vector<AddedPort> added_ports() const override { return inner_->added_ports(); }

    // The trace line of one write, without its line end.
    static QString line(std::uint8_t address, std::uint8_t value);

private:
    std::unique_ptr<PortBackend> inner_;
    OutputFile file_;
    bool opened_ = false;
    std::optional<bool> finished_;
};

}  // namespace ostrel
