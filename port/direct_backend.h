// Raw I/O-port access to the three standard parallel-port addresses (x86, needs CAP_SYS_RAWIO).
#pragma once

#include "port/port_backend.h"

#include <cstdint>

namespace ostrel {

// The I/O address of a register address byte: base of the port number (1: 0x3BC, 2: 0x378, any
// other: 0x278) plus the low three bits.
std::uint16_t direct_io_address(std::uint8_t address);

class DirectBackend final : public PortBackend {
public:
    // Asks the kernel for the three registers of each of the three ports.
    DirectBackend();
    // Gives the permission back.
    ~DirectBackend() override;
    DirectBackend(const DirectBackend&) = delete;
    DirectBackend& operator=(const DirectBackend&) = delete;

    bool is_open() const override { return open_; }
    int open_error() const override { return error_; }
    // Registers past the three granted (offsets 3..7) are refused: touching an I/O address
    // without permission kills the process.
    bool read_register(std::uint8_t address, std::uint8_t& value) override;
    bool write_register(std::uint8_t address, std::uint8_t value) override;

private:
    bool open_ = false;
    int error_ = 0;
};

}  // namespace ostrel
