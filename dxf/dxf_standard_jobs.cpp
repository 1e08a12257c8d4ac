// The standard mode's jobs: the drawing read whole, placed, ordered nearest first, then run by
// the plan runner; the preview draws the same placed plan.
#include "dxf/dxf_standard_jobs.h"

#include "core/job_file.h"
#include "core/travel_order.h"
#include "dxf/dxf_preview.h"
#include "motion/plan_runner.h"

#include <QColor>
#include <algorithm>
#include <cmath>

namespace ostrel {

namespace {

// Mapped points are held within this many pixels; nothing drawn there reaches a picture.
constexpr Extended kMappedLimit = 1e15L;

Extended held(Extended value) {
    return std::clamp(trunc_toward_zero(value), -kMappedLimit, kMappedLimit);
}

// Whole millimetres toward zero, held to what a 64-bit count takes.
std::int64_t whole_mm(double v) {
    return static_cast<std::int64_t>(std::clamp(std::trunc(v), -9e15, 9e15));
}

// The classic preview's mapping, from millimetres: whole pixels per mm, offsets in pixels.
struct PreviewMap {
    Extended zoom = 1;
    Extended offset_x = 0;
    Extended offset_y = 0;
    int baseline_y = 0;

    Extended column(double x) const { return held(static_cast<Extended>(x) * zoom + offset_x); }
    Extended row(double y) const {
        return baseline_y - held(static_cast<Extended>(y) * zoom - offset_y);
    }
};

}  // namespace

bool DxfStandardJobs::prepare(const DxfStandardSettings& settings, bool tell_left_out) {
    const QString path = machine_.panel().field_text(Field::DxfFile);
    if (!job_file_exists(path, machine_.op(), Field::DxfFile)) {
        return false;
    }
    const MachineState& s = machine_.state();
    const JoinReach reach{std::fabs(s.mm_per_step[AXIS_X]) / 2,
                          std::fabs(s.mm_per_step[AXIS_Y]) / 2};
    DxfDrawing drawing = read_dxf_drawing(path, settings, reach);
    const PointMm tool{s.pos_x, s.pos_y};
    const PlacementMap map(settings.placement, drawing.extents, tool);

    summary_ = {};
    summary_.segments = drawing.segments;
    summary_.length_mm = drawing.length_mm;
    summary_.extents = drawing.extents;
    summary_.placed_extents = map(drawing.extents);
    summary_.offset = map.offset();
    summary_.mirror_x = map.mirror_x();
    summary_.mm_per_unit = drawing.facts.mm_per_unit;
    summary_.facts = drawing.facts;
    strokes_ = order_strokes(placed_strokes(drawing.strokes, map), tool);
    holes_ = order_holes(placed_holes(drawing.holes, map), tool);
    summary_.strokes = static_cast<std::int64_t>(strokes_.size());
    summary_.holes = static_cast<std::int64_t>(holes_.size());

    const QString left_out = dxf_left_out_message(path, drawing.facts);
    if (tell_left_out && !left_out.isEmpty()) {
        machine_.op().show_message(MessageKind::Plain, left_out);
    }
    return true;
}

void DxfStandardJobs::draw(const DxfStandardSettings& settings) {
    machine_.read_job_parameters();
    if (!prepare(settings, true)) {
        return;
    }
    PlanRunner runner(machine_, mover_);
    runner.draw(strokes_);
    summary_.pen_lifts = runner.lifts();
}

void DxfStandardJobs::drill(const DxfStandardSettings& settings, double depth_mm) {
    machine_.read_job_parameters();
    if (!prepare(settings, true)) {
        return;
    }
    PlanRunner runner(machine_, mover_);
    runner.drill(holes_, depth_mm);
    summary_.pen_lifts = runner.lifts();
    mover_.raise_tool();
}

void DxfStandardJobs::preview(Picture& picture, int outer_height,
                              const DxfStandardSettings& settings,
                              const std::function<void()>& show_window) {
    Operator& op = machine_.op();
    const Panel& panel = machine_.panel();
    if (machine_.busy()) {
        op.show_message(MessageKind::Error, Machine::busy_message());
        return;
    }
    if (!job_file_exists(panel.field_text(Field::DxfFile), op, Field::DxfFile)) {
        return;
    }
    if (show_window) {
        show_window();
    }
    if (!prepare(settings, false)) {
        return;
    }
    PreviewMap map;
    map.baseline_y = outer_height - DxfPreview::kBaselineMargin;
    map.zoom = std::max(panel.preview_zoom(), 0);
    if (panel.auto_zoom()) {
        // As the classic preview frames a drawing: whole millimetres around the drawing and the
        // square of 1 mm round the origin, 10 mm more each way, whole pixels per millimetre
        // where it fits at one at least.
        const BoxMm& box = summary_.placed_extents;
        std::int64_t min_x = -1, min_y = -1, max_x = 1, max_y = 1;
        if (!box.empty) {
            min_x = std::min(min_x, whole_mm(box.min_x));
            min_y = std::min(min_y, whole_mm(box.min_y));
            max_x = std::max(max_x, whole_mm(box.max_x));
            max_y = std::max(max_y, whole_mm(box.max_y));
        }
        const std::int64_t span_x = max_x - min_x + 10;
        const std::int64_t span_y = max_y - min_y + 10;
        const QSize size = picture.size();
        const Extended fit =
            std::min(static_cast<Extended>(size.width()) / static_cast<Extended>(span_x),
                     static_cast<Extended>(size.height()) / static_cast<Extended>(span_y));
        // A drawing larger in millimetres than the picture in pixels is shown smaller than a
        // pixel a millimetre, where the classic preview would shrink it to a dot; it then keeps
        // to the rows above the baseline, since its margin of 10 mm has shrunk to nothing.
        map.zoom = fit >= 1 ? std::floor(fit)
                            : std::min(fit, static_cast<Extended>(map.baseline_y) /
                                                static_cast<Extended>(span_y));
        map.offset_x =
            static_cast<Extended>(round_half_even(static_cast<Extended>(-min_x) * map.zoom));
        map.offset_y =
            static_cast<Extended>(round_half_even(static_cast<Extended>(min_y) * map.zoom));
    }

    picture.fill(DxfPreviewColours::background);
    picture.set_pen(DxfPreviewColours::cross, 1);
    draw_clipped_segment(picture, map.column(-10), map.row(0), map.column(10), map.row(0));
    draw_clipped_segment(picture, map.column(0), map.row(-10), map.column(0), map.row(10));

    const bool idle_moves = panel.idle_moves();
    const MachineState& s = machine_.state();
    Extended pen_x = map.column(s.pos_x);
    Extended pen_y = map.row(s.pos_y);
    for (const Stroke& stroke : strokes_) {
        const Extended x = map.column(stroke.points.front().x);
        const Extended y = map.row(stroke.points.front().y);
        if (idle_moves) {
            picture.set_pen(DxfPreviewColours::travel, 1);
            draw_clipped_segment(picture, pen_x, pen_y, x, y);
        }
        picture.set_pen(DxfPreviewColours::line, 1);
        if (stroke.points.size() == 1) {
            // A point marked: a dot the size of a pixel.
            draw_clipped_segment(picture, x, y, x + 1, y);
        }
        for (std::size_t i = 1; i < stroke.points.size(); ++i) {
            const Extended from_x = map.column(stroke.points[i - 1].x);
            const Extended from_y = map.row(stroke.points[i - 1].y);
            const Extended to_x = map.column(stroke.points[i].x);
            const Extended to_y = map.row(stroke.points[i].y);
            if (from_x != to_x || from_y != to_y) {
                draw_clipped_segment(picture, from_x, from_y, to_x, to_y);
            }
        }
        pen_x = map.column(stroke.points.back().x);
        pen_y = map.row(stroke.points.back().y);
    }
}

}  // namespace ostrel
