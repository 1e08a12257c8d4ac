// Manual control: jogs, go to point, keys and the pause question, on the decoded machine.
#include "motion/manual_control.h"
#include "core/operation_abandoned.h"
#include "tests/support/machine_rig.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::MachineRig;

class ManualControlTest : public ::testing::Test {
protected:
    MachineRig rig;
    ManualControl manual{rig.machine, rig.engine, rig.mover};
};

TEST_F(ManualControlTest, JogButtonsMoveTheirAxisByTheJogDistance) {
    rig.panel.jog_distance = 7;  // 1 mm
    rig.machine.state().backlash[AXIS_X] = 0.1;
    manual.jog_x_plus();
    EXPECT_EQ(rig.motors().forward_steps(AXIS_X), 400);
    EXPECT_NEAR(rig.machine.state().pos_x, 1, 1e-12);
    manual.jog_x_minus();
    EXPECT_EQ(rig.motors().backward_steps(AXIS_X), 440);
    EXPECT_NEAR(rig.machine.state().pos_x, 0, 1e-12);
    manual.jog_y_plus();
    manual.jog_y_minus();
    EXPECT_EQ(rig.motors().forward_steps(AXIS_Y), 400);
    EXPECT_EQ(rig.motors().backward_steps(AXIS_Y), 400);
    manual.jog_z_up();
    EXPECT_EQ(rig.motors().backward_steps(AXIS_Z), 400);
    EXPECT_NEAR(rig.machine.state().pos_z, 1, 1e-12);
    manual.jog_z_down();
    EXPECT_NEAR(rig.machine.state().pos_z, 0, 1e-12);
    // Jog speed 1 mm/s at position 10: 2.5 ms a step.
    EXPECT_EQ(rig.clock.waits().front(), 2'500'000);
}

