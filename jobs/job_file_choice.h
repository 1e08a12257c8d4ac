// The job-file choice of both file pages (browse_job_file): dialog filters and the field to fill.
#pragma once

#include "core/operator.h"

#include <QString>
#include <QStringList>

namespace ostrel {

// What the browse buttons do with a chosen path on a page of filePages.
struct JobFileChoice {
    QString filter;  // description|pattern pairs, "|"-separated, as the dialog is given them
    QStringList name_filters;  // the same pairs in the "description (pattern)" form of Qt's dialog
    Field field;               // the field that takes the chosen path
    bool loads_apertures;      // load_apertures runs on the path once the field holds it
};

// Page 0 ("AutoCAD DXF"): DXF files into dxfFileEdit. Page 2 ("G-code"): programs, then all
// files, into gcodeFileEdit. Any other page: Gerber files first, drill files second, into
// gerberFileEdit, and the apertures are loaded. A cancelled dialog does nothing
// at all.
JobFileChoice job_file_choice(int page);

// "desc|pattern|desc|pattern|" as Qt name filters "desc (pattern)".
QStringList name_filters_of(const QString& filter);

}  // namespace ostrel
