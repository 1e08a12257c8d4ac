// The G-code jobs: one checking pass over the program, then the pass that moves, draws or times.
#include "gcode/gcode_jobs.h"

#include "core/job_file.h"
#include "core/number_text.h"
#include "gcode/gcode_path.h"

#include <QPoint>
#include <cmath>

namespace ostrel {

namespace {

// The speeds of a piece, mm/s: rapids at the page's travel speeds (Z up or down as it goes),
// feeds at the program's F along every axis.
struct PieceSpeeds {
    double xy = 0;
    double z = 0;
};

PieceSpeeds speeds_of(const GcodeMove& move, double from_z, double to_z, const JobParameters& job) {
    if (move.kind == GcodeMove::Kind::Rapid) {
        return {job.speed_xy_rapid, to_z > from_z ? job.speed_z_up : job.speed_z_down};
    }
    const double feed = move.feed / 60;
    return {feed, feed};
}

QString with_message(const QString& message, const QString& question) {
    return message.isEmpty() ? question : message + QLatin1Char('\n') + question;
}

// The checking pass: extents and counts in the file's frame.
class Check final : public GcodePath {
public:
    Check(GcodeSummary& summary, double tolerance)
        : GcodePath(PlacementMap{}, tolerance), summary_(summary) {}

private:
    void piece(Point3 to, const GcodeMove& move) override {
        if (last_line_ != move.line || last_kind_ != move.kind) {
            last_line_ = move.line;
            last_kind_ = move.kind;
            ++(move.kind == GcodeMove::Kind::Rapid  ? summary_.rapids
               : move.kind == GcodeMove::Kind::Feed ? summary_.feeds
                                                    : summary_.arcs);
        }
        ++summary_.pieces;
        summary_.extents.include({to.x, to.y});
        if (summary_.pieces == 1) {
            summary_.min_z = summary_.max_z = to.z;
        }
        summary_.min_z = std::min(summary_.min_z, to.z);
        summary_.max_z = std::max(summary_.max_z, to.z);
    }
    void event(const GcodeMove& move) override {
        summary_.tool_changes += move.kind == GcodeMove::Kind::ToolChange;
        summary_.pauses += move.kind == GcodeMove::Kind::Pause;
    }

    GcodeSummary& summary_;
    std::int64_t last_line_ = -1;
    GcodeMove::Kind last_kind_ = GcodeMove::Kind::Message;
};

// The moving pass.
class Run final : public GcodePath {
public:
    Run(Machine& machine, Mover& mover, const PlacementMap& map, double tolerance)
        : GcodePath(map, tolerance), machine_(machine), mover_(mover) {}

    // A message not yet followed by a question goes out before the machine moves on.
    void flush_message() {
        if (!message_.isEmpty()) {
            machine_.op().show_message(MessageKind::Plain, message_);
            message_.clear();
        }
    }

private:
    void piece(Point3 to, const GcodeMove& move) override {
        flush_message();
        asked_ = false;
        const MachineState& s = machine_.state();
        const PieceSpeeds v = speeds_of(move, s.pos_z, to.z, s.job);
        mover_.move_to_xyz(to.x, to.y, to.z, v.xy, v.z);
    }
    void event(const GcodeMove& move) override {
        switch (move.kind) {
            case GcodeMove::Kind::Message:
                flush_message();
                message_ =
                    QString::fromUtf8(move.text.data(), static_cast<qsizetype>(move.text.size()));
                break;
            case GcodeMove::Kind::Dwell:
                flush_message();
                mover_.dwell(move.seconds);
                break;
            case GcodeMove::Kind::ToolChange: {
                // Up to the travel height (never down to it) for the change, and back to where
                // the program has the tool once the new one is in.
                const MachineState& s = machine_.state();
                const double z = s.pos_z;
                if (z < s.job.z_travel) {
                    mover_.raise_tool();
                }
                ask(QStringLiteral("Смените инструмент на T%1 (строка %2). Продолжить?")
                        .arg(move.tool)
                        .arg(move.line));
                mover_.move_z_to(z, s.job.speed_z_down);
                break;
            }
            case GcodeMove::Kind::Pause:
                // A pause right after the tool change's question is the one the operator has
                // just answered.
                if (!asked_) {
                    ask(QStringLiteral("Пауза %1 (строка %2). Продолжить?")
                            .arg(QString::fromUtf8(move.text.data(),
                                                   static_cast<qsizetype>(move.text.size())))
                            .arg(move.line));
                }
                break;
            default:
                break;
        }
    }
    void ask(const QString& question) {
        MachineState& s = machine_.state();
        if (s.stop_requested) {
            return;
        }
        const QString text = with_message(message_, question);
        message_.clear();
        asked_ = true;
        Machine::QuestionScope asking(machine_);
        if (!machine_.op().ask_yes_no(MessageKind::Plain, text)) {
            s.stop_requested = true;
        }
    }

