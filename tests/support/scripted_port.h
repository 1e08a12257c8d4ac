// A port back end for tests that answers as a test scripts it and records every access in order.
#pragma once

#include "port/port_backend.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <vector>

namespace ostrel::testing {

struct PortAccess {
    enum Kind { Read, Write };
    Kind kind;
    std::uint8_t address;
    std::uint8_t value;  // written, or returned by a read that succeeded
    bool operator==(const PortAccess&) const = default;
};
std::ostream& operator<<(std::ostream& out, const PortAccess& access);

inline PortAccess read_of(std::uint8_t address, std::uint8_t value) {
    return {PortAccess::Read, address, value};
}
inline PortAccess write_of(std::uint8_t address, std::uint8_t value) {
    return {PortAccess::Write, address, value};
}

// Registers keep what is written to them. A register never written reads 0xFF unless given a
// value in registers; stuck registers read their value whatever was written; a read mask keeps
// only the data lines that are wired. Accesses listed as failing fail and change nothing.
class ScriptedBackend final : public PortBackend {
public:
    bool is_open() const override { return open; }
    int open_error() const override { return error; }
    bool read_register(std::uint8_t address, std::uint8_t& value) override;
    bool write_register(std::uint8_t address, std::uint8_t value) override;

    // Makes the three registers of the port read all ones whatever is written: no port there.
    void float_port(std::uint8_t port);

    std::vector<PortAccess> reads() const;
    std::vector<PortAccess> writes() const;

    bool open = true;
    int error = 0;
    std::map<std::uint8_t, std::uint8_t> registers;
    std::map<std::uint8_t, std::uint8_t> stuck;
    std::map<std::uint8_t, std::uint8_t> read_mask;
    std::set<std::uint8_t> failing_reads;
    std::set<std::uint8_t> failing_writes;
    std::vector<PortAccess> log;  // failed accesses are not logged
    int failed_accesses = 0;
};

}  // namespace ostrel::testing
