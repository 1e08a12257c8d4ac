// The two job buttons, "Рисовать" and "Сверлить", and the DXF drawing and drilling jobs they run.
#pragma once

#include "motion/machine.h"
#include "motion/mover.h"

namespace ostrel {

// What the job buttons need of the Gerber side when the "Gerber RS274-GBR" page is active: its
// mode switches, its pending aperture selection, the hole depth, and its machine job over the
// Gerber file. The Gerber interpreter implements it; until one is attached, the buttons do
// nothing for that page beyond their common closing steps.
class GerberJobHooks {
public:
    virtual ~GerberJobHooks() = default;
    virtual void set_plot_mode(bool on) = 0;   // plot_mode
    virtual void set_drill_mode(bool on) = 0;  // drill_mode
    virtual void clear_app_pending() = 0;      // aperture_pending
    virtual void set_drill_depth(double mm) = 0;
    virtual void run_gerber_job() = 0;
};

class DxfJobs {
public:
    DxfJobs(Machine& machine, Mover& mover, GerberJobHooks* gerber = nullptr)
        : machine_(machine), mover_(mover), gerber_(gerber) {}

    void set_gerber(GerberJobHooks* gerber) { gerber_ = gerber; }

    // "Рисовать": clears the track picture (its pen stays where the last track ended), runs the
    // job of the active page, returns to X 0, Y 0 raised when "возврат в 0,0" is checked, and
    // clears the stop request. Refused with a message while a job or move runs.
    void run_draw_job();
    // "Сверлить": reads the hole depth, runs the job of the active page, returns like
    // "Рисовать" and clears the stop request. Refused with a message while a job or move runs.
    void run_drill_job();

    // The DXF drawing job: every LINE in file order, travelling raised to its start when the tool
    // is elsewhere and drawing lowered to its end. Ends early, between lines, on a stop request.
    void draw_lines();
    // The DXF drilling job: the tool's X-Y position becomes the origin, then one hole at every
    // POINT in file order, a final raise and, when checked, the travel back to the origin.
    void drill_points();

    // The hole depth (mm) last read from drillDepthEdit; the Gerber drilling reads it too.
    double drill_depth() const { return drill_depth_; }

private:
    // The closing steps of both buttons: back to the origin when asked, modes off, stop cleared.
    void finish_job();
    void raise();
    void travel_to(double x, double y);

    Machine& machine_;
    Mover& mover_;
    GerberJobHooks* gerber_;
    double drill_depth_ = 0;
};

}  // namespace ostrel
