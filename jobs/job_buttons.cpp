// The job buttons: the page's job between the checks and closing steps both pages share.
#include "jobs/job_buttons.h"

#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "gerber/classic_hint.h"
#include "motion/dry_run.h"

namespace ostrel {

namespace {

constexpr int kDxfPage = 0;

QString beyond_limits_text(const PathExtents& reach, const MachineState& s) {
    return QStringLiteral(
               "Задание выходит за пределы перемещений.\n"
               "X: от %1 до %2 мм, предел %3 мм\n"
               "Y: от %4 до %5 мм, предел %6 мм\n"
               "Выход за пределы, продолжить?")
        .arg(show_fixed4(reach.min_x), show_fixed4(reach.max_x),
             QString::number(s.travel_limit[AXIS_X]), show_fixed4(reach.min_y),
             show_fixed4(reach.max_y), QString::number(s.travel_limit[AXIS_Y]));
}

}  // namespace

bool JobButtons::refused() {
    if (!machine_.busy() && !machine_.asking()) {
        return false;
    }
    machine_.op().show_message(MessageKind::Error, Machine::busy_message());
    return true;
}

void JobButtons::run_draw_job() {
    if (refused()) {
        return;
    }
    Machine::JobScope running(machine_);
    if (!goes_ahead([this] { draw_on_page(); })) {
        return;
    }
    // White picture, pen left where it was: the job's track goes on from the last one's end.
    machine_.track().clear();
    draw_on_page();
    finish_job();
}

void JobButtons::run_drill_job() {
    if (refused()) {
        return;
    }
    Machine::JobScope running(machine_);
    gerber_.set_plot_mode(false);
    const double depth = read_number(machine_.panel().field_text(Field::DrillDepth));
    if (!goes_ahead([this, depth] { drill_on_page(depth); })) {
        return;
    }
    drill_on_page(depth);
    finish_job();
}

void JobButtons::draw_on_page() {
    if (machine_.panel().file_page() == kDxfPage) {
        gerber_.set_plot_mode(false);
        dxf_.draw_lines();
    } else {
        gerber_.plot();
    }
}

void JobButtons::drill_on_page(double depth) {
    if (machine_.panel().file_page() == kDxfPage) {
        gerber_.set_drill_mode(false);
        dxf_.drill_points();
    } else {
        gerber_.drill(depth);
    }
}

bool JobButtons::goes_ahead(const std::function<void()>& job) {
    PathExtents reach;
    {
        GerberJobs::KeptRegisters kept(gerber_);
        DryRun dry(machine_, mover_);
        try {
            job();
        } catch (const OperationAbandoned&) {
            // The real run meets the same fault at the same place and tells it; the path up to
            // there is what the question is about.
        }
        reach = dry.extents();
    }
    const MachineState& s = machine_.state();
    if (reach.empty ||
        (reach.max_x <= s.travel_limit[AXIS_X] && reach.max_y <= s.travel_limit[AXIS_Y])) {
        return true;
    }
    QString question = beyond_limits_text(reach, s);
    if (machine_.panel().file_page() != kDxfPage) {
        // A board drawn this year, read the classic way, lands a hundred times too large.
        const QString hint = classic_mode_hint(machine_.panel().field_text(Field::GerberFile));
        if (!hint.isEmpty()) {
            question += QLatin1Char('\n') + hint;
        }
    }
    Machine::QuestionScope asking(machine_);
    return machine_.op().ask_yes_no(MessageKind::JobBeyondLimits, question);
}

void JobButtons::finish_job() {
    if (machine_.panel().return_to_origin()) {
        mover_.raise_tool();
        mover_.travel_to(0, 0);
    }
    gerber_.set_plot_mode(false);
    // Cleared last: a stop ends the whole job, the return included, and no later move.
    machine_.end_stop_request();
}

}  // namespace ostrel
