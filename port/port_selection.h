// The port in use as the settings tab names it, the list of ports found, and the pin-test byte.
#pragma once

#include "port/lpt_port_connection.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace ostrel {

// "$3BC" → 0x10, "$378" → 0x20, any other text (typed, empty, other case) → 0x30.
std::uint8_t port_id_for_name(const QString& name);

// Probes 0x10, 0x20, 0x30 in that order and names those that answer: "$3BC", "$378", "$278".
QStringList port_list(LptPortConnection& connection);

// The byte the pin test puts on the data pins: box i (0-based) checked gives bit i.
std::uint8_t pin_test_value(const std::array<bool, 8>& checked);

}  // namespace ostrel
