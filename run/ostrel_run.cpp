// ostrel-run: a job of the controller without a window, its summary, picture and time estimate.
#include "core/clock.h"
#include "port/output_file.h"
#include "port/sim_backend.h"
#include "run/job_run.h"
#include "run/run_options.h"

#include <unistd.h>
#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>

namespace {

using namespace ostrel;

const char* const kAxisNames[] = {"", "x", "y", "z"};

// The machine time the job takes: the same job on the simulated machine, its moves counted
// rather than stepped, so that the estimate comes before the first step, not a whole run later.
double estimate_seconds(const RunOptions& options) {
    RunOptions dry = options;
    dry.port = PortOptions{};
    dry.port.kind = PortKind::Sim;
    dry.realtime = false;
    std::FILE* nowhere = std::fopen("/dev/null", "w");
    SimulatedClock clock;
    double seconds = 0;
    {
        JobRun run(dry, clock, nowhere != nullptr ? nowhere : stderr);
        run.controller().mover.set_counting(true);
        run.run();
        seconds = run.machine_seconds();
    }
    if (nowhere != nullptr) {
        std::fclose(nowhere);
    }
    return seconds;
}

QString clock_text(double seconds) {
    const long total = static_cast<long>(seconds + 0.5);
    return QStringLiteral("%1:%2:%3")
        .arg(total / 3600)
        .arg(total / 60 % 60, 2, 10, QChar(u'0'))
        .arg(total % 60, 2, 10, QChar(u'0'));
}

// A progress line on the terminal, redrawn at most ten times a second between steps.
class ProgressLine {
public:
    ProgressLine(JobRun& run, double estimate) : run_(run), estimate_(estimate) {}

    void tick() {
        const std::int64_t now = clock_.counter();
        if (now - last_drawn_ < 100'000'000) {
            return;
        }
        last_drawn_ = now;
        draw(false);
    }
    void finish() { draw(true); }

private:
    void draw(bool last) {
        const double done = run_.machine_seconds();
        const double share = estimate_ > 0 ? std::min(1.0, done / estimate_) : 1.0;
        const int filled = static_cast<int>(share * 30);
        const double elapsed = static_cast<double>(clock_.counter() - started_) / 1e9;
        std::fprintf(stderr, "\r[%s%s] %3d%%  elapsed %s  remaining %s%s",
                     std::string(filled, '#').c_str(), std::string(30 - filled, '-').c_str(),
                     static_cast<int>(share * 100), qPrintable(clock_text(elapsed)),
                     qPrintable(clock_text(std::max(0.0, estimate_ - done))), last ? "\n" : "");
        std::fflush(stderr);
    }

