// The machine and everything that drives it, wired once for the window and the runner alike.
#pragma once

#include "core/clock.h"
#include "core/operator.h"
#include "core/picture.h"
#include "dxf/dxf_jobs.h"
#include "dxf/dxf_preview.h"
#include "dxf/dxf_standard_jobs.h"
#include "gcode/gcode_jobs.h"
#include "gerber/board_jobs.h"
#include "gerber/gerber_page.h"
#include "jobs/job_buttons.h"
#include "jobs/page_previews.h"
#include "motion/machine.h"
#include "motion/manual_control.h"
#include "motion/mover.h"
#include "motion/step_engine.h"

namespace ostrel {

class Controller {
public:
    Controller(Operator& op, Panel& panel, Picture& track_picture, Clock& clock)
        : machine(op, panel, track_picture),
          engine(machine, clock),
          mover(machine, engine),
          manual(machine, engine, mover),
          dxf_jobs(machine, mover),
          dxf_preview(machine),
          gerber(machine, mover),
          dxf_standard(machine, mover),
          board(machine, mover),
          gcode(machine, mover),
          jobs(machine, mover, dxf_jobs, gerber.jobs(), dxf_standard, board, gcode),
          previews(machine, dxf_preview, gerber, dxf_standard, board, gcode) {}
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    Machine machine;
    StepEngine engine;
    Mover mover;
    ManualControl manual;
    DxfJobs dxf_jobs;
    DxfPreview dxf_preview;
    GerberPage gerber;
    DxfStandardJobs dxf_standard;  // the DXF page's true-size reading
    GerberStandardJobs board;      // the Gerber page's true-size reading
    GcodeJobs gcode;               // the G-code page
    JobButtons jobs;
    PagePreviews previews;
};

}  // namespace ostrel
