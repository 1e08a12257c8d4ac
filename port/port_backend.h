// One way of reaching the parallel-port registers: the kernel's ppdev, raw I/O, or the simulation.
#pragma once

#include <cstdint>
#include <vector>

namespace ostrel {

// Port identifiers (high four bits of a register address byte) and register offsets.
constexpr std::uint8_t PORT_3BC = 0x10;
constexpr std::uint8_t PORT_378 = 0x20;
constexpr std::uint8_t PORT_278 = 0x30;
constexpr std::uint8_t REG_DATA = 0;
constexpr std::uint8_t REG_STATUS = 1;
constexpr std::uint8_t REG_CONTROL = 2;

// Ports at other base addresses (PCI and PCIe cards sit at 0xD010, 0xE000 …) take the
// identifiers after the classic three, in the order they were found: 0x40, 0x50 … 0xF0.
constexpr std::uint8_t FIRST_ADDED_PORT = 0x40;
constexpr int MAX_ADDED_PORTS = 12;

// A port beyond the three classic addresses: its identifier and its base I/O address.
struct AddedPort {
    std::uint8_t id = 0;
    unsigned long base = 0;
    bool operator==(const AddedPort&) const = default;
};

// Reads and writes one register named by a register address byte (port identifier OR offset).
class PortBackend {
public:
    virtual ~PortBackend() = default;
    // Whether port access was obtained at all; when not, open_error() is the system's error code.
    virtual bool is_open() const = 0;
    virtual int open_error() const = 0;
    virtual bool read_register(std::uint8_t address, std::uint8_t& value) = 0;
    virtual bool write_register(std::uint8_t address, std::uint8_t value) = 0;
    // The ports this back end reaches beyond the classic three; none by default.
    virtual std::vector<AddedPort> added_ports() const { return {}; }
};

}  // namespace ostrel
