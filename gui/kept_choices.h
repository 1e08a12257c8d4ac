// The operator's choices kept between starts, in the user's configuration folder (never cfg.ini).
#pragma once

#include "jobs/job_parameters_file.h"

#include <QByteArray>
#include <QSettings>
#include <QString>

namespace ostrel {

// What the window restores at start and keeps at close: the port, the jog sliders, the folders
// the file dialogs were last in, the last job file of each page (offered in its field, not
// loaded), each page's reading and the placement row, and where the windows stood. The machine
// settings and the job parameters are not among them: they have their own files.
struct KeptChoices {
    QString port;
    int jog_speed = 0;     // 0: none kept
    int jog_distance = 0;  // 0: none kept
    QString job_folder;
    QString parameters_folder;
    QString dxf_file;
    QString gerber_file;
    QString gcode_file;
    // Only the reading fields of these texts are kept: standard modes, unit, circles, placement.
    JobParameterTexts reading;
    QByteArray main_window;
    QByteArray track_window;
    QByteArray file_view_window;
};

// An empty store, or one that holds no choices yet, gives the defaults.
KeptChoices read_kept_choices(QSettings& store);
void write_kept_choices(QSettings& store, const KeptChoices& choices);

}  // namespace ostrel
