// The G-code page: a program checked whole, then run, previewed or estimated on the machine.
#pragma once

#include "core/file_view.h"
#include "core/placement.h"
#include "gcode/gcode_interpreter.h"
#include "motion/machine.h"
#include "motion/mover.h"

#include <QString>

namespace ostrel {

// What the last check found, for the page, the preview and the runner's summary.
struct GcodeSummary {
    std::int64_t lines = 0;
    std::int64_t rapids = 0, feeds = 0, arcs = 0;  // canonical moves
    std::int64_t pieces = 0;                       // straight moves the machine makes
    std::int64_t tool_changes = 0, pauses = 0;
    BoxMm extents;         // X, Y in the file's millimetres
    BoxMm placed_extents;  // on the machine
    double min_z = 0, max_z = 0;
    PointMm offset;  // the placement's offset as used
    bool mirror_x = false;
    double seconds = 0;  // machine time: the step waits of the moves and the dwells
    bool ignored_words = false;
};

// The preview's colours: feed moves black, rapids red, on white.
struct GcodeColours {
    QColor background{255, 255, 255};
    QColor feed{0, 0, 0};
    QColor rapid{220, 0, 0};
};

class GcodeJobs {
public:
    GcodeJobs(Machine& machine, Mover& mover) : machine_(machine), mover_(mover) {}

    // "Рисовать": the job parameters read, the program at path checked whole (a refusal names
    // the line and the word before anything moves), placed from where the tool stands, then run:
    // G0 at the rapid speeds, G1-G3 at their feed, dwells waited, M0/M1 and tool changes asked
    // with "ДА"/"НЕТ" ("НЕТ" stops the job), the tool raised to the travel height for a tool
    // change and lowered again to where the program has it after the answer. Spindle and
    // coolant words are told once to be passed over. Ends between moves on a stop request.
    void run(const QString& path, const Placement& placement);

    // "Просмотр": the program checked and placed, its moves fitted to the file-view picture at
    // true proportions, feeds black and rapids red. Refused while anything moves. The summary
    // holds the extents and the machine time.
    void preview(const QString& path, const Placement& placement, FileView& view);

    const GcodeSummary& summary() const { return summary_; }

    // The summary's extents and time as the page shows them.
    static QString describe(const GcodeSummary& summary);

private:
    // Checks the whole program into the summary; false when there is no such file (told).
    bool check(const QString& path, const Placement& placement, PlacementMap& map);
    double tolerance() const;

    Machine& machine_;
    Mover& mover_;
    GcodeSummary summary_;
};

}  // namespace ostrel
