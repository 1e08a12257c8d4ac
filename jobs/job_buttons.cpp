// The job buttons: the page's job between the checks and closing steps both pages share.
#include "jobs/job_buttons.h"

#include "core/number_text.h"

namespace ostrel {

namespace {
constexpr int kDxfPage = 0;
}

void JobButtons::run_draw_job() {
    if (machine_.busy()) {
        machine_.op().show_message(MessageKind::Error, Machine::busy_message());
        return;
    }
    Machine::JobScope running(machine_);
    // White picture, pen left where it was: the job's track goes on from the last one's end.
    machine_.track().clear();
    if (machine_.panel().file_page() == kDxfPage) {
        gerber_.set_plot_mode(false);
        dxf_.draw_lines();
    } else {
        gerber_.plot();
    }
    finish_job();
}

void JobButtons::run_drill_job() {
    if (machine_.busy()) {
        machine_.op().show_message(MessageKind::Error, Machine::busy_message());
        return;
    }
    Machine::JobScope running(machine_);
    gerber_.set_plot_mode(false);
    const double depth = read_number(machine_.panel().field_text(Field::DrillDepth));
    if (machine_.panel().file_page() == kDxfPage) {
        gerber_.set_drill_mode(false);
        dxf_.drill_points();
    } else {
        gerber_.drill(depth);
    }
    finish_job();
}

void JobButtons::finish_job() {
    if (machine_.panel().return_to_origin()) {
        mover_.raise_tool();
        mover_.travel_to(0, 0);
    }
    gerber_.set_plot_mode(false);
    // Cleared last: a stop ends the whole job, the return included, and no later move.
    machine_.state().stop_requested = false;
}

}  // namespace ostrel
