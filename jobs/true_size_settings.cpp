// Reading the true-size settings from the panel at the moment of use.
#include "jobs/true_size_settings.h"

#include "core/number_text.h"
#include "core/operation_abandoned.h"

namespace ostrel {

namespace {

double read_offset(Machine& machine, Field field) {
    const QString text = machine.panel().field_text(field).trimmed();
    if (text.isEmpty()) {
        return 0;  // an empty offset is no offset
    }
    try {
        return read_number(dot_to_comma(text));
    } catch (const OperationAbandoned&) {
        machine.op().focus_field(field);
        throw;
    }
}

}  // namespace

Placement read_placement(Machine& machine) {
    Placement placement;
    placement.origin = machine.panel().placement_origin();
    placement.mirror_x = machine.panel().mirror_x();
    if (placement.origin == PlacementOrigin::File) {
        placement.offset = {read_offset(machine, Field::OffsetX),
                            read_offset(machine, Field::OffsetY)};
    }
    return placement;
}

DxfStandardSettings read_dxf_settings(Machine& machine) {
    DxfStandardSettings settings;
    settings.placement = read_placement(machine);
    settings.circles_as_holes = machine.panel().circles_as_holes();
    const QString unit = machine.panel().dxf_unit();
    if (!unit.isEmpty()) {
        settings.mm_per_unit = dxf_unit_named(unit);
        if (!settings.mm_per_unit) {
            throw OperationAbandoned(
                QStringLiteral("Неизвестная единица чертежа \"%1\"").arg(unit));
        }
    }
    return settings;
}

BoardJobSettings read_board_settings(Machine& machine, double drill_depth_mm) {
    BoardJobSettings settings;
    settings.placement = read_placement(machine);
    // The field holds two digits, "05" for 0,5 mm, as the classic page reads it.
    settings.marker_diameter_mm =
        read_number(machine.panel().field_text(Field::MarkerDiameter)) / 10;
    settings.drill_depth_mm = drill_depth_mm;
    settings.confirm_tool = [&machine](const QString& question) {
        Machine::QuestionScope asking(machine);
        return machine.op().ask_yes_no(MessageKind::Plain, question);
    };
    return settings;
}

void keep_corner_offset(Machine& machine, const Placement& placement, PointMm used) {
    if (placement.origin == PlacementOrigin::Corner) {
        machine.panel().keep_offset(show_fixed4(used.x), show_fixed4(used.y));
    }
}

}  // namespace ostrel