    JobRun& run_;
    double estimate_;
    MonotonicClock clock_;
    std::int64_t started_ = clock_.counter();
    std::int64_t last_drawn_ = 0;
};

QJsonArray point(PointMm p) {
    return QJsonArray{p.x, p.y};
}

// What the standard reading of a DXF file drew and left out.
QJsonObject dxf_standard_summary(const DxfStandardSummary& d) {
    QJsonObject skipped;
    for (const auto& [type, count] : d.facts.skipped) {
        skipped[QString::fromStdString(type)] = qint64(count);
    }
    if (d.facts.paper_space > 0) {
        skipped["paper_space"] = qint64(d.facts.paper_space);
    }
    return QJsonObject{{"offset", point(d.offset)},
                       {"mirror_x", d.mirror_x},
                       {"mm_per_unit", d.mm_per_unit},
                       {"paths", qint64(d.strokes)},
                       {"pen_lifts", qint64(d.pen_lifts)},
                       {"holes", qint64(d.holes)},
                       {"segments", qint64(d.segments)},
                       {"length_mm", d.length_mm},
                       {"skipped", skipped}};
}

// What the standard reading of a Gerber or drill file drew, drilled and left out.
QJsonObject board_summary(const BoardJobReport& r) {
    QJsonArray tools;
    for (const BoardJobReport::Tool& t : r.tools) {
        tools.append(QJsonObject{{"tool", t.tool},
                                 {"diameter", t.diameter},
                                 {"holes", qint64(t.holes)},
                                 {"drilled", t.drilled}});
    }
    const BoardNotes& n = r.notes;
    const QJsonObject skipped{{"clear_objects", qint64(n.clear_objects)},
                              {"aperture_blocks", qint64(n.aperture_blocks)},
                              {"unknown_apertures", qint64(n.unknown_apertures)},
                              {"unknown_primitives", qint64(n.unknown_primitives)},
                              {"routed", qint64(n.routed)},
                              {"slots", qint64(r.slots)}};
    return QJsonObject{{"offset", point(r.offset)},
                       {"mirror_x", r.mirror_x},
                       {"strokes", qint64(r.strokes)},
                       {"pen_lifts", qint64(r.lifts)},
                       {"tracks", qint64(r.tracks)},
                       {"arcs", qint64(r.arcs)},
                       {"pads", qint64(r.pads)},
                       {"regions", qint64(r.regions)},
                       {"tools", tools},
                       {"skipped", skipped},
                       {"assumed", QJsonArray::fromStringList(n.assumptions)}};
}

// What the G-code page's check of the program found.
QJsonObject gcode_summary(const GcodeSummary& g) {
    const BoxMm& b = g.placed_extents;
    return QJsonObject{{"offset", point(g.offset)},
                       {"mirror_x", g.mirror_x},
                       {"lines", qint64(g.lines)},
                       {"rapids", qint64(g.rapids)},
                       {"feeds", qint64(g.feeds)},
                       {"arcs", qint64(g.arcs)},
                       {"pieces", qint64(g.pieces)},
                       {"tool_changes", qint64(g.tool_changes)},
                       {"pauses", qint64(g.pauses)},
                       {"placed_x", QJsonArray{b.min_x, b.max_x}},
                       {"placed_y", QJsonArray{b.min_y, b.max_y}},
                       {"z", QJsonArray{g.min_z, g.max_z}},
                       {"estimate_s", g.seconds},
                       {"ignored_words", g.ignored_words}};
}

QJsonObject summary(JobRun& run, const RunOptions& options, bool ran_to_end, double wall) {
    const Controller& c = run.controller();
    const StepEngine::Totals& totals = c.engine.totals();
    QJsonObject steps;
    QJsonObject position;
    QJsonObject motors;
    for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
        steps[kAxisNames[axis]] = QJsonObject{{"forward", qint64(totals.forward_steps[axis])},
                                              {"backward", qint64(totals.backward_steps[axis])}};
    }
    const MachineState& s = c.machine.state();
    position["x"] = s.pos_x;
    position["y"] = s.pos_y;
    position["z"] = s.pos_z;
    QJsonObject out{{"file", options.file},
                    {"job", options.job == RunJob::Draw    ? "draw"
                            : options.job == RunJob::Drill ? "drill"
                                                           : "preview"},
                    {"page", options.page == RunPage::Dxf     ? "dxf"
                             : options.page == RunPage::Gcode ? "gcode"
                                                              : "gerber"},
                    {"completed", ran_to_end},
                    {"engine_calls", qint64(totals.calls)},
                    {"steps", steps},
                    {"position", position},
                    {"machine_time_s", run.machine_seconds()},
                    {"wall_time_s", wall},
                    {"messages", run.console().messages_shown()}};
    if (const SimBackend* sim = run.simulated_machine()) {
        const StepDecoder& decoded = sim->machine(run.port_id());
        for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
            motors[kAxisNames[axis]] = qint64(decoded.position(axis));
        }
        motors["lost_steps"] =
            qint64(decoded.faults(AXIS_X) + decoded.faults(AXIS_Y) + decoded.faults(AXIS_Z));
        out["motors"] = motors;
    }
    if (options.page == RunPage::Gcode) {
        out["gcode"] = gcode_summary(c.gcode.summary());
    } else if (options.standard) {
        out["standard"] = options.page == RunPage::Dxf
                              ? dxf_standard_summary(c.dxf_standard.summary())
                              : board_summary(c.board.last_report());
    }
    const PathExtents& e = c.machine.extents();
    if (!e.empty) {
        out["extents"] = QJsonObject{{"x", QJsonArray{e.min_x, e.max_x}},
                                     {"y", QJsonArray{e.min_y, e.max_y}},
                                     {"z", QJsonArray{e.min_z, e.max_z}}};
    }
    return out;
}

