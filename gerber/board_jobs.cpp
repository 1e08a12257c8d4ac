// The true-size jobs: a board read, placed, planned into strokes or holes, and run.
#include "gerber/board_jobs.h"

#include "core/job_file.h"
#include "core/number_text.h"
#include "core/travel_order.h"
#include "gerber/board_outline.h"
#include "gerber/excellon_reader.h"
#include "motion/plan_runner.h"

#include <map>
#include <unordered_map>

namespace ostrel {

namespace {

// Arcs become lines straying at most this (mm) from the arc: under one motor step.
constexpr double kPlotTolerance = 0.002;

// Centre lines joined into strokes wherever one piece ends where another starts, whatever their
// order in the file: the pen then lifts only where a line really ends.
class StrokeChains {
public:
    void add(std::vector<PointMm> piece) {
        std::size_t s = 0;
        if (const auto end = by_end_.find(key(piece.front())); end != by_end_.end()) {
            s = end->second;
            by_end_.erase(end);
            strokes_[s].points.insert(strokes_[s].points.end(), piece.begin() + 1, piece.end());
        } else {
            s = strokes_.size();
            by_start_[key(piece.front())] = s;
            strokes_.push_back({std::move(piece)});
        }
        const auto next = by_start_.find(key(strokes_[s].points.back()));
        if (next != by_start_.end() && next->second != s) {
            const std::size_t t = next->second;
            by_start_.erase(next);
            std::vector<PointMm>& into = strokes_[s].points;
            std::vector<PointMm>& from = strokes_[t].points;
            into.insert(into.end(), from.begin() + 1, from.end());
            from.clear();
        }
        by_end_[key(strokes_[s].points.back())] = s;
    }

    std::vector<Stroke> take() {
        std::vector<Stroke> out;
        for (Stroke& s : strokes_) {
            if (!s.points.empty()) {
                out.push_back(std::move(s));
            }
        }
        return out;
    }

private:
    using Key = std::pair<double, double>;
    static Key key(PointMm p) { return {p.x, p.y}; }

