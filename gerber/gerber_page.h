// Everything the "Gerber RS274-GBR" page holds: aperture table and grid, interpreter, runs.
#pragma once

#include "gerber/aperture_table.h"
#include "gerber/gerber_interpreter.h"
#include "gerber/gerber_jobs.h"
#include "gerber/gerber_preview.h"
#include "motion/machine.h"
#include "motion/mover.h"

namespace ostrel {

// Lives as long as the main window, which gives it the file-view window for its runs.
class GerberPage {
public:
    GerberPage(Machine& machine, Mover& mover)
        : machine_(machine),
          interpreter_(machine, mover, aperture_table_),
          preview_(machine, interpreter_),
          jobs_(machine, interpreter_) {}
    GerberPage(const GerberPage&) = delete;
    GerberPage& operator=(const GerberPage&) = delete;

    // browse_job_file after a path was chosen and put into gerberFileEdit: loads the apertures of
    // the file named there into aperture_table and the grid.
    void load_apertures() {
        ostrel::load_apertures(machine_.panel().field_text(Field::GerberFile), aperture_table_,
                               grid_, machine_.op());
    }
    // "Проспотр".
    void show_gerber_preview(FileView& view) { preview_.show_gerber_preview(view); }

    void set_file_view(FileView* view) { jobs_.set_file_view(view); }

    const ApertureTable& aperture_table() const { return aperture_table_; }
    ApertureTable& aperture_table() { return aperture_table_; }
    const ApertureGrid& grid() const { return grid_; }  // apertureGrid's cells
    GerberInterpreter& interpreter() { return interpreter_; }
    GerberPreview& preview() { return preview_; }
    GerberJobs& jobs() { return jobs_; }

private:
    Machine& machine_;
    ApertureTable aperture_table_;
    ApertureGrid grid_;
    GerberInterpreter interpreter_;
    GerberPreview preview_;
    GerberJobs jobs_;
};

}  // namespace ostrel
