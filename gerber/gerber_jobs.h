// The Gerber machine job run_gerber_job, run by "Рисовать" and "Сверлить" on the Gerber page.
#pragma once

#include "dxf/dxf_jobs.h"
#include "gerber/gerber_interpreter.h"
#include "gerber/gerber_preview.h"
#include "motion/machine.h"

namespace ostrel {

// The Gerber side of the two job buttons: they switch the modes through these hooks and run
// run_gerber_job; their closing steps (return to the origin, stop request cleared) stay theirs.
class GerberJobs final : public GerberJobHooks {
public:
    GerberJobs(Machine& machine, GerberInterpreter& interpreter)
        : machine_(machine), interpreter_(interpreter) {}

    // The file-view window the job shows as it starts; none in a window-less run.
    void set_file_view(FileView* view) { view_ = view; }

    void set_plot_mode(bool on) override { interpreter_.registers().plot_mode = on; }
    void set_drill_mode(bool on) override { interpreter_.registers().drill_mode = on; }
    void clear_app_pending() override { interpreter_.registers().aperture_pending = false; }
    void set_drill_depth(double mm) override { interpreter_.set_drill_depth(mm); }

    // The machine job over the file in gerberFileEdit in the mode the button chose: the job
    // parameters read, then every line but "%" lines and empty lines interpreted, until the file
    // ends or a stop is requested (checked before each line). Runs with the preview mode off, so a
    // job never draws on the file-view picture. A job parameter or marker diameter that is not a
    // number, a move the machine refuses, or a file that can't be read throws
    // OperationAbandoned; the moves made stay made.
    void run_gerber_job() override;

private:
    Machine& machine_;
    GerberInterpreter& interpreter_;
    FileView* view_ = nullptr;
};

}  // namespace ostrel
