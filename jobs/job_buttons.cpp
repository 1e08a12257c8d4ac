// The job buttons: the page's job between the checks and closing steps both pages share.
#include "jobs/job_buttons.h"

#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "gerber/classic_hint.h"
#include "jobs/true_size_settings.h"
#include "motion/dry_run.h"

namespace ostrel {

namespace {

constexpr int kDxfPage = 0;
constexpr int kGerberPage = 1;
constexpr int kGcodePage = 2;

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
    placed_.reset();
    draw_on_page();
    keep_placed_offset();
    finish_job();
}

void JobButtons::run_drill_job() {
    if (refused()) {
        return;
    }
    if (machine_.panel().file_page() == kGcodePage) {
        run_draw_job();
        return;
    }
    Machine::JobScope running(machine_);
    gerber_.set_plot_mode(false);
    const double depth = read_number(machine_.panel().field_text(Field::DrillDepth));
    if (!goes_ahead([this, depth] { drill_on_page(depth); })) {
        return;
    }
    placed_.reset();
    drill_on_page(depth);
    keep_placed_offset();
    finish_job();
}

void JobButtons::draw_on_page() {
    Panel& panel = machine_.panel();
    const int page = panel.file_page();
    if (page == kGcodePage) {
        const Placement placement = read_placement(machine_);
        gcode_.run(panel.field_text(Field::GcodeFile), placement);
        placed_ = Placed{placement, gcode_.summary().offset};
    } else if (page == kDxfPage) {
        gerber_.set_plot_mode(false);
        if (panel.standard_mode(page)) {
            const DxfStandardSettings settings = read_dxf_settings(machine_);
            dxf_standard_.draw(settings);
            placed_ = Placed{settings.placement, dxf_standard_.summary().offset};
        } else {
            dxf_.draw_lines();
        }
    } else if (panel.standard_mode(page)) {
        const BoardJobSettings settings = read_board_settings(machine_, 0);
        const BoardJobReport report = board_.plot(panel.field_text(Field::GerberFile), settings);
        placed_ = Placed{settings.placement, report.offset};
    } else {
        gerber_.plot();
    }
}

void JobButtons::drill_on_page(double depth) {
    Panel& panel = machine_.panel();
    const int page = panel.file_page();
    if (page == kDxfPage) {
        gerber_.set_drill_mode(false);
        if (panel.standard_mode(page)) {
            const DxfStandardSettings settings = read_dxf_settings(machine_);
            dxf_standard_.drill(settings, depth);
            placed_ = Placed{settings.placement, dxf_standard_.summary().offset};
        } else {
            dxf_.drill_points();
        }
    } else if (panel.standard_mode(page)) {
        const BoardJobSettings settings = read_board_settings(machine_, depth);
        const BoardJobReport report = board_.drill(panel.field_text(Field::GerberFile), settings);
        placed_ = Placed{settings.placement, report.offset};
    } else {
        gerber_.drill(depth);
    }
}

void JobButtons::keep_placed_offset() {
    if (placed_) {
        keep_corner_offset(machine_, placed_->placement, placed_->offset);
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
    if (machine_.panel().file_page() == kGerberPage &&
        !machine_.panel().standard_mode(kGerberPage)) {
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
