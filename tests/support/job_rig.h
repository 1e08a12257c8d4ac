// The test machine with the three file pages, DXF, Gerber and G-code, and the job buttons.
#pragma once

#include "dxf/dxf_jobs.h"
#include "dxf/dxf_standard_jobs.h"
#include "gcode/gcode_jobs.h"
#include "gerber/board_jobs.h"
#include "gerber/gerber_page.h"
#include "jobs/job_buttons.h"
#include "tests/support/machine_rig.h"

namespace ostrel::testing {

struct JobRig : MachineRig {
    // Shows the page and points its file field at path.
    void use_dxf_file(const QString& path) {
        panel.page = 0;
        panel.texts[Field::DxfFile] = path;
    }
    void use_gerber_file(const QString& path) {
        panel.page = 1;
        panel.texts[Field::GerberFile] = path;
    }

    void use_gcode_file(const QString& path) {
        panel.page = 2;
        panel.texts[Field::GcodeFile] = path;
    }

    DxfJobs dxf{machine, mover};
    GerberPage gerber{machine, mover};
    DxfStandardJobs dxf_standard{machine, mover};
    GerberStandardJobs board{machine, mover};
    GcodeJobs gcode{machine, mover};
    JobButtons buttons{machine, mover, dxf, gerber.jobs(), dxf_standard, board, gcode};
};

}  // namespace ostrel::testing