    std::vector<Stroke> strokes_;
    std::map<Key, std::size_t> by_end_;
    std::map<Key, std::size_t> by_start_;
};

long long clear_objects(const Board& board) {
    long long n = 0;
    for (const BoardLevel& level : board.levels) {
        if (level.clear) {
            n += static_cast<long long>(level.tracks.size() + level.arcs.size() +
                                        level.pads.size() + level.regions.size());
        }
    }
    return n;
}

// The one message about what a job passes over and what the file left unsaid.
QString notes_message(const BoardNotes& notes, long long slots, bool plotting) {
    QStringList skipped;
    const auto item = [&skipped](long long n, const QString& what) {
        if (n > 0) {
            skipped.append(what.arg(n));
        }
    };
    if (plotting) {
        item(notes.clear_objects, QStringLiteral("объектов стирающей полярности (%LPC): %1"));
    }
    item(notes.aperture_blocks, QStringLiteral("вспышек блоков апертур (%AB): %1"));
    item(notes.unknown_apertures, QStringLiteral("объектов с неопределённой апертурой: %1"));
    item(notes.unknown_primitives, QStringLiteral("неизвестных апертур и примитивов: %1"));
    item(notes.routed, QStringLiteral("строк фрезеровки: %1"));
    item(slots, QStringLiteral("пазов (G85), пазы не сверлятся: %1"));
    QStringList lines;
    if (!skipped.isEmpty()) {
        lines.append(QStringLiteral("Пропущено — ") + skipped.join(QStringLiteral("; ")));
    }
    for (const QString& assumption : notes.assumptions) {
        lines.append(assumption.left(1).toUpper() + assumption.mid(1));
    }
    return lines.join(u'\n');
}

PointMm tool_position(const Machine& machine) {
    return {machine.state().pos_x, machine.state().pos_y};
}

}  // namespace

std::vector<Stroke> board_strokes(const Board& board, double marker_diameter_mm) {
    const double pen_radius = marker_diameter_mm / 2;
    StrokeChains chains;
    std::vector<Stroke> outlines;
    std::unordered_map<std::uint32_t, std::vector<std::vector<PointMm>>> pad_outlines;
    for (const BoardLevel& level : board.levels) {
        if (level.clear) {
            continue;
        }
        for (const Track& t : level.tracks) {
            chains.add({t.from, t.to});
        }
        for (const ArcTrack& a : level.arcs) {
            chains.add(arc_points(a.from, a.to, a.centre, a.sweep, kPlotTolerance));
        }
        for (const Pad& p : level.pads) {
            auto found = pad_outlines.find(p.aperture);
            if (found == pad_outlines.end()) {
                found = pad_outlines
                            .emplace(p.aperture,
                                     inset_outlines(board.apertures[p.aperture].parts, pen_radius))
                            .first;
            }
            for (const std::vector<PointMm>& outline : found->second) {
                Stroke stroke;
                stroke.points.reserve(outline.size());
                for (const PointMm q : outline) {
                    stroke.points.push_back({p.at.x + q.x, p.at.y + q.y});
                }
                outlines.push_back(std::move(stroke));
            }
        }
        for (const Region& r : level.regions) {
            ShapePart part;
            part.polygon = r.contour;
            for (std::vector<PointMm>& outline : inset_outlines({part}, pen_radius)) {
                outlines.push_back({std::move(outline)});
            }
        }
    }
    std::vector<Stroke> strokes = chains.take();
    for (Stroke& s : outlines) {
        strokes.push_back(std::move(s));
    }
    return strokes;
}

QString tool_question(int tool, double diameter, long long holes) {
    return QStringLiteral("Вставьте сверло %1 мм (инструмент T%2, отверстий: %3). Сверлить?")
        .arg(show_general(diameter))
        .arg(tool)
        .arg(holes);
}

void GerberStandardJobs::tell(const QString& message) {
    if (!message.isEmpty()) {
        machine_.op().show_message(MessageKind::Plain, message);
    }
}

std::optional<GerberStandardJobs::PlacedBoard> GerberStandardJobs::read(
    const QString& path, Board& board, const BoardJobSettings& settings, BoardJobReport& report) {
    if (!job_file_exists(path, machine_.op(), Field::GerberFile)) {
        return std::nullopt;
    }
    board = read_board_file(path);
    board.notes.clear_objects = clear_objects(board);
    const BoxMm extents = board.extents();
    const PlacementMap map(settings.placement, extents, tool_position(machine_));
    report.offset = map.offset();
    report.mirror_x = map.mirror_x();
    report.placed = map(extents);
    report.notes = board.notes;
    report.slots = static_cast<long long>(board.slots.size());
    for (const BoardLevel& level : board.levels) {
        if (!level.clear) {
            report.tracks += static_cast<long long>(level.tracks.size());
            report.arcs += static_cast<long long>(level.arcs.size());
            report.pads += static_cast<long long>(level.pads.size());
            report.regions += static_cast<long long>(level.regions.size());
        }
    }
    return PlacedBoard{map, extents};
}

BoardJobReport GerberStandardJobs::run_plot(const QString& path, const BoardJobSettings& settings) {
    machine_.read_job_parameters();
    Board board;
    BoardJobReport report;
    const std::optional<PlacedBoard> placed = read(path, board, settings, report);
    if (!placed) {
        return report;
    }
    const PlacementMap& map = placed->map;
    std::vector<Stroke> strokes = board_strokes(board, settings.marker_diameter_mm);
    for (Stroke& stroke : strokes) {
        for (PointMm& p : stroke.points) {
            p = map(p);
        }
    }
    strokes = order_strokes(std::move(strokes), tool_position(machine_));
    report.strokes = static_cast<long long>(strokes.size());
    report.message = notes_message(board.notes, 0, true);
    tell(report.message);
    PlanRunner runner(machine_, mover_);
    runner.draw(strokes);
    report.lifts = runner.lifts();
    if (!machine_.state().stop_requested && !strokes.empty()) {
        mover_.raise_tool();
    }
    return report;
}

BoardJobReport GerberStandardJobs::run_drill(const QString& path,
                                             const BoardJobSettings& settings) {
    machine_.read_job_parameters();
    Board board;
    BoardJobReport report;
    const std::optional<PlacedBoard> placed = read(path, board, settings, report);
    if (!placed) {
        return report;
    }
    const PlacementMap& map = placed->map;
    std::map<std::pair<int, double>, std::vector<Hole>> by_tool;
    for (const Hole& hole : board.holes) {
        by_tool[{hole.tool, hole.diameter}].push_back({map(hole.at), hole.diameter, hole.tool});
    }
    report.message = notes_message(board.notes, report.slots, false);
    tell(report.message);
    PlanRunner runner(machine_, mover_);
    const MachineState& s = machine_.state();
    for (auto& [tool, holes] : by_tool) {
        if (s.stop_requested) {
            break;
        }
        mover_.raise_tool();
        const long long count = static_cast<long long>(holes.size());
        const bool yes = !settings.confirm_tool ||
                         settings.confirm_tool(tool_question(tool.first, tool.second, count));
        report.tools.push_back({tool.first, tool.second, count, yes});
        if (yes) {
            runner.drill(order_holes(std::move(holes), tool_position(machine_)),
                         settings.drill_depth_mm);
        }
    }
    report.lifts = runner.lifts();
    if (!s.stop_requested && !by_tool.empty()) {
        mover_.raise_tool();
    }
    return report;
}

BoardJobReport GerberStandardJobs::run_preview(const QString& path,
                                               const BoardJobSettings& settings, FileView& view) {
    BoardJobReport report;
    if (machine_.busy()) {
        machine_.op().show_message(MessageKind::Error, Machine::busy_message());
        return report;
    }
    view.show();
    Board board;
    const std::optional<PlacedBoard> placed = read(path, board, settings, report);
    if (!placed) {
        return report;
    }
    Picture& picture = view.picture();
    const BoardColours colours;
    picture.fill(colours.background);
    paint_board(board, picture,
                fit_board(placed->extents, settings.placement.mirror_x, picture.size()), colours);
    report.message = notes_message(board.notes, 0, false);
    tell(report.message);
    return report;
}

}  // namespace ostrel
