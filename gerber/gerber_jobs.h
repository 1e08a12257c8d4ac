// The Gerber page's plotting and drilling job, as the job buttons run it.
#pragma once

#include "core/file_view.h"
#include "gerber/gerber_interpreter.h"
#include "motion/machine.h"

namespace ostrel {

// The interpreter's mode switches persist between runs; the job buttons set them around each
// job exactly as written here, so a later preview or job starts from the same registers.
class GerberJobs {
public:
    GerberJobs(Machine& machine, GerberInterpreter& interpreter)
        : machine_(machine), interpreter_(interpreter) {}

    // The file-view window the job shows as it starts; none in a window-less run.
    void set_file_view(FileView* view) { view_ = view; }

    // For a dry run of a job: keeps the registers and puts them back when it ends, so that the
    // real run starts from where the dry one did, and hides the file view from the dry run.
    class KeptRegisters {
    public:
        explicit KeptRegisters(GerberJobs& jobs);
        ~KeptRegisters();
        KeptRegisters(const KeptRegisters&) = delete;
        KeptRegisters& operator=(const KeptRegisters&) = delete;

    private:
        GerberJobs& jobs_;
        GerberRegisters registers_;
        double drill_depth_;
        FileView* view_;
    };

    // "Рисовать" on this page: plot mode on, drill mode off, no aperture selection pending, then
    // the job.
    void plot();
    // "Сверлить" on this page: the hole depth read by the button, drill mode on, then the job.
    void drill(double depth_mm);

    void set_plot_mode(bool on) { interpreter_.registers().plot_mode = on; }
    void set_drill_mode(bool on) { interpreter_.registers().drill_mode = on; }

    // The machine job over the file in gerberFileEdit in the modes set: the job parameters read,
    // then every line but "%" lines and empty lines interpreted, until the file ends or a stop is
    // requested (checked before each line). Runs with the preview mode off, so a job never draws
    // on the file-view picture. A job parameter or marker diameter that is not a number, a move
    // the machine refuses, or a file that can't be read throws OperationAbandoned; the moves made
    // stay made.
    void run_gerber_job();

private:
    Machine& machine_;
    GerberInterpreter& interpreter_;
    FileView* view_ = nullptr;
};

}  // namespace ostrel
