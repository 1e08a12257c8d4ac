// One way of reaching the parallel-port registers: the kernel's ppdev, raw I/O, or the simulation.
#pragma once

#include <cstdint>

namespace ostrel {

// Port identifiers (high four bits of a register address byte) and register offsets.
constexpr std::uint8_t PORT_3BC = 0x10;
constexpr std::uint8_t PORT_378 = 0x20;
constexpr std::uint8_t PORT_278 = 0x30;
constexpr std::uint8_t REG_DATA = 0;
constexpr std::uint8_t REG_STATUS = 1;
constexpr std::uint8_t REG_CONTROL = 2;

// Reads and writes one register named by a register address byte (port identifier OR offset).
class PortBackend {
public:
    virtual ~PortBackend() = default;
    // Whether port access was obtained at all; when not, open_error() is the system's error code.
    virtual bool is_open() const = 0;
    virtual int open_error() const = 0;
    virtual bool read_register(std::uint8_t address, std::uint8_t& value) = 0;
    virtual bool write_register(std::uint8_t address, std::uint8_t value) = 0;
};

}  // namespace ostrel
