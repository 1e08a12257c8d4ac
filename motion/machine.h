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
    Operator& op() { return operator_; }
    Panel& panel() { return panel_; }
    TrackView& track() { return track_; }

    // Moves run inside one another through message processing; jobs never do. A job button
    // asks busy() first and refuses while anything moves.
    bool busy() const { return moves_running_ > 0 || job_running_; }
    int moves_running() const { return moves_running_; }
    bool job_running() const { return job_running_; }

    // Marks a move (engine call) or a job as running for the scope's lifetime.
    class MoveScope {
    public:
        explicit MoveScope(Machine& m) : machine_(m) { ++machine_.moves_running_; }
        ~MoveScope() { --machine_.moves_running_; }
        MoveScope(const MoveScope&) = delete;
        MoveScope& operator=(const MoveScope&) = delete;

    private:
        Machine& machine_;
    };
    class JobScope {
    public:
        explicit JobScope(Machine& m) : machine_(m) { machine_.job_running_ = true; }
        ~JobScope() { machine_.job_running_ = false; }
        JobScope(const JobScope&) = delete;
        JobScope& operator=(const JobScope&) = delete;

    private:
        Machine& machine_;
    };
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
    // applied), applies them, shows them again and writes the settings file. False on failure.
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

    // Shows the position, draws the track and warns outside the travel area.
    void view_xyz();

    const PathExtents& extents() const { return extents_; }
    void reset_extents() { extents_ = PathExtents{}; }

    // The texts the three position displays show now.
    std::array<QString, 3> shown_position() const;

    // ">0<": the axis's position becomes 0 and its display "0"; returns that text.
    QString zero_axis(Axis axis);
    // "Принять новые значения": the position becomes newPositionXEdit..14, whose texts the displays
    // then show as typed; returns those texts.
    std::array<QString, 3> accept_new_position();

private:
    void show_displays(QString x, QString y, QString z);

    MachineState state_;
    std::array<QString, 3> shown_ = {QStringLiteral("0.0"), QStringLiteral("0.0"),
                                     QStringLiteral("0.0")};
    // After a move the displays show numbers, formatted only when someone looks.
    std::array<double, 3> shown_numbers_{};
    bool shown_are_numbers_ = false;
    Operator& operator_;
    Panel& panel_;
    TrackView track_;
    std::unique_ptr<LptPortConnection> port_connection_;
    int moves_running_ = 0;
    bool job_running_ = false;
    PathExtents extents_;
};

}  // namespace ostrel
