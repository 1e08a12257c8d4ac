// Port names, the port list and the pin-test byte.
#include "port/port_selection.h"

namespace ostrel {

namespace {

constexpr std::array<std::pair<std::uint8_t, unsigned long>, 3> CLASSIC_PORTS = {
    {{PORT_3BC, 0x3BC}, {PORT_378, 0x378}, {PORT_278, 0x278}}};

}  // namespace

QString port_name_for_base(unsigned long base) {
    return QStringLiteral("$%1").arg(base, 0, 16).toUpper();
}

std::uint8_t port_id_for_name(const QString& name, std::span<const AddedPort> added) {
    if (name == QLatin1String("$3BC")) {
        return PORT_3BC;
    }
    if (name == QLatin1String("$378")) {
        return PORT_378;
    }
    for (const AddedPort& port : added) {
        if (name == port_name_for_base(port.base)) {
            return port.id;
        }
    }
    return PORT_278;
}

QString port_name(std::uint8_t id, std::span<const AddedPort> added) {
    for (const auto& [port, base] : CLASSIC_PORTS) {
        if (id == port) {
            return port_name_for_base(base);
        }
    }
    for (const AddedPort& port : added) {
        if (id == port.id) {
            return port_name_for_base(port.base);
        }
    }
    return port_name_for_base(0x278);
}

QStringList port_list(LptPortConnection& connection) {
    QStringList names;
    for (const auto& [port, base] : CLASSIC_PORTS) {
        if (connection.port_present(port)) {
            names.append(port_name_for_base(base));
        }
    }
    for (const AddedPort& port : connection.added_ports()) {
        if (connection.port_present(port.id)) {
            names.append(port_name_for_base(port.base));
        }
    }
    return names;
}

std::uint8_t pin_test_value(const std::array<bool, 8>& checked) {
    unsigned value = 0;
    for (std::size_t bit = 0; bit < checked.size(); ++bit) {
        if (checked[bit]) {
            value |= 1u << bit;
        }
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace ostrel
