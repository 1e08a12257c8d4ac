// The Gerber page's true-size jobs: plot, drill and preview of a board from its Gerber or drill
// file, placed as the operator chose.
#pragma once

#include "core/file_view.h"
#include "core/placement.h"
#include "gerber/board.h"
#include "gerber/board_picture.h"
#include "motion/machine.h"
#include "motion/mover.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace ostrel {

// What a true-size job needs besides the job parameters, which it reads from the panel as every
// job does.
struct BoardJobSettings {
    Placement placement;
    // The marker's diameter in mm: pad and region outlines keep its radius inside their edges.
    double marker_diameter_mm = 0.5;
    // How deep the drill goes below the surface, mm.
    double drill_depth_mm = 2;
    // Asked before each tool with the question for the operator; true ("ДА") drills its holes,
    // false passes them over. None: every tool is drilled without asking.
    std::function<bool(const QString&)> confirm_tool;
};

// What a job did, for its summary.
struct BoardJobReport {
    struct Tool {
        int tool = 0;
        double diameter = 0;  // mm
        long long holes = 0;
        bool drilled = false;  // the operator put the drill in (or was not asked)
    };
    PointMm offset;  // the one used: kept with the job parameters for the other files of the board
    bool mirror_x = false;
    BoxMm placed;  // the board as placed on the machine
    long long strokes = 0;
    long long lifts = 0;
    long long tracks = 0, arcs = 0, pads = 0, regions = 0;
    std::vector<Tool> tools;
    long long slots = 0;  // told, not drilled
    BoardNotes notes;
    // The one message about what was passed over or assumed; empty when there was nothing.
    QString message;
};

// The strokes that plot the board: tracks and arcs along their centre lines, joined where one
// ends at the next one's start; pads and regions as outlines inset by the marker's radius. In
// file coordinates, in file order; clear levels are left out.
std::vector<Stroke> board_strokes(const Board& board, double marker_diameter_mm);

// The question before a tool: the drill's diameter, the tool number and its holes.
QString tool_question(int tool, double diameter, long long holes);

class GerberStandardJobs {
public:
    GerberStandardJobs(Machine& machine, Mover& mover) : machine_(machine), mover_(mover) {}

    // "Рисовать": the job parameters read, the file read (Gerber or drill, by its content),
    // placed from where the tool stands, what can't be drawn told in one message, then the
    // strokes drawn in nearest-first order and the tool raised. A missing file is told as on
    // the page ("такого файла не существует"); a file that can't be read, or a move the machine
    // refuses, throws OperationAbandoned. Ends between moves on a stop request.
    BoardJobReport plot(const QString& path, const BoardJobSettings& settings) {
        return last_report_ = run_plot(path, settings);
    }

    // "Сверлить": likewise, the holes drilled tool by tool in the order of their numbers. Before
    // each tool the tool goes up to the travel height and the operator is asked to put in its
    // drill; within a tool the nearest hole is next. Slots are told, not drilled.
    BoardJobReport drill(const QString& path, const BoardJobSettings& settings) {
        return last_report_ = run_drill(path, settings);
    }

    // "Проспотр": the board placed (its mirror) and fitted to the file-view picture, copper
    // filled, holes as discs; what can't be shown told in one message. Refused with a message
    // while a job or a move runs.
    BoardJobReport preview(const QString& path, const BoardJobSettings& settings, FileView& view) {
        return last_report_ = run_preview(path, settings, view);
    }

    // What the last job or preview did, for the runner's summary.
    const BoardJobReport& last_report() const { return last_report_; }

private:
    BoardJobReport run_plot(const QString& path, const BoardJobSettings& settings);
    BoardJobReport run_drill(const QString& path, const BoardJobSettings& settings);
    BoardJobReport run_preview(const QString& path, const BoardJobSettings& settings,
                               FileView& view);
    // Where a board read lands, and what it covers in file coordinates.
    struct PlacedBoard {
        PlacementMap map;
        BoxMm extents;
    };
    // The board of the file at path, its counts in report, and where it lands; nothing when there
    // is no such file (the operator was told).
    std::optional<PlacedBoard> read(const QString& path, Board& board,
                                    const BoardJobSettings& settings, BoardJobReport& report);
    void tell(const QString& message);

    Machine& machine_;
    Mover& mover_;
    BoardJobReport last_report_;
};

}  // namespace ostrel
