// The step engine seen from the machine's side: patterns on the pins, steps, waits, stops.
#include "motion/step_engine.h"
#include "core/operation_abandoned.h"
#include "tests/support/machine_rig.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::MachineRig;

std::vector<int> values(const std::vector<PortRecord>& writes) {
    std::vector<int> out;
    for (const auto& w : writes) {
        EXPECT_EQ(w.address, PORT_378 | REG_DATA);
        out.push_back(w.value);
    }
    return out;
}

TEST(StepEngine, ForwardXWalksTheHalfStepTableWithTheSelectBit) {
    MachineRig rig;
    rig.engine.step_axis(AXIS_X, 9, 2.5);
    const std::vector<int> expected = {3,  19, 3,  2, 18, 2,  6, 22, 6,  4, 20, 4,  12, 28,
                                       12, 8,  24, 8, 9,  25, 9, 1,  17, 1, 3,  19, 3};
    EXPECT_EQ(values(rig.writes()), expected);
    EXPECT_EQ(rig.motors().position(AXIS_X), 9);
    EXPECT_EQ(rig.motors().faults(AXIS_X), 0);
    EXPECT_DOUBLE_EQ(rig.machine.state().pos_x, 9 * 0.0025);
}

TEST(StepEngine, BackwardYFromTheStartWrapsBelowTheFirstEntry) {
    MachineRig rig;
    rig.engine.step_axis(AXIS_Y, -1, 2.5);
    EXPECT_EQ(values(rig.writes()), (std::vector<int>{9, 41, 9}));
    EXPECT_EQ(rig.motors().position(AXIS_Y), -1);
    EXPECT_DOUBLE_EQ(rig.machine.state().pos_y, -0.0025);
}

TEST(StepEngine, ForwardZLowersTheTool) {
    MachineRig rig;
    rig.engine.step_axis(AXIS_Z, 400, 2.5);
    EXPECT_EQ(rig.motors().position(AXIS_Z), 400);
    EXPECT_NEAR(rig.machine.state().pos_z, -1.0, 1e-9);
    rig.engine.step_axis(AXIS_Z, -400, 2.5);
    EXPECT_EQ(rig.motors().position(AXIS_Z), 0);
    EXPECT_NEAR(rig.machine.state().pos_z, 0.0, 1e-9);
}

TEST(StepEngine, BacklashIsTakenUpAtEachReversalAndKeptOutOfThePosition) {
    MachineRig rig;
    rig.machine.state().backlash[AXIS_X] = 0.1;
    rig.engine.step_axis(AXIS_X, -400, 2.5);
    EXPECT_EQ(rig.motors().backward_steps(AXIS_X), 440);
    EXPECT_NEAR(rig.machine.state().pos_x, -1.0, 1e-9);
    rig.engine.step_axis(AXIS_X, 400, 2.5);
    EXPECT_EQ(rig.motors().forward_steps(AXIS_X), 440);
    EXPECT_NEAR(rig.machine.state().pos_x, 0.0, 1e-9);
    rig.engine.step_axis(AXIS_X, 400, 2.5);
    EXPECT_EQ(rig.motors().forward_steps(AXIS_X), 840);
    EXPECT_NEAR(rig.machine.state().pos_x, 1.0, 1e-9);
    // Without backlash a reversal adds nothing.
    rig.engine.step_axis(AXIS_Y, -10, 2.5);
    EXPECT_EQ(rig.motors().backward_steps(AXIS_Y), 10);
}

TEST(StepEngine, ANegativeRatioReversesTheMotorButNotTheSlack) {
    MachineRig rig;
    MachineState& s = rig.machine.state();
    s.mm_per_step[AXIS_X] = -0.0025;
    s.backlash[AXIS_X] = 0.1;
    rig.engine.step_axis(AXIS_X, -400, 2.5);
    EXPECT_EQ(rig.motors().backward_steps(AXIS_X), 440);
    EXPECT_NEAR(s.pos_x, 1.0, 1e-9);
}

