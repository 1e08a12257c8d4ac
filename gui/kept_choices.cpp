// Kept choices as keys of a QSettings store, a group for each kind, named in one list for both
// ways.
#include "gui/kept_choices.h"

#include <type_traits>

namespace ostrel {

namespace {

// Hands each choice to visit with its key; Choices is KeptChoices, const or not.
template <typename Choices, typename Visit>
void each_choice(Choices& c, Visit&& visit) {
    visit("machine/port", c.port);
    visit("machine/jog_speed", c.jog_speed);
    visit("machine/jog_distance", c.jog_distance);
    visit("folders/job_files", c.job_folder);
    visit("folders/job_parameters", c.parameters_folder);
    visit("files/dxf", c.dxf_file);
    visit("files/gerber", c.gerber_file);
    visit("files/gcode", c.gcode_file);
    visit("reading/dxf_standard", c.reading.dxf_standard);
    visit("reading/dxf_unit", c.reading.dxf_unit);
    visit("reading/circles_as_holes", c.reading.circles_as_holes);
    visit("reading/gerber_standard", c.reading.gerber_standard);
    visit("reading/origin", c.reading.origin);
    visit("reading/offset_x", c.reading.offset_x);
    visit("reading/offset_y", c.reading.offset_y);
    visit("reading/mirror_x", c.reading.mirror_x);
    visit("windows/main", c.main_window);
    visit("windows/track", c.track_window);
    visit("windows/file_view", c.file_view_window);
}

}  // namespace

KeptChoices read_kept_choices(QSettings& store) {
    KeptChoices c;  // its defaults stand where the store has no key
    each_choice(c, [&store](const char* key, auto& field) {
        using Field = std::remove_reference_t<decltype(field)>;
        field = store.value(QLatin1String(key), QVariant::fromValue(field)).template value<Field>();
    });
    return c;
}

void write_kept_choices(QSettings& store, const KeptChoices& choices) {
    each_choice(choices, [&store](const char* key, const auto& field) {
        store.setValue(QLatin1String(key), QVariant::fromValue(field));
    });
    store.sync();
}

}  // namespace ostrel
