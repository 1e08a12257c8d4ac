// The DXF page in the standard mode: drawing, drilling and preview of a true-size drawing.
#pragma once

#include "core/picture.h"
#include "dxf/dxf_drawing.h"
#include "motion/machine.h"
#include "motion/mover.h"

#include <QString>
#include <functional>
#include <map>
#include <string>

namespace ostrel {

// What the last run of the standard mode found and did, for the runner's summary and the page.
struct DxfStandardSummary {
    std::int64_t strokes = 0;
    std::int64_t pen_lifts = 0;  // raises with a travel between strokes or holes
    std::int64_t holes = 0;
    std::int64_t segments = 0;
    double length_mm = 0;
    BoxMm extents;         // file millimetres
    BoxMm placed_extents;  // machine millimetres
    PointMm offset;        // the placement's offset as used
    bool mirror_x = false;
    double mm_per_unit = 1;
    DxfFileFacts facts;
};

class DxfStandardJobs {
public:
    DxfStandardJobs(Machine& machine, Mover& mover) : machine_(machine), mover_(mover) {}

    // "Рисовать": the job parameters read, the file named in dxfFileEdit read and placed, its
    // strokes drawn nearest first, the pen down along each and lifted only between them. Tells
    // in one message what the drawing holds that is not drawn. Ends early on a stop request.
    void draw(const DxfStandardSettings& settings);
    // "Сверлить": holes at the POINTs (and CIRCLE centres when chosen), nearest first, depth_mm
    // deep, then the tool raised.
    void drill(const DxfStandardSettings& settings, double depth_mm);
    // "Просмотр" and the zoom controls: the placed drawing on picture at the typed zoom or the
    // automatic one, as the classic preview maps and frames it (but that a drawing too large for
    // a pixel a millimetre is shown smaller, not as a dot), with the travels between strokes in
    // red when "холстые перем." is checked. Moves nothing; refused while anything moves. What
    // the drawing leaves out is in the summary's facts, not in a message.
    void preview(Picture& picture, int outer_height, const DxfStandardSettings& settings,
                 const std::function<void()>& show_window = {});

    const DxfStandardSummary& summary() const { return summary_; }

private:
    // The drawing of the file named on the page, placed for the tool where it stands; false when
    // there is no such file (the operator was told). A job tells what it leaves out; the preview,
    // redrawn at every change of the zoom, leaves that to the summary.
    bool prepare(const DxfStandardSettings& settings, bool tell_left_out);

    Machine& machine_;
    Mover& mover_;
    DxfStandardSummary summary_;
    std::vector<Stroke> strokes_;  // placed, in the order of the job
    std::vector<Hole> holes_;      // placed, in the order of the job
};

}  // namespace ostrel
