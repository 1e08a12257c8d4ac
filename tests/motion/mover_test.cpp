// Interpolated X-Y moves and Z moves, checked on the decoded motors.
#include "motion/mover.h"
#include "core/operation_abandoned.h"
#include "tests/support/machine_rig.h"

#include <gtest/gtest.h>
#include <random>

namespace ostrel {
namespace {

using testing::MachineRig;
using testing::step_axes;

TEST(Mover, ShortDiagonalInterleavesWithYLeading) {
    MachineRig rig;
    rig.mover.move_to_xy(0.0075, 0.025, 2.5);
    // Passes: Y; X Y; Y; Y; Y; X Y; Y; Y; X Y; Y (5 x 0.3 lies just below 1.5).
    EXPECT_EQ(step_axes(rig.path()), "YXYYYYXYYYXYY");
    EXPECT_EQ(rig.engine.totals().calls, 13);
    EXPECT_EQ(rig.motors().position(AXIS_X), 3);
    EXPECT_EQ(rig.motors().position(AXIS_Y), 10);
}

TEST(Mover, TieLetsYLeadAndPureXMovesOnlyX) {
    MachineRig rig;
    rig.mover.move_to_xy(5 * 0.0025, -5 * 0.0025, 1);
    EXPECT_EQ(step_axes(rig.path()), "XYXYXYXYXY");
    EXPECT_EQ(rig.motors().position(AXIS_Y), -5);
    rig.clear_writes();
    rig.mover.move_to_xy(rig.machine.state().pos_x + 4 * 0.0025, rig.machine.state().pos_y, 1);
    EXPECT_EQ(step_axes(rig.path()), "XXXX");
    EXPECT_EQ(rig.engine.totals().calls, 14);
}

TEST(Mover, TargetWithinHalfAStepMovesNothing) {
    MachineRig rig;
    rig.mover.move_to_xy(0.00125, -0.00125, 1);  // exactly half a step: even 0
    rig.mover.move_z_to(0.001, 1);
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_EQ(rig.op.position_updates, 0);
}

TEST(Mover, DownUpRaisesWithBackwardZSteps) {
    MachineRig rig;
    rig.mover.move_z_to(0.5, 1.5);
    EXPECT_EQ(rig.engine.totals().calls, 1);
    EXPECT_EQ(rig.motors().backward_steps(AXIS_Z), 200);
    EXPECT_NEAR(rig.machine.state().pos_z, 0.5, 1e-12);
    rig.mover.move_z_to(-2, 0.2);
    EXPECT_EQ(rig.motors().position(AXIS_Z), 800);
    EXPECT_NEAR(rig.machine.state().pos_z, -2, 1e-12);
}

TEST(Mover, AStopMakesMoveReturnAtOnceAndDownUpCallOnce) {
    MachineRig rig;
    rig.machine.state().stop_requested = true;
    rig.mover.move_to_xy(10, 10, 1);
    EXPECT_EQ(rig.engine.totals().calls, 0);
    rig.mover.move_z_to(1, 1);
    EXPECT_EQ(rig.engine.totals().calls, 0);  // the engine returned before counting a call
    EXPECT_TRUE(rig.writes().empty());
}

TEST(Mover, ATargetBeyondTheStepCounterIsRefusedAndNothingMoves) {
    MachineRig rig;
    EXPECT_THROW(rig.mover.move_to_xy(1e9, 0, 1), OperationAbandoned);
    EXPECT_THROW(rig.mover.move_to_xy(0, -1e9, 1), OperationAbandoned);
    rig.machine.state().mm_per_step[AXIS_Z] = 1e-12;
    EXPECT_THROW(rig.mover.move_z_to(1, 1), OperationAbandoned);
    EXPECT_TRUE(rig.writes().empty());
}

TEST(Mover, AZeroRatioGivesTheFloatingPointMessages) {
    MachineRig rig;
    rig.machine.state().mm_per_step[AXIS_Y] = 0;
    try {
        rig.mover.move_to_xy(1, 1, 1);
        FAIL();
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Floating point division by zero"));
    }
    try {
        rig.mover.move_to_xy(1, 0, 1);
        FAIL();
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid floating point operation"));
    }
    EXPECT_TRUE(rig.writes().empty());
}

TEST(Mover, LongRandomDiagonalsStayWithinHalfAStepOfTheLine) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> span(-3000, 3000);
    for (int trial = 0; trial < 20; ++trial) {
        MachineRig rig;
        const int dx = span(random);
        const int dy = span(random);
        rig.mover.move_to_xy(dx * 0.0025, dy * 0.0025, 1);
        // Look at the tool step by step at the end of every pass: after the leading axis's step
        // when Y leads (X goes first in a pass), before the next X step when X leads.
        const bool y_leads = std::abs(dy) >= std::abs(dx);
        const double slope = y_leads ? double(dx) / dy : double(dy) / dx;
        const std::vector<testing::StepPoint> path = rig.path();
        const std::string axes = step_axes(path);
        double worst = 0;
        for (std::size_t step = 0; step < axes.size(); ++step) {
            const bool pass_end =
                y_leads ? axes[step] == 'Y' : step + 1 == axes.size() || axes[step + 1] == 'X';
            if (pass_end) {
                const std::int64_t lead = y_leads ? path[step].y : path[step].x;
                const std::int64_t minor = y_leads ? path[step].x : path[step].y;
                worst = std::max(worst, std::abs(double(minor) - double(lead) * slope));
            }
        }
        EXPECT_LE(worst, 0.5 + 1e-9) << "dx " << dx << " dy " << dy;
        EXPECT_EQ(rig.motors().position(AXIS_X), dx);
        EXPECT_EQ(rig.motors().position(AXIS_Y), dy);
    }
}

}  // namespace
}  // namespace ostrel
