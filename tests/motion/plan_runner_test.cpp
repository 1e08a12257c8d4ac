// Strokes and holes of a true-size job on the simulated machine, checked through its motors.
#include "motion/plan_runner.h"
#include "tests/support/job_texts.h"
#include "tests/support/machine_rig.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::MachineRig;
using testing::PathMove;

constexpr double kRatio = 0.0025;

class PlanRunnerTest : public ::testing::Test {
protected:
    PlanRunnerTest() {
        testing::type_job_parameters(rig.panel, job);
        rig.machine.read_job_parameters();
    }
    PathMove xy(double x, double y, double z, double speed) {
        return testing::xy_move(x, y, z, speed, kRatio);
    }
    PathMove zm(double x, double y, double z, double speed) {
        return testing::z_move(x, y, z, speed, kRatio);
    }

    MachineRig rig;
    testing::JobTexts job = testing::JobTexts::drawing();
    PlanRunner runner{rig.machine, rig.mover};
};

TEST_F(PlanRunnerTest, StrokesThatMeetWithinHalfAStepAreDrawnWithoutALift) {
    const double draw = 2.5, rapid = 2.5, up = 1.5, down = 1.5;  // the drawing kind's texts
    const std::vector<Stroke> strokes = {
        {{{0, 0}, {1, 0}}},
        {{{1.001, 0.001}, {1, 1}}},  // 0.001 mm off: within half of 0.0025
        {{{2, 1}, {2, 2}}},
    };
    runner.draw(strokes);
    // The first two strokes make one move on: steps of one sense at one speed.
    EXPECT_EQ(rig.moves(),
              (std::vector<PathMove>{xy(1, 1, 0, draw), zm(1, 1, 0.5, up), xy(2, 1, 0.5, rapid),
                                     zm(2, 1, 0, down), xy(2, 2, 0, draw)}));
    EXPECT_EQ(runner.lifts(), 1);
}

TEST_F(PlanRunnerTest, HolesAreDrilledWhereTheToolTravelsAndAStopEndsTheRun) {
    testing::type_job_parameters(rig.panel, testing::JobTexts::drilling());
    rig.machine.read_job_parameters();
    const double rapid = 2.5, up = 1.5, down = 0.2;
    runner.drill(std::vector<Hole>{{{0, 0}}, {{1, 2}}}, 1);
    EXPECT_EQ(rig.moves(),
              (std::vector<PathMove>{zm(0, 0, -1, down), zm(0, 0, 0.5, up), xy(1, 2, 0.5, rapid),
                                     zm(1, 2, 0, up), zm(1, 2, -1, down)}));
    rig.machine.state().stop_requested = true;
    const auto calls = rig.engine.totals().calls;
    runner.drill(std::vector<Hole>{{{5, 5}}}, 1);
    runner.draw(std::vector<Stroke>{{{{5, 5}, {6, 6}}}});
    EXPECT_EQ(rig.engine.totals().calls, calls);
}

}  // namespace
}  // namespace ostrel
