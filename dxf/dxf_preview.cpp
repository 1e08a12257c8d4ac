// The DXF preview: box pass for the automatic zoom, then one drawing pass in file order.
#include "dxf/dxf_preview.h"

#include "core/job_file.h"
#include "core/number_text.h"

#include <QColor>
#include <algorithm>
#include <cmath>
#include <optional>

namespace ostrel {

namespace {

constexpr Extended kCountsPerMm = 10000;
// Mapped points are kept within this many pixels; nothing drawn there reaches a picture.
constexpr Extended kMappedLimit = 1e15L;
// Segments are cut to this frame before they reach the painter.
constexpr std::int64_t kWholeFrame = 1 << 20;
constexpr Extended kFrame = kWholeFrame;

std::int64_t trunc_held(Extended value) {
    return static_cast<std::int64_t>(
        std::clamp(trunc_toward_zero(value), -kMappedLimit, kMappedLimit));
}

// Cuts the segment to the frame (Liang-Barsky); false when none of it lies inside.
bool clip_to_frame(Extended& x1, Extended& y1, Extended& x2, Extended& y2) {
    const Extended dx = x2 - x1;
    const Extended dy = y2 - y1;
    Extended t0 = 0;
    Extended t1 = 1;
    const Extended p[4] = {-dx, dx, -dy, dy};
    const Extended q[4] = {x1 + kFrame, kFrame - x1, y1 + kFrame, kFrame - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const Extended t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const Extended ox = x1;
    const Extended oy = y1;
    x1 = ox + t0 * dx;
    y1 = oy + t0 * dy;
    x2 = ox + t1 * dx;
    y2 = oy + t1 * dy;
    return true;
}

// Whole zooms, counts and offsets well inside these bounds map in integers: the extended sum is
// then an exact whole number under 2^62, its quotient by 10000 is never rounded onto or across a
// whole number, and cutting it toward zero is what integer division does.
constexpr std::int64_t kExactCounts = std::int64_t{1} << 40;
constexpr std::int64_t kExactZoom = std::int64_t{1} << 20;

bool whole_zoom(double zoom) {
    return zoom >= 0 && zoom < static_cast<double>(kExactZoom) && zoom == std::floor(zoom);
}

}  // namespace

std::int64_t DxfPreview::column_of(std::int64_t q_x) const {
    if (whole_zoom(preview_zoom_) && q_x > -kExactCounts && q_x < kExactCounts &&
        preview_offset_x_ > -kExactCounts && preview_offset_x_ < kExactCounts) {
        return (q_x * static_cast<std::int64_t>(preview_zoom_) + preview_offset_x_ * 10000) / 10000;
    }
    return trunc_held((static_cast<Extended>(q_x) * preview_zoom_ +
                       static_cast<Extended>(preview_offset_x_) * kCountsPerMm) /
                      kCountsPerMm);
}

std::int64_t DxfPreview::row_of(std::int64_t q_y) const {
    if (whole_zoom(preview_zoom_) && q_y > -kExactCounts && q_y < kExactCounts &&
        preview_offset_y_ > -kExactCounts && preview_offset_y_ < kExactCounts) {
        return baseline_y_ -
               (q_y * static_cast<std::int64_t>(preview_zoom_) - preview_offset_y_ * 10000) / 10000;
    }
    return baseline_y_ - trunc_held((static_cast<Extended>(q_y) * preview_zoom_ -
                                     static_cast<Extended>(preview_offset_y_) * kCountsPerMm) /
                                    kCountsPerMm);
}

namespace {

void draw_between(Picture& picture, QPoint from, QPoint to) {
    if (picture.pen_position() != from) {
        picture.move_to(from);
    }
    picture.line_to(to);
}

}  // namespace

void draw_clipped_segment(Picture& picture, Extended x1, Extended y1, Extended x2, Extended y2) {
    if (!clip_to_frame(x1, y1, x2, y2)) {
        return;
    }
    const QPoint from(static_cast<int>(std::nearbyint(x1)), static_cast<int>(std::nearbyint(y1)));
    const QPoint to(static_cast<int>(std::nearbyint(x2)), static_cast<int>(std::nearbyint(y2)));
    draw_between(picture, from, to);
}

void DxfPreview::draw_segment(Picture& picture, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                              std::int64_t y2) {
    // Whole points inside the frame come through the cut unchanged.
    const auto inside = [](std::int64_t v) { return v > -kWholeFrame && v < kWholeFrame; };
    if (inside(x1) && inside(y1) && inside(x2) && inside(y2)) {
        draw_between(picture, QPoint(static_cast<int>(x1), static_cast<int>(y1)),
                     QPoint(static_cast<int>(x2), static_cast<int>(y2)));
        return;
    }
    draw_clipped_segment(picture, x1, y1, x2, y2);
}

void DxfPreview::KeptLines::add(const Counts& counts) {
    if (size % kBlock == 0) {
        blocks.emplace_back().reserve(kBlock);
    }
    blocks.back().push_back(counts);
    ++size;
}

std::int32_t DxfPreview::dxf_auto_zoom(const Picture& picture, KeptLines* kept) {
    std::int64_t max_x = 1;
    std::int64_t max_y = 1;
    std::int64_t min_x = -1;
    std::int64_t min_y = -1;
    const QSize size = picture.size();
    const QString path = machine_.panel().field_text(Field::DxfFile);
    if (!job_file_exists(path, machine_.op(), Field::DxfFile)) {
        return 0;
    }
    DxfReader pass(path, DxfReader::Entity::Line);
    bool all_kept = kept != nullptr;
    while (const auto line = pass.next_line_entity()) {
        if (all_kept && kept->size < KeptLines::kMaxKeptLines) {
            kept->add({line->q_x1, line->q_y1, line->q_x2, line->q_y2});
        } else if (all_kept) {
            all_kept = false;
            *kept = {};
        }
        // Whole millimetres, cut toward zero, straight from the exact counts.
        const std::int64_t tx1 = line->q_x1 / 10000;
        const std::int64_t ty1 = line->q_y1 / 10000;
        const std::int64_t tx2 = line->q_x2 / 10000;
        const std::int64_t ty2 = line->q_y2 / 10000;
        max_x = std::max({max_x, tx1, tx2});
        max_y = std::max({max_y, ty1, ty2});
        min_x = std::min({min_x, tx1, tx2});
        min_y = std::min({min_y, ty1, ty2});
    }
    const std::int64_t span_x = max_x - min_x + 10;
    const std::int64_t span_y = max_y - min_y + 10;
    const std::int64_t width = size.width();
    const std::int64_t height = size.height();
    const bool width_limits = static_cast<Extended>(width) / static_cast<Extended>(span_x) <=
                              static_cast<Extended>(height) / static_cast<Extended>(span_y);
    const std::int64_t zoom = width_limits ? width / span_x : height / span_y;
    // Offsets are kept in 64 bits: a drawing far from its origin must not wrap them round.
    preview_offset_x_ = -min_x;
    preview_offset_y_ = min_y;
    if (all_kept) {
        kept->complete = true;
        kept->cut_off = pass.cut_off();
        kept->cut_off_message = pass.cut_off() ? pass.cut_off_message() : QString();
    }
    return static_cast<std::int32_t>(zoom);
}

void DxfPreview::render_dxf_preview(Picture& picture, int outer_height,
                                    const std::function<void()>& show_window) {
    Operator& op = machine_.op();
    Panel& panel = machine_.panel();
    if (machine_.busy()) {
        op.show_message(MessageKind::Error, Machine::busy_message());
        return;
    }
    const QString path = panel.field_text(Field::DxfFile);
    if (!job_file_exists(path, op, Field::DxfFile)) {
        return;
    }
    if (show_window) {
        show_window();
    }
    baseline_y_ = outer_height - kBaselineMargin;
    preview_zoom_ = std::max(panel.preview_zoom(), 0);
    preview_offset_x_ = 0;
    preview_offset_y_ = 0;
    // With "Auto" the box pass has read the lines already: the drawing takes them from it.
    KeptLines kept;
    if (panel.auto_zoom()) {
        preview_zoom_ = dxf_auto_zoom(picture, &kept);
    }
    std::optional<DxfReader> pass;
    if (!kept.complete) {
        pass.emplace(path, DxfReader::Entity::Line);
    }
    std::size_t next_kept = 0;
    const auto next_line = [&]() -> std::optional<KeptLines::Counts> {
        if (kept.complete) {
            if (next_kept == kept.size) {
                return std::nullopt;
            }
            return kept[next_kept++];
        }
        const auto line = pass->next_line_entity();
        if (!line) {
            return std::nullopt;
        }
        return KeptLines::Counts{line->q_x1, line->q_y1, line->q_x2, line->q_y2};
    };
    preview_offset_x_ = round_half_even(static_cast<Extended>(preview_offset_x_) * preview_zoom_);
    preview_offset_y_ = round_half_even(static_cast<Extended>(preview_offset_y_) * preview_zoom_);

    picture.fill(DxfPreviewColours::background);

    // Origin cross, 10 mm each way.
    constexpr std::int64_t kTenMm = 10 * 10000;
    picture.set_pen(DxfPreviewColours::cross, 1);
    draw_segment(picture, column_of(-kTenMm), row_of(0), column_of(kTenMm), row_of(0));
    draw_segment(picture, column_of(0), row_of(-kTenMm), column_of(0), row_of(kTenMm));

    // The first travel line starts at the left edge, on the row where the origin is drawn.
    // (Row baseline_y - oy would mirror the offset and miss the origin's row under "Auto".)
    picture.set_pen(DxfPreviewColours::line, 1);
    std::int64_t pen_x = 0;
    std::int64_t pen_y = row_of(0);
    picture.move_to(QPoint(0, static_cast<int>(pen_y)));
    const bool idle_moves = panel.idle_moves();
    while (const auto line = next_line()) {
        const auto [q_x1, q_y1, q_x2, q_y2] = *line;
        const std::int64_t x1 = column_of(q_x1);
        const std::int64_t y1 = row_of(q_y1);
        const std::int64_t x2 = column_of(q_x2);
        const std::int64_t y2 = row_of(q_y2);
        if (idle_moves) {
            picture.set_pen(DxfPreviewColours::travel, 1);
            draw_segment(picture, pen_x, pen_y, x1, y1);
        }
        picture.set_pen(DxfPreviewColours::line, 1);
        draw_segment(picture, x1, y1, x2, y2);
        pen_x = x2;
        pen_y = y2;
    }
    if (kept.complete ? kept.cut_off : pass->cut_off()) {
        op.show_message(MessageKind::Error,
                        kept.complete ? kept.cut_off_message : pass->cut_off_message());
    }
}

}  // namespace ostrel
