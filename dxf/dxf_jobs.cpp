// The job buttons and the DXF drawing and drilling jobs, expressed in moves of the Mover.
#include "dxf/dxf_jobs.h"

#include "core/job_file.h"
#include "core/number_text.h"
#include "dxf/dxf_reader.h"

#include <QColor>

namespace ostrel {

void DxfJobs::raise() {
    const JobParameters& job = machine_.state().job;
    mover_.move_z_to(job.z_travel, job.speed_z_up);
}

void DxfJobs::travel_to(double x, double y) {
    mover_.move_to_xy(x, y, machine_.state().job.speed_xy_rapid);
}

void DxfJobs::run_draw_job() {
    if (machine_.busy()) {
        machine_.op().show_message(MessageKind::Error, Machine::busy_message());
        return;
    }
    Machine::JobScope running(machine_);
    // White picture, pen left where it was: the job's track goes on from the last one's end.
    machine_.track().clear();
    if (machine_.panel().file_page() == 0) {
        if (gerber_) {
            gerber_->set_plot_mode(false);
        }
        draw_lines();
    } else if (gerber_) {
        gerber_->set_plot_mode(true);
        gerber_->set_drill_mode(false);
        gerber_->clear_app_pending();
        gerber_->run_gerber_job();
    }
    finish_job();
}

void DxfJobs::finish_job() {
    if (machine_.panel().return_to_origin()) {
        raise();
        travel_to(0, 0);
    }
    if (gerber_) {
        gerber_->set_plot_mode(false);
    }
    // Cleared last: a stop ends the whole job, the return included, and no later move.
    machine_.state().stop_requested = false;
}

void DxfJobs::draw_lines() {
    machine_.read_job_parameters();
    const QString path = machine_.panel().field_text(Field::DxfFile);
    if (!job_file_exists(path, machine_.op(), Field::DxfFile)) {
        return;
    }
    MachineState& s = machine_.state();
    const JobParameters& job = s.job;
    DxfReader pass(path, DxfReader::Entity::Line);
    while (!s.stop_requested) {
        const auto line = pass.next_line_entity();
        if (!line) {
            break;
        }
        // Exact comparisons: a position that differs in any digit counts as elsewhere.
        if (s.pos_x != line->x1 || s.pos_y != line->y1) {
            raise();
            travel_to(line->x1, line->y1);
        }
        if (s.pos_x != line->x2 || s.pos_y != line->y2) {
            mover_.move_z_to(0, job.speed_z_down);
            mover_.move_to_xy(line->x2, line->y2, job.speed_xy);
        }
    }
    if (pass.cut_off()) {
        machine_.op().show_message(MessageKind::Error, pass.cut_off_message());
    }
}

void DxfJobs::run_drill_job() {
    if (machine_.busy()) {
        machine_.op().show_message(MessageKind::Error, Machine::busy_message());
        return;
    }
    Machine::JobScope running(machine_);
    if (gerber_) {
        gerber_->set_plot_mode(false);
    }
    drill_depth_ = read_number(machine_.panel().field_text(Field::DrillDepth));
    if (machine_.panel().file_page() == 0) {
        if (gerber_) {
            gerber_->set_drill_mode(false);
        }
        drill_points();
    } else if (gerber_) {
        gerber_->set_drill_depth(drill_depth_);
        gerber_->set_drill_mode(true);
        gerber_->run_gerber_job();
    }
    finish_job();
}

void DxfJobs::drill_points() {
    MachineState& s = machine_.state();
    s.pos_x = 0;
    s.pos_y = 0;
    const Panel& panel = machine_.panel();
    // The same five edits in the same order as every job, then the hole depth.
    machine_.read_job_parameters();
    const JobParameters& job = s.job;
    drill_depth_ = read_number(panel.field_text(Field::DrillDepth));
    const QString path = panel.field_text(Field::DxfFile);
    if (!job_file_exists(path, machine_.op(), Field::DxfFile)) {
        return;
    }
    {
        DxfReader pass(path, DxfReader::Entity::Point);
        while (const auto point = pass.next_point_entity()) {
            if (s.pos_x != point->x || s.pos_y != point->y) {
                raise();
                travel_to(point->x, point->y);
            }
            mover_.move_z_to(0, job.speed_z_up);
            mover_.move_z_to(-drill_depth_, job.speed_z_down);
        }
        if (pass.cut_off()) {
            machine_.op().show_message(MessageKind::Error, pass.cut_off_message());
        }
    }
    raise();
    if (panel.return_to_origin()) {
        travel_to(0, 0);
    }
}

}  // namespace ostrel
