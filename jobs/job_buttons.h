// The two job buttons, "Рисовать" and "Сверлить", for the DXF and the Gerber page alike.
#pragma once

#include "core/placement.h"
#include "dxf/dxf_jobs.h"
#include "dxf/dxf_standard_jobs.h"
#include "gcode/gcode_jobs.h"
#include "gerber/board_jobs.h"
#include "gerber/gerber_jobs.h"
#include "motion/machine.h"
#include "motion/mover.h"

#include <functional>
#include <optional>

namespace ostrel {

class JobButtons {
public:
    JobButtons(Machine& machine, Mover& mover, DxfJobs& dxf, GerberJobs& gerber,
               DxfStandardJobs& dxf_standard, GerberStandardJobs& board, GcodeJobs& gcode)
        : machine_(machine),
          mover_(mover),
          dxf_(dxf),
          gerber_(gerber),
          dxf_standard_(dxf_standard),
          board_(board),
          gcode_(gcode) {}

    // "Рисовать": clears the track picture (its pen stays where the last track ended), runs the
    // drawing or plotting job of the active page in its reading mode, returns to X 0, Y 0 raised
    // when "возврат в 0,0" is checked, and clears the stop request. Refused with a message while a
    // job or move runs. A job whose path would leave the travel limits asks first, once, with its
    // extents; "НЕТ" runs nothing. A standard-mode job placed by the drawing's corner leaves the
    // offset it used in the window.
    void run_draw_job();
    // "Сверлить": reads the hole depth, runs the drilling job of the active page, returns like
    // "Рисовать" and clears the stop request. Refused and checked against the limits likewise.
    // On the G-code page both buttons run the program, which says itself what it does.
    void run_drill_job();

private:
    bool refused();
    void draw_on_page();
    void drill_on_page(double depth);
    void keep_placed_offset();
    // Works the job's path out in a dry run over its file; true when it stays within the travel
    // limits (X and Y upper ones, as the position check has them) or the operator says "ДА".
    bool goes_ahead(const std::function<void()>& job);
    // The closing steps of both buttons: back to the origin when asked, plot mode off, stop
    // cleared.
    void finish_job();

    Machine& machine_;
    Mover& mover_;
    DxfJobs& dxf_;
    GerberJobs& gerber_;
    DxfStandardJobs& dxf_standard_;
    GerberStandardJobs& board_;
    GcodeJobs& gcode_;
    // The placement the last standard-mode job was given, and the offset it came to.
    struct Placed {
        Placement placement;
        PointMm offset;
    };
    std::optional<Placed> placed_;
};

}  // namespace ostrel
