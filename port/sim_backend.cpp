// The simulated ports and the machine wired to them.
#include "port/sim_backend.h"

#include <stdexcept>
#include <utility>

namespace ostrel {

SimBackend::SimBackend(bool port_3bc, bool port_378, bool port_278,
                       const std::vector<unsigned long>& added_bases) {
    ports_[0].exists = port_3bc;
    ports_[1].exists = port_378;
    ports_[2].exists = port_278;
    for (const unsigned long base : added_bases) {
        if (added_.size() >= static_cast<std::size_t>(MAX_ADDED_PORTS)) {
            break;
        }
        const auto id = static_cast<std::uint8_t>(FIRST_ADDED_PORT + 0x10 * added_.size());
        added_.push_back(AddedPort{id, base});
        ports_[(id >> 4) - 1].exists = true;
    }
}

SimBackend::Port* SimBackend::port_at(std::uint8_t address) {
    return const_cast<Port*>(std::as_const(*this).port_at(address));
}

const SimBackend::Port* SimBackend::port_at(std::uint8_t address) const {
    const int number = address >> 4;
    if (number < 1 || number > static_cast<int>(ports_.size()) || !ports_[number - 1].exists) {
        return nullptr;
    }
    return &ports_[number - 1];
}

bool SimBackend::read_register(std::uint8_t address, std::uint8_t& value) {
    const Port* port = port_at(address);
    if (port == nullptr) {
        value = 0xFF;
        return true;
    }
    switch (address & 0x07) {
        case REG_DATA:
            value = port->data;
            break;
        case REG_STATUS:
            value = IDLE_STATUS;
            break;
        case REG_CONTROL:
            value = static_cast<std::uint8_t>(port->control | 0xC0);
            break;
        default:  // the extended-mode registers of a plain port are not there
            value = 0xFF;
            break;
    }
    return true;
}

bool SimBackend::write_register(std::uint8_t address, std::uint8_t value) {
    ++attempts_;
    if (writes_left_.has_value()) {
        if (*writes_left_ <= 0) {
            return false;
        }
        --*writes_left_;
    }
    if (keep_log_) {
        log_.push_back(PortRecord{address, value});
    }
    Port* port = port_at(address);
    if (port == nullptr) {
        return true;
    }
    switch (address & 0x07) {
        case REG_DATA:
            port->data = value;
            port->machine.feed(value);
            break;
        case REG_CONTROL:
            port->control = value;
            break;
        default:  // the status lines are inputs
            break;
    }
    return true;
}

bool SimBackend::port_exists(std::uint8_t port) const {
    return port_at(port) != nullptr;
}

const StepDecoder& SimBackend::machine(std::uint8_t port) const {
    const int number = port >> 4;
    if (number < 1 || number > static_cast<int>(ports_.size())) {
        throw std::out_of_range("no simulated port with this identifier");
    }
    return ports_[number - 1].machine;
}

StepDecoder& SimBackend::machine(std::uint8_t port) {
    return const_cast<StepDecoder&>(std::as_const(*this).machine(port));
}

}  // namespace ostrel
