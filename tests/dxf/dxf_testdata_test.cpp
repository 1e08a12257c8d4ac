// Real DXF files from other programs, drawn on the simulated machine from start to end.
#include "core/operation_abandoned.h"
#include "dxf/dxf_reader.h"
#include "tests/support/job_rig.h"
#include "tests/support/job_texts.h"
#include "tests/support/shared_testdata.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace ostrel {
namespace {

using testing::JobRig;
using testing::StepPoint;

// Steps a file's drawing may take here; the ratio grows for larger drawings.
constexpr double kStepBudget = 60000;
constexpr double kFinestRatio = 0.1;
constexpr double kZRatio = 0.25;

struct FileLines {
    std::vector<DxfLine> lines;
    QString failure;  // what the reader abandoned the file with
    bool cut_off = false;
    QString cut_off_message;
};

// Lines reading exactly "LINE" once CRs are dropped, counted without the reader.
int count_markers(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    int markers = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        markers += QByteArray(line).replace('\r', "") == "LINE";
    }
    return markers;
}

FileLines read_all(const QString& path) {
    FileLines read;
    try {
        DxfReader pass(path, DxfReader::Entity::Line);
        while (const auto line = pass.next_line_entity()) {
            read.lines.push_back(*line);
        }
        read.cut_off = pass.cut_off();
        read.cut_off_message = pass.cut_off_message();
    } catch (const OperationAbandoned& e) {
        read.failure = e.message();
    }
    return read;
}

// Every start and end point of the file's lines, as the step positions within half a step of it.
class EndPoints {
public:
    EndPoints(const std::vector<DxfLine>& lines, double ratio) : ratio_(ratio) {
        for (const DxfLine& l : lines) {
            add(l.x1, l.y1);
            add(l.x2, l.y2);
        }
    }
    void visit(std::int64_t x, std::int64_t y) {
        const auto found = near_.find({x, y});
        if (found != near_.end()) {
            for (std::size_t id : found->second) {
                visited_[id] = true;
            }
        }
    }
    std::size_t missed() const { return std::count(visited_.begin(), visited_.end(), false); }
    std::size_t count() const { return visited_.size(); }

private:
    void add(double x, double y) {
        const std::size_t id = visited_.size();
        visited_.push_back(false);
        for (std::int64_t sx : near_steps(x)) {
            for (std::int64_t sy : near_steps(y)) {
                near_[{sx, sy}].push_back(id);
            }
        }
    }
    std::vector<std::int64_t> near_steps(double v) const {
        std::vector<std::int64_t> steps;
        const auto below = static_cast<std::int64_t>(std::floor(v / ratio_));
        for (std::int64_t s : {below, below + 1}) {
            // Half a step, and a hair for the position summed up step by step.
            if (std::fabs(static_cast<double>(s) * ratio_ - v) <= ratio_ * (0.5 + 1e-6)) {
                steps.push_back(s);
            }
        }
        return steps;
    }

    double ratio_;
    std::map<std::pair<std::int64_t, std::int64_t>, std::vector<std::size_t>> near_;
    std::vector<bool> visited_;
};

TEST(DxfTestdata, EveryFileIsDrawnToItsEndOrRefusedWithItsMessage) {
    const QStringList paths = testing::shared_testdata_files({"dxf"}, {"*.dxf", "*.DXF"});
    if (paths.isEmpty()) {
        GTEST_SKIP() << testing::no_shared_testdata({"dxf"}).toStdString();
    }
    int drawn = 0;
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const FileLines read = read_all(path);
        if (read.failure.isEmpty() && !read.cut_off) {
            EXPECT_EQ(static_cast<int>(read.lines.size()), count_markers(path));
        }

        // Travel length, for a ratio that keeps the run within the budget, and the extent.
        double length = 0;
        double px = 0;
        double py = 0;
        double far = 1;
        for (const DxfLine& l : read.lines) {
            length += std::hypot(l.x1 - px, l.y1 - py) + std::hypot(l.x2 - l.x1, l.y2 - l.y1);
            px = l.x2;
            py = l.y2;
            far =
                std::max({far, std::fabs(l.x1), std::fabs(l.y1), std::fabs(l.x2), std::fabs(l.y2)});
        }
        length += std::hypot(px, py);
        const double ratio = std::max(kFinestRatio, length / kStepBudget);

        JobRig rig;
        MachineState& state = rig.machine.state();
        state.mm_per_step = {0, ratio, ratio, kZRatio};
        const auto limit = static_cast<std::int32_t>(std::ceil(far + ratio)) + 1;
        state.travel_limit = {0, limit, limit, 100};
        rig.use_dxf_file(path);
        testing::type_job_parameters(rig.panel, {.speed_xy_rapid = "5"});

        if (!read.failure.isEmpty()) {
            try {
                rig.buttons.run_draw_job();
                ADD_FAILURE() << "the job ran a file the reader refused";
            } catch (const OperationAbandoned& e) {
                EXPECT_EQ(e.message(), read.failure);
            }
            continue;
        }
        rig.buttons.run_draw_job();
        EndPoints ends(read.lines, ratio);
        ends.visit(0, 0);
        for (const StepPoint& point : rig.path()) {
            ends.visit(point.x, point.y);
        }

        EXPECT_EQ(ends.missed(), 0u) << "of " << ends.count() << " end points";
        for (Axis axis : {AXIS_X, AXIS_Y, AXIS_Z}) {
            EXPECT_EQ(rig.motors().faults(axis), 0) << "axis " << axis;
        }
        // Back at the origin, raised.
        EXPECT_EQ(rig.motors().position(AXIS_X), 0);
        EXPECT_EQ(rig.motors().position(AXIS_Y), 0);
        EXPECT_EQ(rig.motors().position(AXIS_Z), -2);
        if (read.cut_off) {
            // Unpadded group codes: the first LINE runs on to the end of the file.
            EXPECT_TRUE(read.lines.empty());
            EXPECT_EQ(rig.op.message_texts(), std::vector<QString>{read.cut_off_message});
        } else {
            EXPECT_TRUE(rig.op.messages.empty()) << rig.op.messages.front().text.toStdString();
            ++drawn;
        }
    }
    EXPECT_GT(drawn, 0);
}

}  // namespace
}  // namespace ostrel
