// Everything the "Gerber RS274-GBR" page holds: aperture table and grid, interpreter, runs.
#pragma once

#include "gerber/aperture_table.h"
#include "gerber/gerber_interpreter.h"
#include "gerber/gerber_jobs.h"
#include "gerber/gerber_preview.h"
#include "jobs/job_file_choice.h"
#include "motion/machine.h"
#include "motion/mover.h"

namespace ostrel {

// Lives as long as the main window. The window gives the job hooks to the job buttons
// (DxfJobs::set_gerber) and the file-view window to the runs.
class GerberPage {
public:
    GerberPage(Machine& machine, Mover& mover)
        : machine_(machine),
          interpreter_(machine, mover, app_table_),
          preview_(machine, interpreter_),
          jobs_(machine, interpreter_) {}
    GerberPage(const GerberPage&) = delete;
    GerberPage& operator=(const GerberPage&) = delete;

    // change_nameClick after a path was chosen and put into Edit15: loads the apertures of the
    // file named there into app_table and the grid.
    void get_app() {
        ostrel::get_app(machine_.panel().field_text(Field::Edit15), app_table_, grid_,
                        machine_.op());
    }
    // "Проспотр".
    void Button10Click(GerberFileView& view) { preview_.Button10Click(view); }

    void set_file_view(GerberFileView* view) { jobs_.set_file_view(view); }
    GerberJobHooks& job_hooks() { return jobs_; }

    const ApertureTable& app_table() const { return app_table_; }
    ApertureTable& app_table() { return app_table_; }
    const ApertureGrid& grid() const { return grid_; }  // StringGrid1's cells
    GerberInterpreter& interpreter() { return interpreter_; }
    GerberPreview& preview() { return preview_; }
    GerberJobs& jobs() { return jobs_; }

private:
    Machine& machine_;
    ApertureTable app_table_;
    ApertureGrid grid_;
    GerberInterpreter interpreter_;
    GerberPreview preview_;
    GerberJobs jobs_;
};

}  // namespace ostrel
