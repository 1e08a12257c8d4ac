// The DXF drawing and drilling jobs, expressed in moves of the Mover.
#include "dxf/dxf_jobs.h"

#include "core/job_file.h"
#include "core/number_text.h"
#include "dxf/dxf_reader.h"
#include "motion/plan_runner.h"

#include <QColor>

namespace ostrel {

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
        // Already at the start when the motors can come no nearer to it: the position is
        // summed up step by step and seldom equals the file's number to the last digit.
        if (!tool_is_at(s, {line->x1, line->y1})) {
            mover_.raise_tool();
            mover_.travel_to(line->x1, line->y1);
        }
        // Exact: a line of less than half a step still lowers the tool where it stands.
        if (s.pos_x != line->x2 || s.pos_y != line->y2) {
            mover_.move_z_to(0, job.speed_z_down);
            mover_.move_to_xy(line->x2, line->y2, job.speed_xy);
        }
    }
    if (pass.cut_off()) {
        machine_.op().show_message(MessageKind::Error, pass.cut_off_message());
    }
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
                mover_.raise_tool();
                mover_.travel_to(point->x, point->y);
            }
            mover_.move_z_to(0, job.speed_z_up);
            mover_.move_z_to(-drill_depth_, job.speed_z_down);
        }
        if (pass.cut_off()) {
            machine_.op().show_message(MessageKind::Error, pass.cut_off_message());
        }
    }
    mover_.raise_tool();
    if (panel.return_to_origin()) {
        mover_.travel_to(0, 0);
    }
}

}  // namespace ostrel