// Four decimals without a "-0.0000" for what is zero but for rounding noise.
double shown(double v) {
    return std::fabs(v) < 0.00005 ? 0.0 : v;
}

void print_text(const QJsonObject& s) {
    std::printf("job: %s %s %s (%s)\n", qPrintable(s["job"].toString()),
                qPrintable(s["page"].toString()), qPrintable(s["file"].toString()),
                s["completed"].toBool() ? "ran to its end" : "abandoned");
    std::printf("engine calls: %lld\n", static_cast<long long>(s["engine_calls"].toInteger()));
    const QJsonObject steps = s["steps"].toObject();
    for (const char* axis : {"x", "y", "z"}) {
        const QJsonObject a = steps[axis].toObject();
        std::printf("steps %s: %lld forward, %lld backward\n", axis,
                    static_cast<long long>(a["forward"].toInteger()),
                    static_cast<long long>(a["backward"].toInteger()));
    }
    const QJsonObject p = s["position"].toObject();
    std::printf("position: pos_x %.4f  pos_y %.4f  pos_z %.4f mm\n", shown(p["x"].toDouble()),
                shown(p["y"].toDouble()), shown(p["z"].toDouble()));
    if (s.contains("motors")) {
        const QJsonObject m = s["motors"].toObject();
        std::printf("motors (decoded half-steps): x %lld  y %lld  z %lld, lost steps %lld\n",
                    static_cast<long long>(m["x"].toInteger()),
                    static_cast<long long>(m["y"].toInteger()),
                    static_cast<long long>(m["z"].toInteger()),
                    static_cast<long long>(m["lost_steps"].toInteger()));
    }
    if (s.contains("standard")) {
        const QJsonObject t = s["standard"].toObject();
        const QJsonArray offset = t["offset"].toArray();
        std::printf("placed: offset %.4f, %.4f mm%s\n", shown(offset[0].toDouble()),
                    shown(offset[1].toDouble()), t["mirror_x"].toBool() ? ", mirrored in X" : "");
        const char* paths = t.contains("paths") ? "paths" : "strokes";
        std::printf("%s: %lld, pen lifts %lld\n", paths,
                    static_cast<long long>(t[paths].toInteger()),
                    static_cast<long long>(t["pen_lifts"].toInteger()));
        QStringList skipped;
        const QJsonObject left = t["skipped"].toObject();
        for (auto it = left.begin(); it != left.end(); ++it) {
            if (it.value().toInteger() > 0) {
                skipped.append(QStringLiteral("%1 %2").arg(it.key()).arg(it.value().toInteger()));
            }
        }
        if (!skipped.isEmpty()) {
            std::printf("not drawn: %s\n", qPrintable(skipped.join(QStringLiteral(", "))));
        }
    }
    if (s.contains("gcode")) {
        const QJsonObject g = s["gcode"].toObject();
        const QJsonArray offset = g["offset"].toArray();
        std::printf("placed: offset %.4f, %.4f mm%s\n", shown(offset[0].toDouble()),
                    shown(offset[1].toDouble()), g["mirror_x"].toBool() ? ", mirrored in X" : "");
        std::printf(
            "program: %lld lines, %lld rapids, %lld feeds, %lld arcs, %lld tool changes, "
            "%lld pauses; preview estimate %s\n",
            static_cast<long long>(g["lines"].toInteger()),
            static_cast<long long>(g["rapids"].toInteger()),
            static_cast<long long>(g["feeds"].toInteger()),
            static_cast<long long>(g["arcs"].toInteger()),
            static_cast<long long>(g["tool_changes"].toInteger()),
            static_cast<long long>(g["pauses"].toInteger()),
            qPrintable(clock_text(g["estimate_s"].toDouble())));
    }
    if (s.contains("extents")) {
        const QJsonObject e = s["extents"].toObject();
        const auto range = [&](const char* axis) {
            const QJsonArray r = e[axis].toArray();
            return QStringLiteral("%1 .. %2")
                .arg(shown(r[0].toDouble()), 0, 'f', 4)
                .arg(shown(r[1].toDouble()), 0, 'f', 4);
        };
        std::printf("tool path: x %s  y %s  z %s mm\n", qPrintable(range("x")),
                    qPrintable(range("y")), qPrintable(range("z")));
    }
    std::printf("machine time: %.3f s (%s)\n", s["machine_time_s"].toDouble(),
                qPrintable(clock_text(s["machine_time_s"].toDouble())));
}

