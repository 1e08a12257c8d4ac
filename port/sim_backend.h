// The simulated machine: parallel ports in memory, with the motors behind them decoded.
#pragma once

#include "port/lpt_port_connection.h"
#include "port/port_backend.h"
#include "port/step_decoder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace ostrel {

// Ports that exist keep what is written to their data and control registers and read it back,
// as a real port does; an identifier without a port reads all ones (a floating bus) and takes
// writes into nothing, so the probe finds exactly the ports configured. Every data-register write
// of an existing port reaches the machine wired to it.
class SimBackend final : public PortBackend {
public:
    // Status lines of an idle port with nothing pulling them, and the control register after a
    // reset (the two top bits are not wired and read as ones).
    static constexpr std::uint8_t IDLE_STATUS = 0x78;
    static constexpr std::uint8_t RESET_CONTROL = 0xCC;

    // The classic three by choice, and ports at other base addresses (a PCIe card's) after
    // them, identifiers from 0x40 in the order given; at most MAX_ADDED_PORTS of those.
    explicit SimBackend(bool port_3bc = true, bool port_378 = true, bool port_278 = true,
                        const std::vector<unsigned long>& added_bases = {});

    bool is_open() const override { return true; }
    int open_error() const override { return 0; }
    bool read_register(std::uint8_t address, std::uint8_t& value) override;
    bool write_register(std::uint8_t address, std::uint8_t value) override;
    std::vector<AddedPort> added_ports() const override { return added_; }

    // port is an identifier: 0x10, 0x20, 0x30 or an added port's.
    bool port_exists(std::uint8_t port) const;
    // The motors behind the port; the machine of a port that does not exist sees nothing.
    const StepDecoder& machine(std::uint8_t port) const;
    StepDecoder& machine(std::uint8_t port);

    // Write failures, for trying how the program takes a port that stops answering: after n more
    // successful writes every write fails (fails changing nothing), until cleared.
    void fail_writes_after(std::int64_t n) { writes_left_ = n; }
    void fail_all_writes(bool fail) {
        writes_left_ = fail ? std::optional<std::int64_t>(0) : std::nullopt;
    }

    // The writes that succeeded, in order, when logging is on (it is off by default, since a long
    // job makes millions of writes).
    void keep_write_log(bool keep) { keep_log_ = keep; }
    const std::vector<PortRecord>& write_log() const { return log_; }
    void clear_write_log() { log_.clear(); }
    // Every write asked for, failed ones included.
    std::int64_t write_attempts() const { return attempts_; }

private:
    struct Port {
        bool exists = false;
        std::uint8_t data = 0;
        std::uint8_t control = RESET_CONTROL;
        StepDecoder machine;
    };
    Port* port_at(std::uint8_t address);
    const Port* port_at(std::uint8_t address) const;

    std::array<Port, 3 + MAX_ADDED_PORTS> ports_{};
    std::vector<AddedPort> added_;
    std::optional<std::int64_t> writes_left_;
    bool keep_log_ = false;
    std::vector<PortRecord> log_;
    std::int64_t attempts_ = 0;
};

}  // namespace ostrel