    Machine& machine_;
    Mover& mover_;
    QString message_;
    bool asked_ = false;
};

// The previewing pass: the placed path drawn, its machine time added up as the step engine
// would wait it.
class Preview final : public GcodePath {
public:
    struct View {
        double scale = 1;
        double left = 0;  // column of machine x = 0
        double top = 0;   // row of machine y = 0
    };

    Preview(const Machine& machine, const PlacementMap& map, double tolerance, Picture* picture,
            View view, const StepEngine& engine)
        : GcodePath(map, tolerance),
          state_(machine.state()),
          picture_(picture),
          view_(view),
          direction_(engine.last_direction) {
        tool_ = {state_.pos_x, state_.pos_y, state_.pos_z};
        last_ = tool_;
        pen_ = pixel(tool_);
        if (picture_ != nullptr) {
            picture_->move_to(pen_);
        }
    }

    double seconds() const { return seconds_; }

private:
    QPoint pixel(Point3 p) const {
        const auto held = [](double v) { return static_cast<int>(std::clamp(v, -1e6, 1e6)); };
        return {held(std::round(view_.left + p.x * view_.scale)),
                held(std::round(view_.top - p.y * view_.scale))};
    }
    void piece(Point3 to, const GcodeMove& move) override {
        const Point3 from = last_;
        last_ = to;
        const PieceSpeeds v = speeds_of(move, tool_.z, to.z, state_.job);
        time_axis(AXIS_X, tool_.x, to.x, v.xy);
        time_axis(AXIS_Y, tool_.y, to.y, v.xy);
        time_axis(AXIS_Z, tool_.z, to.z, v.z);
        if (picture_ != nullptr) {
            const bool rapid = move.kind == GcodeMove::Kind::Rapid;
            const QPoint p = pixel(to);
            // Pieces within one pixel of each other add nothing to the picture: a carving of
            // millions of short moves is drawn at the cost of its pixels.
            if (!rapid && to.x == from.x && to.y == from.y && to.z < from.z &&
                !(ringed_ && ring_ == p)) {
                // A plunge (a hole drilled, a cut begun) is a ring where it goes down, once.
                if (rapid_pen_ || !pen_set_) {
                    picture_->set_pen(colours_.feed, 1);
                    rapid_pen_ = false;
                    pen_set_ = true;
                }
                picture_->ellipse(QRect(p.x() - 2, p.y() - 2, 5, 5));
                ring_ = p;
                ringed_ = true;
            }
            if (p != pen_ || rapid != rapid_pen_) {
                if (rapid != rapid_pen_ || !pen_set_) {
                    picture_->set_pen(rapid ? colours_.rapid : colours_.feed, 1);
                    rapid_pen_ = rapid;
                    pen_set_ = true;
                }
                picture_->line_to(p);
                pen_ = p;
            }
        }
    }
    void event(const GcodeMove& move) override {
        if (move.kind == GcodeMove::Kind::Dwell) {
            seconds_ += move.seconds;
        } else if (move.kind == GcodeMove::Kind::ToolChange && tool_.z < state_.job.z_travel) {
            const double z = tool_.z;
            time_axis(AXIS_Z, tool_.z, state_.job.z_travel, state_.job.speed_z_up);
            time_axis(AXIS_Z, tool_.z, z, state_.job.speed_z_down);
        }
    }
    // The steps the mover would make from `from` to `to` on the axis, and their waits; the
    // position goes on by whole steps, as the machine's does.
    void time_axis(Axis axis, double& from, double to, double speed) {
        const double ratio = std::fabs(state_.mm_per_step[axis]);
        if (ratio == 0 || speed <= 0) {
            from = to;
            return;
        }
        const double steps = std::nearbyint((to - from) / state_.mm_per_step[axis]);
        if (steps == 0) {
            return;
        }
        from += steps * state_.mm_per_step[axis];
        // Z counts up while its forward steps go down: only the sense matters here.
        const std::int32_t sense = steps > 0 ? 1 : -1;
        double made = std::fabs(steps);
        if (sense != direction_[axis]) {
            direction_[axis] = sense;
            made += std::nearbyint(state_.backlash[axis] / ratio);
        }
        seconds_ += made * ratio / speed;
    }

