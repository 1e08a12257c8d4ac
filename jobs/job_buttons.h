// The two job buttons, "Рисовать" and "Сверлить", for the DXF and the Gerber page alike.
#pragma once

#include "dxf/dxf_jobs.h"
#include "gerber/gerber_jobs.h"
#include "motion/machine.h"
#include "motion/mover.h"

namespace ostrel {

class JobButtons {
public:
    JobButtons(Machine& machine, Mover& mover, DxfJobs& dxf, GerberJobs& gerber)
        : machine_(machine), mover_(mover), dxf_(dxf), gerber_(gerber) {}

    // "Рисовать": clears the track picture (its pen stays where the last track ended), runs the
    // drawing or plotting job of the active page, returns to X 0, Y 0 raised when "возврат в 0,0"
    // is checked, and clears the stop request. Refused with a message while a job or move runs.
    void run_draw_job();
    // "Сверлить": reads the hole depth, runs the drilling job of the active page, returns like
    // "Рисовать" and clears the stop request. Refused with a message while a job or move runs.
    void run_drill_job();

private:
    // The closing steps of both buttons: back to the origin when asked, plot mode off, stop
    // cleared.
    void finish_job();

    Machine& machine_;
    Mover& mover_;
    DxfJobs& dxf_;
    GerberJobs& gerber_;
};

}  // namespace ostrel
