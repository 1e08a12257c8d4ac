// Kept choices as keys of a QSettings store, a group for each kind.
#include "gui/kept_choices.h"

namespace ostrel {

KeptChoices read_kept_choices(QSettings& store) {
    KeptChoices c;
    const JobParameterTexts defaults;
    c.port = store.value(QStringLiteral("machine/port")).toString();
    c.jog_speed = store.value(QStringLiteral("machine/jog_speed"), 0).toInt();
    c.jog_distance = store.value(QStringLiteral("machine/jog_distance"), 0).toInt();
    c.job_folder = store.value(QStringLiteral("folders/job_files")).toString();
    c.parameters_folder = store.value(QStringLiteral("folders/job_parameters")).toString();
    c.dxf_file = store.value(QStringLiteral("files/dxf")).toString();
    c.gerber_file = store.value(QStringLiteral("files/gerber")).toString();
    JobParameterTexts& r = c.reading;
    r.dxf_standard = store.value(QStringLiteral("reading/dxf_standard"), false).toBool();
    r.dxf_unit = store.value(QStringLiteral("reading/dxf_unit")).toString();
    r.circles_as_holes = store.value(QStringLiteral("reading/circles_as_holes"), true).toBool();
    r.gerber_standard = store.value(QStringLiteral("reading/gerber_standard"), false).toBool();
    r.origin = store.value(QStringLiteral("reading/origin"), defaults.origin).toString();
    r.offset_x = store.value(QStringLiteral("reading/offset_x"), defaults.offset_x).toString();
    r.offset_y = store.value(QStringLiteral("reading/offset_y"), defaults.offset_y).toString();
    r.mirror_x = store.value(QStringLiteral("reading/mirror_x"), false).toBool();
    c.main_window = store.value(QStringLiteral("windows/main")).toByteArray();
    c.track_window = store.value(QStringLiteral("windows/track")).toByteArray();
    c.file_view_window = store.value(QStringLiteral("windows/file_view")).toByteArray();
    return c;
}

void write_kept_choices(QSettings& store, const KeptChoices& c) {
    store.setValue(QStringLiteral("machine/port"), c.port);
    store.setValue(QStringLiteral("machine/jog_speed"), c.jog_speed);
    store.setValue(QStringLiteral("machine/jog_distance"), c.jog_distance);
    store.setValue(QStringLiteral("folders/job_files"), c.job_folder);
    store.setValue(QStringLiteral("folders/job_parameters"), c.parameters_folder);
    store.setValue(QStringLiteral("files/dxf"), c.dxf_file);
    store.setValue(QStringLiteral("files/gerber"), c.gerber_file);
    const JobParameterTexts& r = c.reading;
    store.setValue(QStringLiteral("reading/dxf_standard"), r.dxf_standard);
    store.setValue(QStringLiteral("reading/dxf_unit"), r.dxf_unit);
    store.setValue(QStringLiteral("reading/circles_as_holes"), r.circles_as_holes);
    store.setValue(QStringLiteral("reading/gerber_standard"), r.gerber_standard);
    store.setValue(QStringLiteral("reading/origin"), r.origin);
    store.setValue(QStringLiteral("reading/offset_x"), r.offset_x);
    store.setValue(QStringLiteral("reading/offset_y"), r.offset_y);
    store.setValue(QStringLiteral("reading/mirror_x"), r.mirror_x);
    store.setValue(QStringLiteral("windows/main"), c.main_window);
    store.setValue(QStringLiteral("windows/track"), c.track_window);
    store.setValue(QStringLiteral("windows/file_view"), c.file_view_window);
    store.sync();
}

}  // namespace ostrel
