// The machine as the main window's handlers drive it: state, port, and the small operations.
#pragma once

#include "core/operator.h"
#include "motion/machine_state.h"
#include "motion/track_view.h"
#include "port/lpt_port_connection.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

namespace ostrel {

// A step count of the axis, or the move refused with a message when it does not fit 32 bits.
std::int32_t step_count(long double steps, Axis axis);

// The box the tool has visited, updated at every position display.
struct PathExtents {
    bool empty = true;
    double min_x = 0, max_x = 0, min_y = 0, max_y = 0, min_z = 0, max_z = 0;
    void include(double x, double y, double z);
};

// The texts the settings tab shows for the machine parameters, in the order of its fields:
// ratioXEdit..3 (ratio), travelLimitXEdit..8 (limits), backlashXEdit, backlashYEdit, backlashZEdit
// (backlash).
using ParameterTexts = std::array<QString, 9>;

class Machine {
public:
    Machine(Operator& op, Panel& panel, Picture& track_picture);
    ~Machine();

    MachineState& state() { return state_; }
    const MachineState& state() const { return state_; }
    // The operator, or one that hears nothing while a dry run works out where a job goes.
    Operator& op() { return quiet_ ? silent_ : operator_; }
    void set_quiet(bool quiet) { quiet_ = quiet; }
    Panel& panel() { return panel_; }
    TrackView& track() { return track_; }

    // Moves run inside one another through message processing: engine calls, and the manual
    // moves (a jog, a go-to-point) made of them. Jobs never do: a job button asks busy() first
    // and refuses while anything moves.
    bool busy() const { return moves_running_ > 0 || manual_running_ > 0 || job_running_; }
    int moves_running() const { return moves_running_; }
    bool job_running() const { return job_running_; }
    // A question about the running move is open ("Продолжить?", the travel limits): the move is
    // paused inside it, and nothing may start another.
    bool asking() const { return questions_open_ > 0; }

    // Marks an engine call, a manual move or an open question for the scope's lifetime. When the
    // last move or job ends, the travel-limit question may be asked again.
    class CountedScope {
    public:
        CountedScope(Machine& m, int& counter) : machine_(m), counter_(counter) { ++counter_; }
        ~CountedScope() {
            --counter_;
            machine_.scope_ended();
        }
        CountedScope(const CountedScope&) = delete;
        CountedScope& operator=(const CountedScope&) = delete;

    private:
        Machine& machine_;
        int& counter_;
    };
    struct MoveScope : CountedScope {
        explicit MoveScope(Machine& m) : CountedScope(m, m.moves_running_) {}
    };
    struct ManualScope : CountedScope {
        explicit ManualScope(Machine& m) : CountedScope(m, m.manual_running_) {}
    };
    struct QuestionScope : CountedScope {
        explicit QuestionScope(Machine& m) : CountedScope(m, m.questions_open_) {}
    };
    class JobScope {
    public:
        explicit JobScope(Machine& m) : machine_(m) { machine_.job_running_ = true; }
        ~JobScope() {
            machine_.job_running_ = false;
            machine_.scope_ended();
        }
        JobScope(const JobScope&) = delete;
        JobScope& operator=(const JobScope&) = delete;

    private:
        Machine& machine_;
    };
    // A move that may not start now (a question is open) is refused with the busy message.
    bool refuse_while_asking();
    // A stop request ends with the move or job it stopped; after halt() it never ends.
    void end_stop_request();
    // The window is going: the running move stops as on "НЕТ", and nothing moves any more.
    void halt();
    bool halted() const { return halted_; }

    // The message a job button gives while something runs.
    static QString busy_message();

    // Port access, opened once at start-up.
    void open_port(std::unique_ptr<PortBackend> backend);
    LptPortConnection& port_connection() { return *port_connection_; }
    bool has_port() const { return port_connection_ != nullptr; }
    // The names of the ports that answer the probe, "$3BC", "$378", "$278" in that order.
    QStringList probe_port_list();
    // The identifier of the port portCombo shows now.
    std::uint8_t selected_port_id() const;

    // Reads the settings file (cfg.ini in the working directory by default) and applies it:
    // a missing file or bad values are told to the operator, and the defaults stand in.
    void load_settings(const QString& path = QStringLiteral("cfg.ini"));
    ParameterTexts parameter_texts() const;
    // "Применить": checks the nine texts (a bad one is named in a message and nothing is
    // applied), applies them, shows them again and writes the settings file. False on failure,
    // and refused with the busy message while anything moves: a ratio must not change under a
    // running move.
    bool apply_parameter_texts(const ParameterTexts& texts,
                               const QString& path = QStringLiteral("cfg.ini"));

    // Jog selectors.
    static double jog_speed(int position);        // jogSpeedSlider: position² / 100 mm/s
    static double jog_distance_mm(int position);  // jogDistanceSlider: 1..12
    double selected_jog_speed() const;            // jog speed of jogSpeedSlider now
    double selected_jog_distance() const;         // jog distance of jogDistanceSlider now
    std::int32_t jog_steps(Axis axis) const;      // jog distance of the axis in steps

    // Reads the five job-parameter edits into the job parameters.
    void read_job_parameters();

    // Shows the position, draws the track, and outside the travel area asks whether to go on:
    // once a move or job, "НЕТ" stopping it.
    void view_xyz();
    // The display told the position once more, when view_xyz has just drawn and checked it and
    // nothing moved since: the track and the travel-limit check would change nothing.
    void show_position_again();

    const PathExtents& extents() const { return extents_; }
    void reset_extents() { extents_ = PathExtents{}; }

    // The texts the three position displays show now.
    std::array<QString, 3> shown_position() const;

    // ">0<": the axis's position becomes 0 and its display "0"; returns that text.
    QString zero_axis(Axis axis);
    // "Принять новые значения": the position becomes newPositionXEdit..14, whose texts the displays
    // then show as typed; returns those texts. All three are read before any is stored: a text
    // that is not a number leaves the position and the displays as they were.
    std::array<QString, 3> accept_new_position();

private:
    void show_displays(QString x, QString y, QString z);
    void scope_ended();

    MachineState state_;
    std::array<QString, 3> shown_ = {QStringLiteral("0.0"), QStringLiteral("0.0"),
                                     QStringLiteral("0.0")};
    // After a move the displays show numbers, formatted only when someone looks.
    std::array<double, 3> shown_numbers_{};
    bool shown_are_numbers_ = false;
    Operator& operator_;
    SilentOperator silent_;
    bool quiet_ = false;
    Panel& panel_;
    TrackView track_;
    std::unique_ptr<LptPortConnection> port_connection_;
    int moves_running_ = 0;
    int manual_running_ = 0;
    bool job_running_ = false;
    int questions_open_ = 0;
    // The travel-limit question was answered in the running move or job.
    bool limit_asked_ = false;
    bool halted_ = false;
    PathExtents extents_;
};

}  // namespace ostrel
