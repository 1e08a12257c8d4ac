// The scripted test back end.
#include "tests/support/scripted_port.h"

#include <iomanip>

namespace ostrel::testing {

std::ostream& operator<<(std::ostream& out, const PortAccess& access) {
    return out << (access.kind == PortAccess::Read ? "read " : "write ") << "0x" << std::hex
               << std::setw(2) << std::setfill('0') << int(access.address) << " = 0x"
               << std::setw(2) << int(access.value) << std::dec;
}

bool ScriptedBackend::read_register(std::uint8_t address, std::uint8_t& value) {
    if (failing_reads.contains(address)) {
        ++failed_accesses;
        return false;
    }
    if (auto it = stuck.find(address); it != stuck.end()) {
        value = it->second;
    } else if (auto reg = registers.find(address); reg != registers.end()) {
        value = reg->second;
    } else {
        value = 0xFF;
    }
    if (auto mask = read_mask.find(address); mask != read_mask.end()) {
        value &= mask->second;
    }
    log.push_back(read_of(address, value));
    return true;
}

bool ScriptedBackend::write_register(std::uint8_t address, std::uint8_t value) {
    if (failing_writes.contains(address)) {
        ++failed_accesses;
        return false;
    }
    registers[address] = value;
    log.push_back(write_of(address, value));
    return true;
}

void ScriptedBackend::float_port(std::uint8_t port) {
    for (std::uint8_t reg = 0; reg < 3; ++reg) {
        stuck[static_cast<std::uint8_t>(port | reg)] = 0xFF;
    }
}

std::vector<PortAccess> ScriptedBackend::reads() const {
    std::vector<PortAccess> result;
    for (const PortAccess& access : log) {
        if (access.kind == PortAccess::Read) {
            result.push_back(access);
        }
    }
    return result;
}

std::vector<PortAccess> ScriptedBackend::writes() const {
    std::vector<PortAccess> result;
    for (const PortAccess& access : log) {
        if (access.kind == PortAccess::Write) {
            result.push_back(access);
        }
    }
    return result;
}

}  // namespace ostrel::testing