TEST(StepEngine, GaugeFollowsEachCall) {
    MachineRig rig;
    rig.engine.step_axis(AXIS_X, 3, 2.5);
    EXPECT_EQ(rig.op.gauge, (std::vector<int>{33, 66, 100}));
    rig.op.gauge.clear();
    rig.engine.step_axis(AXIS_X, 100, 2.5);
    ASSERT_EQ(rig.op.gauge.size(), 100u);
    EXPECT_EQ(rig.op.gauge.front(), 1);
    EXPECT_EQ(rig.op.gauge.back(), 100);
}

TEST(StepEngine, EachStepWaitsTheRoundedStepTimeOnTheCounter) {
    MachineRig rig;
    rig.engine.step_axis(AXIS_X, 2, 2.5);  // 0.0025 mm at 2.5 mm/s: 1 ms
    // Work between two steps comes out of the next wait: the motors still see the step time.
    rig.op.on_process_messages = [&rig] { rig.clock.advance(300'000); };
    rig.engine.step_axis(AXIS_Y, 1, 3.0);  // 833333.3 ns
    EXPECT_EQ(rig.clock.periods(), (std::vector<std::int64_t>{1'000'000, 1'000'000, 833'333}));
    EXPECT_EQ(rig.engine.totals().wait_ticks, 2'833'333);
    // The window may draw in what is left of each wait, and is told how much that is.
    ASSERT_EQ(rig.op.offered_waits.size(), 3u);
    EXPECT_EQ(rig.op.offered_waits[0], 1e-3);
    EXPECT_NEAR(rig.op.offered_waits[2], 533'333e-9, 1e-8);
    // A step later than its time is not made up for: the next one waits its whole time.
    rig.op.on_process_messages = [&rig] { rig.clock.advance(900'000); };
    rig.engine.step_axis(AXIS_Y, 1, 3.0);
    EXPECT_EQ(rig.clock.waits().back(), 833'333);
    // A dwell shorter than a step is not swallowed by the step after it.
    rig.op.on_process_messages = nullptr;
    rig.engine.wait(200e-6);
    rig.engine.step_axis(AXIS_Y, 1, 3.0);
    EXPECT_EQ(rig.clock.periods().back(), 833'333);
    // Nor does a dwell cut short by Esc hold back the next move for the rest of it.
    rig.op.on_process_messages = [&rig] { rig.machine.state().stop_requested = true; };
    rig.engine.wait(10.0);
    rig.machine.state().stop_requested = false;
    rig.op.on_process_messages = nullptr;
    rig.engine.step_axis(AXIS_Y, 1, 3.0);
    EXPECT_NEAR(rig.clock.waits().back(), 833'333, 10);

    // Coarse counters make exact ties, which go to the even count.
    MachineRig five(5);
    five.machine.state().mm_per_step[AXIS_X] = 0.5;
    five.engine.step_axis(AXIS_X, 1, 1.0);  // 2.5 ticks
    EXPECT_EQ(five.clock.waits(), (std::vector<std::int64_t>{2}));
    MachineRig seven(7);
    seven.machine.state().mm_per_step[AXIS_X] = -0.5;  // the wait takes the ratio's size
    seven.engine.step_axis(AXIS_X, 1, 1.0);            // 3.5 ticks
    EXPECT_EQ(seven.clock.waits(), (std::vector<std::int64_t>{4}));
}

TEST(StepEngine, DisplayAfterEveryStepAndOnceMore) {
    MachineRig rig;
    rig.engine.step_axis(AXIS_X, 4, 2.5);
    EXPECT_EQ(rig.op.position_updates, 5);
    EXPECT_EQ(rig.op.display_x, QStringLiteral("0,01"));
    EXPECT_EQ(rig.op.messages_processed, 4);
}

TEST(StepEngine, AStopRequestedBeforeTheCallDoesNothingAtAll) {
    MachineRig rig;
    rig.machine.state().stop_requested = true;
    rig.engine.step_axis(AXIS_X, 10, 2.5);
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_TRUE(rig.op.gauge.empty());
    EXPECT_EQ(rig.op.position_updates, 0);
    EXPECT_TRUE(rig.machine.state().stop_requested);  // the callers clear it
}

TEST(StepEngine, AStopMidMoveTakesOffOnlyTheSlackStepsMade) {
    MachineRig rig;
    rig.machine.state().backlash[AXIS_X] = 0.1;  // 40 slack steps at a reversal
    int processed = 0;
    rig.op.on_process_messages = [&] {
        if (++processed == 11) {
            rig.machine.state().stop_requested = true;  // as the operator's "НЕТ" would
        }
    };
    rig.engine.step_axis(AXIS_X, -400, 2.5);
    EXPECT_EQ(rig.motors().backward_steps(AXIS_X), 10);
    EXPECT_NEAR(rig.machine.state().pos_x, 0.0, 1e-12);  // all ten took up slack

    processed = 0;
    rig.machine.state().stop_requested = false;
    rig.op.on_process_messages = [&] {
        if (++processed == 61) {
            rig.machine.state().stop_requested = true;
        }
    };
    rig.engine.step_axis(AXIS_X, 400, 2.5);  // reversal: 40 slack, then 20 real steps
    EXPECT_EQ(rig.motors().forward_steps(AXIS_X), 60);
    EXPECT_NEAR(rig.machine.state().pos_x, 20 * 0.0025, 1e-12);
}

TEST(StepEngine, AFailedWriteStopsTheMoveWithOneMessageAndCountsOnlyRealSteps) {
    MachineRig rig;
    rig.sim->fail_writes_after(3 * 5 + 1);  // five steps, then the sixth step's select write fails
    rig.engine.step_axis(AXIS_X, 100, 2.5);
    EXPECT_EQ(rig.motors().position(AXIS_X), 5);
    EXPECT_DOUBLE_EQ(rig.machine.state().pos_x, 5 * 0.0025);
    EXPECT_TRUE(rig.machine.state().stop_requested);
    ASSERT_EQ(rig.op.messages.size(), 1u);
    EXPECT_EQ(rig.op.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(rig.op.messages[0].text.contains("$378"));
    EXPECT_EQ(rig.engine.pattern_index[AXIS_X], 6);  // the phase the motor really holds

    // A later move goes on from that phase without a lost step.
    rig.sim->fail_all_writes(false);
    rig.machine.state().stop_requested = false;
    rig.engine.step_axis(AXIS_X, 3, 2.5);
    EXPECT_EQ(rig.motors().position(AXIS_X), 8);
    EXPECT_EQ(rig.motors().faults(AXIS_X), 0);
}

TEST(StepEngine, ZeroStepsAndZeroSpeedAreRefusedBeforeAnythingChanges) {
    MachineRig rig;
    EXPECT_THROW(rig.engine.step_axis(AXIS_X, 0, 2.5), OperationAbandoned);
    try {
        rig.engine.step_axis(AXIS_X, 5, 0.0);
        FAIL();
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Floating point division by zero"));
    }
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_EQ(rig.engine.pattern_index[AXIS_X], 1);
    // A negative speed steps without waiting.
    rig.engine.step_axis(AXIS_X, 2, -1.0);
    EXPECT_EQ(rig.motors().position(AXIS_X), 2);
    EXPECT_EQ(rig.engine.totals().wait_ticks, 0);
}

TEST(StepEngine, ThePortIsAskedAtEveryWrite) {
    MachineRig rig;
    rig.sim->machine(PORT_3BC).clear_counts();
    int processed = 0;
    rig.op.on_process_messages = [&] {
        if (++processed == 3) {
            rig.panel.texts[Field::Port] = QStringLiteral("$3BC");
        }
    };
    rig.engine.step_axis(AXIS_X, 4, 2.5);
    EXPECT_EQ(rig.motors().position(AXIS_X), 2);
    // The other port's driver missed entries 2 and 3: a lost step, then one step on.
    EXPECT_EQ(rig.sim->machine(PORT_3BC).faults(AXIS_X), 1);
    EXPECT_EQ(rig.sim->machine(PORT_3BC).position(AXIS_X), 1);
}

}  // namespace
}  // namespace ostrel
