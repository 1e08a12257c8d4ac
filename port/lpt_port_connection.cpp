// The connection to the parallel-port registers: batches over one back end, and the port probe.
#include "port/lpt_port_connection.h"

#include <cerrno>
#include <utility>

namespace ostrel {

LptPortConnection::LptPortConnection(std::unique_ptr<PortBackend> backend)
    : backend_(std::move(backend)) {
    if (is_ready()) {
        present_3bc = port_present(PORT_3BC);
        present_378 = port_present(PORT_378);
        present_278 = port_present(PORT_278);
        added_ports_ = backend_->added_ports();
    }
}

LptPortConnection::~LptPortConnection() = default;

int LptPortConnection::error_code() const {
    if (is_ready()) {
        return 0;
    }
    // Without a back end at all there is no system error to pass on; say "no such device".
    return backend_ != nullptr ? backend_->open_error() : ENODEV;
}

bool LptPortConnection::read_ports(std::span<PortRecord> batch) {
    if (!is_ready()) {
        return false;
    }
    // Every record is tried even after a failure, as one request to a driver would be; a failed
    // read leaves its record's value as it was.
    bool ok = true;
    for (PortRecord& record : batch) {
        std::uint8_t value = 0;
        if (backend_->read_register(record.address, value)) {
            record.value = value;
        } else {
            ok = false;
        }
    }
    return ok;
}

bool LptPortConnection::write_ports(std::span<PortRecord> batch) {
    if (!is_ready()) {
        return false;
    }
    bool ok = true;
    for (const PortRecord& record : batch) {
        if (!backend_->write_register(record.address, record.value)) {
            ok = false;
        }
    }
    return ok;
}

std::uint8_t LptPortConnection::read_port(std::uint8_t port, std::uint8_t reg) {
    PortRecord record{static_cast<std::uint8_t>(port | reg), 0};
    read_ports(std::span<PortRecord>(&record, 1));
    return record.value;
}

bool LptPortConnection::port_present(std::uint8_t port) {
    if (!is_ready()) {
        return false;
    }
    // A data register that holds what was written is a port. The four writes always happen so
    // that the register ends as it was found, whatever the read-backs said.
    const std::uint8_t saved = read_port(port, REG_DATA);
    write_port(port, REG_DATA, 0x00);
    bool ok = read_port(port, REG_DATA) == 0x00;
    write_port(port, REG_DATA, 0x55);
    if (ok) {
        ok = read_port(port, REG_DATA) == 0x55;
    }
    write_port(port, REG_DATA, 0xAA);
    if (ok) {
        ok = read_port(port, REG_DATA) == 0xAA;
    }
    write_port(port, REG_DATA, saved);
    if (ok) {
        return true;
    }
    // Ports whose data lines cannot be read back still show themselves in the other registers;
    // an empty address reads as all ones (floating bus) or all zeros.
    const auto answers = [](std::uint8_t value) { return value != 0x00 && value != 0xFF; };
    if (answers(read_port(port, REG_CONTROL))) {
        return true;
    }
    return answers(read_port(port, REG_STATUS));
}

PortBackend* LptPortConnection::backend() {
    return backend_.get();
}

}  // namespace ostrel
