// The tool's path from the decoded motor steps and the step waits of the fake clock.
#include "tests/dxf/tool_path.h"

#include <cmath>
#include <stdexcept>

namespace ostrel::testing {

bool PathMove::operator==(const PathMove& other) const {
    return kind == other.kind && x == other.x && y == other.y && z == other.z &&
           std::fabs(speed - other.speed) <= 1e-6 * std::fabs(other.speed);
}

std::ostream& operator<<(std::ostream& out, const PathMove& move) {
    return out << (move.kind == PathMove::Z ? "Z" : "XY") << " to steps (" << move.x << ", "
               << move.y << ", " << move.z << ") at " << move.speed << " mm/s";
}

ToolPath::ToolPath(MachineRig& rig, std::int64_t start_x, std::int64_t start_y,
                   std::int64_t start_z)
    : rig_(rig), start_{start_x, start_y, start_z} {
    rig_.op.on_process_messages = [this] { sample(); };
}

ToolPath::Point ToolPath::now() const {
    const StepDecoder& m = rig_.motors();
    // A forward Z step lowers the tool.
    return {start_.x + m.position(AXIS_X), start_.y + m.position(AXIS_Y),
            start_.z - m.position(AXIS_Z)};
}

void ToolPath::sample() {
    samples_.push_back(now());
}

std::vector<PathMove> ToolPath::moves() const {
    std::vector<Point> points = samples_;
    points.push_back(now());
    const auto& waits = rig_.clock.waits();
    // One wait per step; a stop seen before a step leaves its sample without one.
    if (waits.size() != samples_.size() && waits.size() + 1 != samples_.size()) {
        throw std::logic_error("one step wait per step was expected");
    }
    const double ratio = rig_.machine.state().mm_per_step[AXIS_X];
    const double ticks_per_second = static_cast<double>(rig_.clock.frequency());
    std::vector<PathMove> moves;
    int senses[3] = {0, 0, 0};  // of the move being grouped, per axis
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const Point& a = points[i];
        const Point& b = points[i + 1];
        if (a.x == b.x && a.y == b.y && a.z == b.z) {
            continue;  // a step taken back as backlash
        }
        if (i >= waits.size()) {
            throw std::logic_error("a step was made without its wait");
        }
        const PathMove::Kind kind = b.z != a.z ? PathMove::Z : PathMove::XY;
        const double speed = std::fabs(ratio) * ticks_per_second / static_cast<double>(waits[i]);
        const std::int64_t d[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
        bool same = !moves.empty() && moves.back().kind == kind &&
                    std::fabs(moves.back().speed - speed) <= 1e-9 * speed;
        for (int axis = 0; axis < 3; ++axis) {
            const int sense = d[axis] > 0 ? 1 : d[axis] < 0 ? -1 : 0;
            if (sense != 0 && senses[axis] != 0 && sense != senses[axis]) {
                same = false;
            }
        }
        if (!same) {
            moves.push_back({kind, b.x, b.y, b.z, speed});
            senses[0] = senses[1] = senses[2] = 0;
        }
        moves.back().x = b.x;
        moves.back().y = b.y;
        moves.back().z = b.z;
        for (int axis = 0; axis < 3; ++axis) {
            if (d[axis] != 0) {
                senses[axis] = d[axis] > 0 ? 1 : -1;
            }
        }
    }
    return moves;
}

namespace {

std::int64_t steps(double mm, double mm_per_step) {
    return std::llround(mm / mm_per_step);
}

}  // namespace

PathMove xy_move(double x, double y, double z, double speed, double mm_per_step) {
    return {PathMove::XY, steps(x, mm_per_step), steps(y, mm_per_step), steps(z, mm_per_step),
            speed};
}

PathMove z_move(double x, double y, double z, double speed, double mm_per_step) {
    return {PathMove::Z, steps(x, mm_per_step), steps(y, mm_per_step), steps(z, mm_per_step),
            speed};
}

}  // namespace ostrel::testing
