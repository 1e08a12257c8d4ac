// The tool's path as the machine behind a port made it: trace text or port writes, decoded into
// motor steps, the point after each step, and straight moves.
#pragma once

#include "port/lpt_port_connection.h"
#include "port/step_decoder.h"

#include <QString>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace ostrel::testing {

// The writes of a trace text, one "0xAA V" line each; throws std::invalid_argument naming the
// first line that is not in that form.
std::vector<PortRecord> parse_trace(const QString& text);
// The same for a trace file; throws std::runtime_error when it can't be read.
std::vector<PortRecord> read_trace_file(const QString& path);

// Where the tool stands, in motor steps from the machine's origin; z counts up, since a forward
// Z step lowers the tool.
struct StepPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t z = 0;
    bool operator==(const StepPoint&) const = default;
};
std::ostream& operator<<(std::ostream& out, const StepPoint& point);

// The data-register writes of one port (identifier 0x10, 0x20 or 0x30) fed to the motors as
// they stood before the first of them (by default as a machine just switched on), as the machine
// wired to that port takes them; other writes are passed over. A lost step moves no motor, so it
// leaves no point.
struct DecodedWrites {
    StepDecoder motors;
    std::vector<StepPoint> path;  // where the tool stood after each step, from start
};
DecodedWrites decode_writes(std::span<const PortRecord> writes, std::uint8_t port,
                            StepPoint start = {}, const StepDecoder& motors = {});
DecodedWrites decode_trace(const QString& text, std::uint8_t port);

// One letter a step of a path from start: the axis that moved, X, Y or Z ('?' for none or two).
std::string step_axes(const std::vector<StepPoint>& path, StepPoint start = {});

// One straight move: only Z, or only X and Y, at one speed; where it ended.
struct PathMove {
    enum Kind { Z, XY } kind;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t z = 0;  // steps up
    double speed = 0;    // mm/s, from the step waits
    bool operator==(const PathMove& other) const;
};
std::ostream& operator<<(std::ostream& out, const PathMove& move);

// The steps of a path grouped into moves: a move ends where the axis kind, the speed or the sense
// of an axis changes. Each step has its wait in clock ticks, in order; throws std::logic_error
// when the counts differ: a step was lost, or made without its wait.
std::vector<PathMove> group_moves(const std::vector<StepPoint>& path, StepPoint start,
                                  const std::vector<std::int64_t>& waits, double mm_per_step,
                                  std::int64_t ticks_per_second);

// A move of the path in millimetres, at a ratio of mm_per_step.
PathMove xy_move(double x, double y, double z, double speed, double mm_per_step);
PathMove z_move(double x, double y, double z, double speed, double mm_per_step);

}  // namespace ostrel::testing
