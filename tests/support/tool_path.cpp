// Trace parsing, step decoding and the grouping of steps into moves, for tests.
#include "tests/support/tool_path.h"

#include "motion/machine_state.h"

#include <QFile>
#include <QRegularExpression>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

namespace ostrel::testing {

std::vector<PortRecord> parse_trace(const QString& text) {
    // Strict on purpose: the trace format is fixed for other tools to read.
    const QRegularExpression line_form(QStringLiteral("^0x([0-9a-f]{2}) (0|[1-9][0-9]{0,2})$"));
    std::vector<PortRecord> writes;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty() && i == lines.size() - 1) {
            break;  // after the last line end
        }
        const QRegularExpressionMatch match = line_form.match(line);
        const unsigned value = match.hasMatch() ? match.captured(2).toUInt() : 256;
        if (value > 255) {
            throw std::invalid_argument(QStringLiteral("trace line %1 is not \"0xAA V\": \"%2\"")
                                            .arg(i + 1)
                                            .arg(line)
                                            .toStdString());
        }
        writes.push_back(
            PortRecord{static_cast<std::uint8_t>(match.captured(1).toUInt(nullptr, 16)),
                       static_cast<std::uint8_t>(value)});
    }
    return writes;
}

std::vector<PortRecord> read_trace_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read trace file " + path.toStdString());
    }
    return parse_trace(QString::fromLatin1(file.readAll()));
}

std::ostream& operator<<(std::ostream& out, const StepPoint& point) {
    return out << "steps (" << point.x << ", " << point.y << ", " << point.z << ")";
}

DecodedWrites decode_writes(std::span<const PortRecord> writes, std::uint8_t port, StepPoint start,
                            const StepDecoder& motors) {
    DecodedWrites decoded{motors, {}};
    decoded.motors.clear_counts();  // the path counts from start
    const StepDecoder& m = decoded.motors;
    StepPoint last = start;
    for (const PortRecord& write : writes) {
        if ((write.address & 0xF0) != port || (write.address & 0x07) != REG_DATA) {
            continue;
        }
        decoded.motors.feed(write.value);
        const StepPoint now{start.x + m.position(AXIS_X), start.y + m.position(AXIS_Y),
                            start.z - m.position(AXIS_Z)};
        if (now != last) {
            decoded.path.push_back(now);
            last = now;
        }
    }
    return decoded;
}

DecodedWrites decode_trace(const QString& text, std::uint8_t port) {
    return decode_writes(parse_trace(text), port);
}

std::string step_axes(const std::vector<StepPoint>& path, StepPoint start) {
    std::string axes;
    StepPoint from = start;
    for (const StepPoint& to : path) {
        const int moved = (to.x != from.x) + (to.y != from.y) + (to.z != from.z);
        axes += moved != 1 ? '?' : to.x != from.x ? 'X' : to.y != from.y ? 'Y' : 'Z';
        from = to;
    }
    return axes;
}

bool PathMove::operator==(const PathMove& other) const {
    return kind == other.kind && x == other.x && y == other.y && z == other.z &&
           std::fabs(speed - other.speed) <= 1e-6 * std::fabs(other.speed);
}

std::ostream& operator<<(std::ostream& out, const PathMove& move) {
    return out << (move.kind == PathMove::Z ? "Z" : "XY") << " to steps (" << move.x << ", "
               << move.y << ", " << move.z << ") at " << move.speed << " mm/s";
}

std::vector<PathMove> group_moves(const std::vector<StepPoint>& path, StepPoint start,
                                  const std::vector<std::int64_t>& waits, double mm_per_step,
                                  std::int64_t ticks_per_second) {
    if (waits.size() != path.size()) {
        throw std::logic_error("the motors made " + std::to_string(path.size()) + " steps for " +
                               std::to_string(waits.size()) +
                               " step waits: a step was lost, or made without its wait");
    }
    std::vector<PathMove> moves;
    std::array<int, 3> senses{};  // of the move being grouped, per axis
    StepPoint a = start;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const StepPoint& b = path[i];
        const PathMove::Kind kind = b.z != a.z ? PathMove::Z : PathMove::XY;
        const double speed = std::fabs(mm_per_step) * static_cast<double>(ticks_per_second) /
                             static_cast<double>(waits[i]);
        const std::array<std::int64_t, 3> d = {b.x - a.x, b.y - a.y, b.z - a.z};
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
            senses = {};
        }
        moves.back().x = b.x;
        moves.back().y = b.y;
        moves.back().z = b.z;
        for (int axis = 0; axis < 3; ++axis) {
            if (d[axis] != 0) {
                senses[axis] = d[axis] > 0 ? 1 : -1;
            }
        }
        a = b;
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