    const MachineState& state_;
    Picture* picture_;
    View view_;
    PerAxis<std::int32_t> direction_;
    GcodeColours colours_;
    Point3 tool_;  // where the machine's steps have brought the tool
    Point3 last_;  // where the last piece ended, as the program has it
    QPoint pen_;
    bool rapid_pen_ = false;
    bool pen_set_ = false;
    QPoint ring_;
    bool ringed_ = false;
    double seconds_ = 0;
};

}  // namespace

double GcodeJobs::tolerance() const {
    const MachineState& s = machine_.state();
    const double step =
        std::min(std::fabs(s.mm_per_step[AXIS_X]), std::fabs(s.mm_per_step[AXIS_Y]));
    return step > 0 ? step / 2 : 0.001;
}

bool GcodeJobs::check(const QString& path, const Placement& placement, PlacementMap& map) {
    if (!job_file_exists(path, machine_.op(), Field::GcodeFile)) {
        return false;
    }
    summary_ = {};
    Check check(summary_, tolerance());
    const GcodePassFacts facts = run_gcode_file(path, check, {0, 0, machine_.state().pos_z});
    summary_.lines = facts.lines;
    summary_.ignored_words = facts.ignored_words;
    const MachineState& s = machine_.state();
    map = PlacementMap(placement, summary_.extents, {s.pos_x, s.pos_y});
    summary_.placed_extents = map(summary_.extents);
    summary_.offset = map.offset();
    summary_.mirror_x = map.mirror_x();
    return true;
}

void GcodeJobs::run(const QString& path, const Placement& placement) {
    machine_.read_job_parameters();
    PlacementMap map;
    if (!check(path, placement, map)) {
        return;
    }
    if (summary_.ignored_words) {
        machine_.op().show_message(
            MessageKind::Plain,
            QStringLiteral("Шпиндель, охлаждение и режим G64 в программе пропускаются: у станка "
                           "их нет, и он всегда останавливается точно в конце перемещения."));
    }
    Run run(machine_, mover_, map, tolerance());
    const MachineState& s = machine_.state();
    run_gcode_file(path, run, {0, 0, s.pos_z}, [&s] { return !s.stop_requested; });
    if (!s.stop_requested) {
        run.flush_message();
    }
}

void GcodeJobs::preview(const QString& path, const Placement& placement, FileView& view) {
    if (machine_.busy()) {
        machine_.op().show_message(MessageKind::Error, Machine::busy_message());
        return;
    }
    view.show();
    machine_.read_job_parameters();
    PlacementMap map;
    if (!check(path, placement, map)) {
        return;
    }
    Picture& picture = view.picture();
    const GcodeColours colours;
    picture.fill(colours.background);
    // The placed program and where the tool stands, as large as fits nine tenths of the picture.
    BoxMm box = summary_.placed_extents;
    const MachineState& s = machine_.state();
    box.include({s.pos_x, s.pos_y});
    const double w = picture.size().width();
    const double h = picture.size().height();
    Preview::View fit;
    fit.scale = 0.9 * std::min(w / std::max(box.max_x - box.min_x, 1e-6),
                               h / std::max(box.max_y - box.min_y, 1e-6));
    fit.left = w / 2 - fit.scale * (box.min_x + box.max_x) / 2;
    fit.top = h / 2 + fit.scale * (box.min_y + box.max_y) / 2;
    Preview preview(machine_, map, tolerance(), &picture, fit, mover_.engine());
    run_gcode_file(path, preview, {0, 0, s.pos_z});
    summary_.seconds = preview.seconds();
}

QString GcodeJobs::describe(const GcodeSummary& summary) {
    if (summary.placed_extents.empty) {
        return QStringLiteral("Перемещений нет");
    }
    const BoxMm& b = summary.placed_extents;
    const auto range = [](double from, double to) {
        return QStringLiteral("%1…%2").arg(show_general(from), show_general(to));
    };
    const long long seconds = std::llround(summary.seconds);
    return QStringLiteral("X %1  Y %2  Z %3 мм\nвремя %4:%5:%6")
        .arg(range(b.min_x, b.max_x), range(b.min_y, b.max_y), range(summary.min_z, summary.max_z))
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace ostrel
