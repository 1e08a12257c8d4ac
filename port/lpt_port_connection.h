// The program's single way to the parallel-port registers: batches, single registers, the probe.
#pragma once

#include "port/port_backend.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ostrel {

// Byte 0 names the register, byte 1 is the value written or read.
struct PortRecord {
    std::uint8_t address = 0;
    std::uint8_t value = 0;
};

class LptPortConnection {
public:
    // Takes the back end and probes the three classic ports, as at every start.
    explicit LptPortConnection(std::unique_ptr<PortBackend> backend);
    ~LptPortConnection();
    LptPortConnection(const LptPortConnection&) = delete;
    LptPortConnection& operator=(const LptPortConnection&) = delete;

    // Whether port access was obtained; when not, reads give 0, writes fail and nothing reaches
    // the back end.
    bool is_ready() const { return backend_ != nullptr && backend_->is_open(); }
    // The system's error code of the failed attempt to reach the ports (0 when ready).
    int error_code() const;

    bool read_ports(std::span<PortRecord> batch);
    bool write_ports(std::span<PortRecord> batch);
    std::uint8_t read_port(std::uint8_t port, std::uint8_t reg);
    // One register; every motor step makes three of these, so it is kept to one back-end call.
    bool write_port(std::uint8_t port, std::uint8_t reg, std::uint8_t value) {
        return is_ready() && backend_->write_register(static_cast<std::uint8_t>(port | reg), value);
    }
    bool port_present(std::uint8_t port);

    // The back end the registers are reached through (null only when none was given); for
    // asking a simulated machine what it saw.
    PortBackend* backend();
    // The ports the back end reaches beyond the classic three (none when not ready).
    const std::vector<AddedPort>& added_ports() const { return added_ports_; }

    bool present_3bc = false;
    bool present_378 = false;
    bool present_278 = false;

private:
    std::unique_ptr<PortBackend> backend_;
    std::vector<AddedPort> added_ports_;
};

}  // namespace ostrel
