// The machine state every move and job reads and writes: position, machine and job parameters.
#pragma once

#include <array>
#include <cstdint>

namespace ostrel {

enum Axis : int { AXIS_X = 1, AXIS_Y = 2, AXIS_Z = 3 };

// Per-axis values indexed by Axis (1..3); index 0 is unused.
template <typename T>
using PerAxis = std::array<T, 4>;

// The nine machine parameters kept in the settings file.
struct MachineParameters {
    PerAxis<double> mm_per_step{};         // mm per motor step; never 0 once applied
    PerAxis<std::int32_t> travel_limit{};  // whole mm; X and Y are checked against the upper limit
    PerAxis<double> backlash{};            // mm of slack taken up at a reversal

    // The values a machine without a settings file is taken to have.
    static MachineParameters defaults();
};

// The five job parameters read from the program-mode edits at the start of each job.
struct JobParameters {
    double speed_xy = 0;        // working X-Y speed, mm/s
    double speed_xy_rapid = 0;  // travel X-Y speed with the tool raised, mm/s
    double z_travel = 0;        // raised-tool height, mm
    double speed_z_up = 0;      // mm/s
    double speed_z_down = 0;    // mm/s
};

struct MachineState {
    double pos_x = 0;
    double pos_y = 0;
    double pos_z = 0;
    PerAxis<double> mm_per_step{};
    PerAxis<std::int32_t> travel_limit{};
    PerAxis<double> backlash{};
    bool stop_requested = false;
    JobParameters job;

    void apply(const MachineParameters& parameters);
    MachineParameters parameters() const;
    double& position(Axis axis);
};

}  // namespace ostrel
