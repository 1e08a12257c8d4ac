// Port names, the port list and the pin-test byte.
#include "port/port_selection.h"

namespace ostrel {

std::uint8_t port_id_for_name(const QString& name) {
    if (name == QLatin1String("$3BC")) {
        return PORT_3BC;
    }
    if (name == QLatin1String("$378")) {
        return PORT_378;
    }
    return PORT_278;
}

QStringList port_list(LptPortConnection& connection) {
    QStringList names;
    const std::array<std::pair<std::uint8_t, const char*>, 3> ports = {
        {{PORT_3BC, "$3BC"}, {PORT_378, "$378"}, {PORT_278, "$278"}}};
    for (const auto& [port, name] : ports) {
        if (connection.port_present(port)) {
            names.append(QLatin1String(name));
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
