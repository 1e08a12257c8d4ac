// The panel's port identifier, read from the port list's text.
#include "core/operator.h"

#include "port/port_selection.h"

namespace ostrel {

std::uint8_t Panel::port_id() const {
    return port_id_for_name(field_text(Field::Port), added_ports_);
}

}  // namespace ostrel
