// The port in use as the settings tab names it, the list of ports found, and the pin-test byte.
#pragma once

#include "port/lpt_port_connection.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <span>

namespace ostrel {

// "$3BC" → 0x10, "$378" → 0x20, an added port's name ("$D010") → its identifier, any other text
// (typed, empty, other case) → 0x30.
std::uint8_t port_id_for_name(const QString& name, std::span<const AddedPort> added = {});

// A port's name in the list: its base address in upper-case hex after a dollar sign ("$D010").
QString port_name_for_base(unsigned long base);
// The name of the port with this identifier; an identifier nobody has is named "$278", the port
// such a name would choose.
QString port_name(std::uint8_t id, std::span<const AddedPort> added = {});

// Probes 0x10, 0x20, 0x30 in that order, then the added ports in theirs, and names those that
// answer: "$3BC", "$378", "$278", "$D010" ….
QStringList port_list(LptPortConnection& connection);

// The byte the pin test puts on the data pins: box i (0-based) checked gives bit i.
std::uint8_t pin_test_value(const std::array<bool, 8>& checked);

}  // namespace ostrel
