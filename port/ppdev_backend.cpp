// ppdev back end: the base-address mapping, opening, claiming and the register ioctls.
#include "port/ppdev_backend.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

namespace ostrel {

namespace {

int index_of(std::uint8_t address) {
    return (address >> 4) - 1;
}

}  // namespace

std::optional<std::uint8_t> port_for_base_address(unsigned long base) {
    switch (base) {
        case 0x3BC:
            return PORT_3BC;
        case 0x378:
            return PORT_378;
        case 0x278:
            return PORT_278;
        default:
            return std::nullopt;
    }
}

std::optional<unsigned long> parse_base_addr(const QByteArray& text) {
    const QList<QByteArray> words = text.simplified().split(' ');
    if (words.isEmpty() || words.front().isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const unsigned long value = words.front().toULong(&ok, 0);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

PpdevBackend::PpdevBackend(const QString& proc_root, const QString& dev_root) {
    for (int n = 0; n < MAX_PARPORTS; ++n) {
        const QString name = QStringLiteral("parport%1").arg(n);
        QFile file(proc_root + QLatin1Char('/') + name + QStringLiteral("/base-addr"));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const std::optional<unsigned long> base = parse_base_addr(file.readAll());
        if (!base.has_value()) {
            continue;
        }
        std::optional<std::uint8_t> port = port_for_base_address(*base);
        if (!port.has_value()) {
            for (const AddedPort& added : added_) {
                if (added.base == *base) {
                    port = added.id;
                }
            }
        }
        if (!port.has_value()) {
            if (added_.size() >= static_cast<std::size_t>(MAX_ADDED_PORTS)) {
                continue;
            }
            port = static_cast<std::uint8_t>(FIRST_ADDED_PORT + 0x10 * added_.size());
            added_.push_back(AddedPort{*port, *base});
        }
        Device& device = devices_[index_of(*port)];
        if (device.path.isEmpty()) {  // the first parportN at a base address wins
            device.path = dev_root + QLatin1Char('/') + name;
        }
    }

    error_ = ENOENT;
    for (Device& device : devices_) {
        if (device.path.isEmpty()) {
            continue;
        }
        errno = 0;
        device.fd = ::open(QFile::encodeName(device.path).constData(), O_RDWR | O_CLOEXEC);
        if (device.fd >= 0) {
            open_ = true;
        } else {
            error_ = errno != 0 ? errno : EIO;
        }
    }
}

PpdevBackend::~PpdevBackend() {
    for (Device& device : devices_) {
        if (device.fd < 0) {
            continue;
        }
        if (device.claimed) {
            ::ioctl(device.fd, PPRELEASE);
        }
        ::close(device.fd);
    }
}

PpdevBackend::Device* PpdevBackend::usable_device(std::uint8_t address) {
    const int index = index_of(address);
    if (index < 0 || index >= static_cast<int>(devices_.size())) {
        return nullptr;
    }
    Device& device = devices_[index];
    if (device.fd < 0) {
        return nullptr;
    }
    // Claimed once and kept: claiming is a request to the kernel that the step rate can't afford
    // on every write.
    if (!device.claimed) {
        if (::ioctl(device.fd, PPCLAIM) != 0) {
            return nullptr;
        }
        device.claimed = true;
        // Another program may have left a bidirectional port reading; the machine needs the
        // data pins driven. A port that can't turn around is driving already.
        int forward = 0;
        ::ioctl(device.fd, PPDATADIR, &forward);
    }
    return &device;
}

bool PpdevBackend::read_register(std::uint8_t address, std::uint8_t& value) {
    Device* device = usable_device(address);
    if (device == nullptr) {
        return false;
    }
    unsigned char byte = 0;
    int result = -1;
    switch (address & 0x07) {
        case REG_DATA:
            result = ::ioctl(device->fd, PPRDATA, &byte);
            break;
        case REG_STATUS:
            result = ::ioctl(device->fd, PPRSTATUS, &byte);
            break;
        case REG_CONTROL:
            result = ::ioctl(device->fd, PPRCONTROL, &byte);
            break;
        default:
            return false;
    }
    if (result != 0) {
        return false;
    }
    value = byte;
    return true;
}

bool PpdevBackend::write_register(std::uint8_t address, std::uint8_t value) {
    Device* device = usable_device(address);
    if (device == nullptr) {
        return false;
    }
    unsigned char byte = value;
    switch (address & 0x07) {
        case REG_DATA:
            return ::ioctl(device->fd, PPWDATA, &byte) == 0;
        case REG_CONTROL:
            return ::ioctl(device->fd, PPWCONTROL, &byte) == 0;
        default:  // status lines are inputs
            return false;
    }
}

QString PpdevBackend::device_path(std::uint8_t port) const {
    const int index = index_of(port);
    if (index < 0 || index >= static_cast<int>(devices_.size())) {
        return {};
    }
    return devices_[index].path;
}

bool PpdevBackend::device_open(std::uint8_t port) const {
    const int index = index_of(port);
    return index >= 0 && index < static_cast<int>(devices_.size()) && devices_[index].fd >= 0;
}

}  // namespace ostrel