// The picture as a PNG file, written whole or not at all. Empty, or the reason it failed.
QString write_picture(const QImage& image, const QString& path) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        return QStringLiteral("it could not be made");
    }
    return write_whole_file(path, png, OutputFile::Link::Replaced);
}

void tell(const QString& message) {
    std::fprintf(stderr, "message: %s\n", qPrintable(message));
    std::fflush(stderr);
}

int run_main() {
    QString error;
    const std::optional<RunOptions> parsed =
        parse_run_options(QCoreApplication::arguments().mid(1), error);
    if (!parsed) {
        std::fprintf(stderr, "ostrel-run: %s\n\n%s", qPrintable(error), qPrintable(run_usage()));
        return 2;
    }
    const RunOptions& options = *parsed;
    if (options.help) {
        std::fputs(qPrintable(run_usage()), stdout);
        return 0;
    }
    error = file_usage_error(options);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "ostrel-run: %s\n", qPrintable(error));
        return 2;
    }

    const bool show_progress = options.realtime && isatty(STDERR_FILENO) == 1;
    const double estimate = show_progress ? estimate_seconds(options) : 0;

    SimulatedClock simulated;
    MonotonicClock real;
    Clock& clock = options.realtime ? static_cast<Clock&>(real) : simulated;
    JobRun run(options, clock, stderr);
    std::unique_ptr<ProgressLine> progress;
    if (show_progress) {
        progress = std::make_unique<ProgressLine>(run, estimate);
        run.console().set_idle_work([&progress] { progress->tick(); });
    }
    const auto started = std::chrono::steady_clock::now();
    const RunOutcome outcome = run.run();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (progress) {
        progress->finish();
    }
    if (!outcome.failure.isEmpty()) {
        std::fprintf(stderr, "ostrel-run: %s\n", qPrintable(outcome.failure));
        return 2;
    }
    if (!outcome.started) {
        return 1;
    }
    // Every output is checked: one that failed is an error, however well the job went.
    bool ok = outcome.ran_to_end;
    const QString trace_failure = run.finish_trace();
    if (!trace_failure.isEmpty()) {
        tell(QStringLiteral("the trace could not be written to %1: %2")
                 .arg(options.port.trace_path, trace_failure));
        ok = false;
    }
    if (!options.png.isEmpty()) {
        const QString failure = write_picture(run.picture().image(), options.png);
        if (!failure.isEmpty()) {
            tell(QStringLiteral("the picture could not be written to %1: %2")
                     .arg(options.png, failure));
            ok = false;
        }
    }
    const QJsonObject result = summary(run, options, outcome.ran_to_end, wall);
    if (options.json) {
        std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    } else {
        print_text(result);
    }
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        tell(QStringLiteral("the summary could not be written to standard output: %1")
                 .arg(qt_error_string(errno != 0 ? errno : EIO)));
        ok = false;
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // Whatever goes wrong is told and ends the run with status 1, never an abort.
    try {
        return run_main();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "message: %s\n", e.what());
        return 1;
    }
}
