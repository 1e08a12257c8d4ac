// The tool's path as the simulated machine's motors made it, grouped into straight moves.
#pragma once

#include "tests/support/machine_rig.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace ostrel::testing {

// One straight move: only Z, or only X and Y, at one speed; where it ended, in motor steps from
// the machine's origin.
struct PathMove {
    enum Kind { Z, XY } kind;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t z = 0;  // steps up
    double speed = 0;    // mm/s, from the step waits
    bool operator==(const PathMove& other) const;
};
std::ostream& operator<<(std::ostream& out, const PathMove& move);

// Watches the decoded motors of a rig from construction on: before each step (when the engine
// lets messages through) and once more when asked for the moves.
class ToolPath {
public:
    // start_* is where the motors stand now, in steps from the machine's origin.
    explicit ToolPath(MachineRig& rig, std::int64_t start_x = 0, std::int64_t start_y = 0,
                      std::int64_t start_z = 0);

    // The steps made so far, grouped: a move ends where the axis kind, the speed or the sense
    // of an axis changes.
    std::vector<PathMove> moves() const;
    // Called before every step.
    void sample();

    struct Point {
        std::int64_t x, y, z;
    };
    Point now() const;

private:
    MachineRig& rig_;
    Point start_;
    std::vector<Point> samples_;
};

// A move of the path in millimetres, at the rig's ratio.
PathMove xy_move(double x, double y, double z, double speed, double mm_per_step);
PathMove z_move(double x, double y, double z, double speed, double mm_per_step);

}  // namespace ostrel::testing
