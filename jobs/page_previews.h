// The preview buttons of both pages, in the reading mode each page is set to.
#pragma once

#include "core/file_view.h"
#include "core/picture.h"
#include "dxf/dxf_preview.h"
#include "dxf/dxf_standard_jobs.h"
#include "gcode/gcode_jobs.h"
#include "gerber/board_jobs.h"
#include "gerber/gerber_page.h"
#include "motion/machine.h"

#include <functional>

namespace ostrel {

class PagePreviews {
public:
    PagePreviews(Machine& machine, DxfPreview& dxf, GerberPage& gerber,
                 DxfStandardJobs& dxf_standard, GerberStandardJobs& board, GcodeJobs& gcode)
        : machine_(machine),
          dxf_(dxf),
          gerber_(gerber),
          dxf_standard_(dxf_standard),
          board_(board),
          gcode_(gcode) {}

    // "Просмотр" and the zoom controls of the DXF page, onto the file-view picture whose window
    // is outer_height high; show_window brings that window up.
    void dxf(Picture& picture, int outer_height, const std::function<void()>& show_window = {});
    // "Проспотр" of the Gerber page.
    void gerber(FileView& view);
    // "Просмотр" of the G-code page; the page shows GcodeJobs::describe of the summary.
    const GcodeSummary& gcode(FileView& view);

private:
    Machine& machine_;
    DxfPreview& dxf_;
    GerberPage& gerber_;
    DxfStandardJobs& dxf_standard_;
    GerberStandardJobs& board_;
    GcodeJobs& gcode_;
};

}  // namespace ostrel
