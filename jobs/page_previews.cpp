// The previews: the classic page previews, or the true-size ones when the page reads that way.
#include "jobs/page_previews.h"

#include "jobs/true_size_settings.h"

namespace ostrel {

namespace {
constexpr int kDxfPage = 0;
constexpr int kGerberPage = 1;
}  // namespace

void PagePreviews::dxf(Picture& picture, int outer_height,
                       const std::function<void()>& show_window) {
    if (machine_.panel().standard_mode(kDxfPage)) {
        dxf_standard_.preview(picture, outer_height, read_dxf_settings(machine_), show_window);
    } else {
        dxf_.render_dxf_preview(picture, outer_height, show_window);
    }
}

void PagePreviews::gerber(FileView& view) {
    if (machine_.panel().standard_mode(kGerberPage)) {
        board_.preview(machine_.panel().field_text(Field::GerberFile),
                       read_board_settings(machine_, 0), view);
    } else {
        gerber_.show_gerber_preview(view);
    }
}

const GcodeSummary& PagePreviews::gcode(FileView& view) {
    gcode_.preview(machine_.panel().field_text(Field::GcodeFile), read_placement(machine_), view);
    return gcode_.summary();
}

}  // namespace ostrel