TEST_F(ManualControlTest, AJogTooShortForAStepSaysDivisionByZero) {
    rig.machine.state().mm_per_step[AXIS_X] = 0.05;  // 0.01 mm is a fifth of a step
    try {
        manual.jog_x_plus();
        FAIL();
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Division by zero"));
    }
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(ManualControlTest, GoToPointRaisesZFirstThenMovesXAndYTogether) {
    rig.panel.texts[Field::GoToX] = "0.1";
    rig.panel.texts[Field::GoToY] = "0,05";
    rig.panel.texts[Field::GoToZ] = "0,02";
    manual.go_to_point();
    const auto& writes = rig.writes();
    ASSERT_EQ(writes.size(), 3u * (8 + 40 + 20));
    for (std::size_t step = 0; step < 8; ++step) {
        EXPECT_EQ(writes[3 * step + 1].value & 0x70, 0x40);
    }
    EXPECT_EQ(rig.motors().position(AXIS_X), 40);
    EXPECT_EQ(rig.motors().position(AXIS_Y), 20);
    EXPECT_EQ(rig.motors().position(AXIS_Z), -8);
    EXPECT_FALSE(rig.machine.state().stop_requested);
}

TEST_F(ManualControlTest, GoToWhereTheToolStandsMovesNothing) {
    manual.go_to_point();
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_EQ(rig.op.position_updates, 0);
}

TEST_F(ManualControlTest, ABadZTextMovesNothingAndLeavesTheStopAlone) {
    rig.panel.texts[Field::GoToX] = "10";
    rig.panel.texts[Field::GoToY] = "5";
    rig.panel.texts[Field::GoToZ] = "z";
    rig.machine.state().stop_requested = true;
    EXPECT_THROW(manual.go_to_point(), OperationAbandoned);
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_TRUE(rig.machine.state().stop_requested);
}

TEST_F(ManualControlTest, EscapeMidMoveAsksAndNoStopsTheJogWhichThenClearsTheStop) {
    rig.panel.jog_distance = 7;
    rig.op.continue_answer = false;
    int processed = 0;
    rig.op.on_process_messages = [&] {
        if (++processed == 101) {
            manual.pause_requested();
        }
    };
    manual.jog_x_plus();
    EXPECT_EQ(rig.op.questions, 1);
    EXPECT_EQ(rig.motors().position(AXIS_X), 100);
    EXPECT_FALSE(rig.machine.state().stop_requested);
}

TEST_F(ManualControlTest, EscapeAnsweredYesGoesOnAndEscapeAtRestAsksNothing) {
    rig.panel.jog_distance = 7;
    int processed = 0;
    rig.op.on_process_messages = [&] {
        if (++processed == 5) {
            manual.pause_requested();
        }
    };
    manual.jog_y_plus();
    EXPECT_EQ(rig.op.questions, 1);
    EXPECT_EQ(rig.motors().position(AXIS_Y), 400);
    manual.pause_requested();
    EXPECT_EQ(rig.op.questions, 1);
}

TEST_F(ManualControlTest, AJogClickedDuringAMoveRunsToItsEndInsideIt) {
    rig.panel.jog_distance = 7;
    int processed = 0;
    rig.op.on_process_messages = [&] {
        if (++processed == 10) {
            manual.jog_z_up();
        }
    };
    manual.jog_x_plus();
    EXPECT_EQ(rig.motors().position(AXIS_X), 400);
    EXPECT_EQ(rig.motors().position(AXIS_Z), -400);
    EXPECT_EQ(testing::step_axes(rig.path()),
              std::string(9, 'X') + std::string(400, 'Z') + std::string(391, 'X'));
}

TEST_F(ManualControlTest, KeysJogOneStepAtEachPress) {
    EXPECT_TRUE(manual.key_jog(Qt::Key_Right));
    EXPECT_TRUE(manual.key_jog(Qt::Key_PageUp));
    EXPECT_TRUE(manual.key_jog(Qt::Key_Down));
    EXPECT_FALSE(manual.key_jog(Qt::Key_A));
    EXPECT_EQ(rig.motors().position(AXIS_X), 4);
    EXPECT_EQ(rig.motors().position(AXIS_Y), -4);
    EXPECT_EQ(rig.motors().position(AXIS_Z), -4);
}

TEST_F(ManualControlTest, NoToAStopInsideANestedJogStopsTheOuterJogToo) {
    rig.panel.jog_distance = 7;
    rig.op.continue_answer = false;
    int processed = 0;
    rig.op.on_process_messages = [&] {
        ++processed;
        if (processed == 10) {
            manual.jog_z_up();
        } else if (processed == 20) {
            manual.pause_requested();
        }
    };
    manual.jog_x_plus();
    EXPECT_EQ(rig.op.questions, 1);
    EXPECT_EQ(testing::step_axes(rig.path()), std::string(9, 'X') + std::string(9, 'Z'));
    EXPECT_FALSE(rig.machine.state().stop_requested);  // cleared once the outer jog ended
    manual.jog_x_plus();
    EXPECT_EQ(rig.motors().position(AXIS_X), 409);
}

TEST_F(ManualControlTest, NothingStartsAMoveWhileAQuestionIsOpen) {
    rig.panel.jog_distance = 7;
    rig.panel.texts[Field::GoToZ] = "5";
    int processed = 0;
    rig.op.on_process_messages = [&] {
        if (++processed == 3) {
            manual.pause_requested();
        }
    };
    rig.op.while_asking = [&] {
        manual.jog_z_up();
        EXPECT_TRUE(manual.key_jog(Qt::Key_PageUp));
        manual.go_to_point();
        manual.pause_requested();  // a second Esc: no question inside the question
    };
    manual.jog_x_plus();
    EXPECT_EQ(rig.op.questions, 1);
    EXPECT_EQ(rig.op.message_texts(), std::vector<QString>(3, Machine::busy_message()));
    EXPECT_EQ(rig.motors().position(AXIS_Z), 0);
    EXPECT_EQ(rig.motors().position(AXIS_X), 400);  // answered "ДА": the jog went on
}

TEST_F(ManualControlTest, TheTravelLimitQuestionComesOnceAMoveAndNoStopsIt) {
    rig.panel.jog_distance = 7;  // 1 mm, 400 steps
    rig.machine.state().travel_limit[AXIS_X] = 0;
    struct Case {
        bool go_on;
        int steps_x;
    };
    for (const Case c : {Case{true, 400}, Case{false, 1}}) {
        SCOPED_TRACE(c.go_on);
        rig.op.messages.clear();
        rig.op.yes_no_answer = c.go_on;
        const int before = rig.motors().position(AXIS_X);
        manual.jog_x_plus();
        EXPECT_EQ(rig.motors().position(AXIS_X) - before, c.steps_x);
        ASSERT_EQ(rig.op.messages.size(), 1u);
        EXPECT_EQ(rig.op.messages[0].kind, MessageKind::LimitWarning);
        EXPECT_EQ(rig.op.messages[0].text, QStringLiteral("Выход за пределы, продолжить?"));
        EXPECT_FALSE(rig.machine.state().stop_requested);
    }
    // A go-to-point is one move however many engine calls it makes: asked once.
    rig.op.messages.clear();
    rig.op.yes_no_answer = true;
    rig.panel.texts[Field::GoToX] = "3";
    rig.panel.texts[Field::GoToY] = "1";
    rig.panel.texts[Field::GoToZ] = "1";
    manual.go_to_point();
    EXPECT_EQ(rig.op.messages.size(), 1u);
    EXPECT_NEAR(rig.machine.state().pos_x, 3, 1e-9);
}

TEST_F(ManualControlTest, AHaltedMachineStopsAtOnceAndNeverMovesAgain) {
    rig.panel.jog_distance = 7;
    int processed = 0;
    rig.op.on_process_messages = [&] {
        if (++processed == 50) {
            rig.machine.halt();
        }
    };
    manual.jog_x_plus();
    EXPECT_EQ(rig.motors().position(AXIS_X), 49);
    manual.jog_y_plus();
    rig.panel.texts[Field::GoToZ] = "2";
    manual.go_to_point();
    EXPECT_EQ(rig.motors().position(AXIS_Y), 0);
    EXPECT_EQ(rig.motors().position(AXIS_Z), 0);
    EXPECT_TRUE(rig.machine.state().stop_requested);
}

}  // namespace
}  // namespace ostrel
