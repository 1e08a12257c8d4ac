// Parallel-port access through the kernel's ppdev devices (/dev/parportN), for users in group lp.
#pragma once

#include "port/port_backend.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace ostrel {

// The port identifier (0x10, 0x20, 0x30) of a port at this base I/O address, if it is one of
// the three standard ones.
std::optional<std::uint8_t> port_for_base_address(unsigned long base);

// The first number of a parportN/base-addr file ("888\t1912\n"); decimal as the kernel writes
// it, hexadecimal with a 0x prefix.
std::optional<unsigned long> parse_base_addr(const QByteArray& text);

class PpdevBackend final : public PortBackend {
public:
    static constexpr int MAX_PARPORTS = 16;

    // Finds which parportN sits at each base address (under proc_root) and opens the devices of
    // those found (under dev_root). The classic addresses keep their identifiers; every other
    // address becomes an added port. The roots are arguments so that tests can stand fake
    // folders in for them.
    explicit PpdevBackend(const QString& proc_root = QStringLiteral("/proc/sys/dev/parport"),
                          const QString& dev_root = QStringLiteral("/dev"));
    // Releases the ports claimed and closes the devices.
    ~PpdevBackend() override;
    PpdevBackend(const PpdevBackend&) = delete;
    PpdevBackend& operator=(const PpdevBackend&) = delete;

    // Open when at least one device opened; otherwise open_error() is errno of the failed open,
    // ENOENT when no parallel port was found at all.
    bool is_open() const override { return open_; }
    int open_error() const override { return open_ ? 0 : error_; }
    // Accesses to an identifier without an open device fail, as do the status register's writes
    // and the extended-mode registers. The port is claimed at its first access.
    bool read_register(std::uint8_t address, std::uint8_t& value) override;
    bool write_register(std::uint8_t address, std::uint8_t value) override;

    std::vector<AddedPort> added_ports() const override { return added_; }

    // The device found for the identifier (whether or not it opened); empty when none.
    QString device_path(std::uint8_t port) const;
    bool device_open(std::uint8_t port) const;

private:
    struct Device {
        QString path;
        int fd = -1;
        bool claimed = false;
    };
    Device* usable_device(std::uint8_t address);

    // By identifier: 0x10, 0x20, 0x30, then the added ports from 0x40.
    std::array<Device, 3 + MAX_ADDED_PORTS> devices_{};
    std::vector<AddedPort> added_;
    bool open_ = false;
    int error_ = 0;
};

}  // namespace ostrel
