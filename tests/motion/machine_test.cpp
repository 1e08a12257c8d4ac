// Machine state operations: settings, jog selectors, job parameters, the position display.
#include "motion/machine.h"
#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "tests/support/job_texts.h"
#include "tests/support/recording_operator.h"
#include "tests/support/recording_picture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <cmath>
#include <optional>

namespace ostrel {
namespace {

using testing::FakePanel;
using testing::RecordingOperator;

class MachineTest : public ::testing::Test {
protected:
    MachineTest() : machine(op, panel, picture) {
        machine.state().apply(MachineParameters::defaults());
    }

    testing::TempFolder folder;
    RecordingOperator op;
    FakePanel panel;
    testing::RecordingPicture picture{QSize(585, 457)};
    Machine machine;
};

TEST_F(MachineTest, MissingSettingsFileGivesOneMessageAndTheDefaults) {
    machine.state().apply(MachineParameters{});
    machine.load_settings(folder.path("cfg.ini"));
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(op.messages[0].text, QStringLiteral("Фай конфигурации отсутствует"));
    const ParameterTexts texts = machine.parameter_texts();
    EXPECT_EQ(texts[0], QStringLiteral("0,0025"));
    EXPECT_EQ(texts[3], QStringLiteral("100"));
    EXPECT_EQ(texts[8], QStringLiteral("0"));
    EXPECT_EQ(machine.state().mm_per_step[AXIS_Z], 0.0025);
}

TEST_F(MachineTest, SettingsFileWithBadValuesNamesThemOnceAndKeepsTheRest) {
    const QString path = folder.write("cfg.ini",
                                      "[machine]\nmm_per_step_x = 0,005\nmm_per_step_y = 0\n"
                                      "travel_limit_x = 250\ntravel_limit_y = 12.5\n"
                                      "backlash_z = abc\n");
    machine.load_settings(path);
    ASSERT_EQ(op.messages.size(), 1u);
    const QString text = op.messages[0].text;
    EXPECT_TRUE(text.contains(path));
    EXPECT_TRUE(text.contains("mm_per_step_y"));
    EXPECT_TRUE(text.contains("travel_limit_y"));
    EXPECT_TRUE(text.contains("backlash_z"));
    EXPECT_FALSE(text.contains("mm_per_step_x"));
    const MachineState& s = machine.state();
    EXPECT_EQ(s.mm_per_step[AXIS_X], 0.005);
    EXPECT_EQ(s.mm_per_step[AXIS_Y], 0.0025);
    EXPECT_EQ(s.travel_limit[AXIS_X], 250);
    EXPECT_EQ(s.travel_limit[AXIS_Y], 100);
    EXPECT_EQ(s.backlash[AXIS_Z], 0);
}

TEST_F(MachineTest, ApplyChecksEveryFieldBeforeApplyingAnyAndWritesTheFile) {
    const QString path = folder.path("cfg.ini");
    ParameterTexts texts = {"0,005", "0.004", "0,0025", "200", "150", "50", "0,1", "0", "0"};
    texts[5] = "50,5";
    EXPECT_FALSE(machine.apply_parameter_texts(texts, path));
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_TRUE(op.messages[0].text.contains("50,5"));
    EXPECT_TRUE(op.messages[0].text.contains(" Z"));
    EXPECT_EQ(machine.state().mm_per_step[AXIS_X], 0.0025);  // nothing applied
    EXPECT_FALSE(QFile::exists(path));

    texts[5] = "50";
    EXPECT_TRUE(machine.apply_parameter_texts(texts, path));
    EXPECT_EQ(machine.state().mm_per_step[AXIS_Y], 0.004);
    EXPECT_EQ(machine.state().travel_limit[AXIS_X], 200);
    EXPECT_EQ(machine.state().backlash[AXIS_X], 0.1);

    // What was written reads back the same on the next start.
    Machine next(op, panel, picture);
    next.load_settings(path);
    EXPECT_EQ(next.parameter_texts(), machine.parameter_texts());
    EXPECT_EQ(next.state().parameters().mm_per_step, machine.state().parameters().mm_per_step);
}

TEST_F(MachineTest, ApplyRefusesAZeroRatio) {
    ParameterTexts texts = machine.parameter_texts();
    texts[1] = "0";
    EXPECT_FALSE(machine.apply_parameter_texts(texts, folder.path("cfg.ini")));
    EXPECT_EQ(machine.state().mm_per_step[AXIS_Y], 0.0025);
}

TEST_F(MachineTest, ApplyIsRefusedWhileAMoveOrAJobRuns) {
    ParameterTexts texts = machine.parameter_texts();
    texts[0] = "0,005";
    const QString path = folder.path("cfg.ini");
    for (int running = 0; running < 2; ++running) {
        op.messages.clear();
        {
            Machine::MoveScope move(machine);
            std::optional<Machine::JobScope> job;
            if (running == 1) {
                job.emplace(machine);
            }
            EXPECT_FALSE(machine.apply_parameter_texts(texts, path));
        }
        EXPECT_EQ(op.message_texts(), std::vector<QString>{Machine::busy_message()});
        EXPECT_EQ(machine.state().mm_per_step[AXIS_X], 0.0025);
        EXPECT_FALSE(QFile::exists(path));
    }
    EXPECT_TRUE(machine.apply_parameter_texts(texts, path));  // at rest again
}

TEST_F(MachineTest, AFineRatioSurvivesTheSettingsTab) {
    machine.state().mm_per_step[AXIS_X] = 0.00125;
    const ParameterTexts texts = machine.parameter_texts();
    EXPECT_EQ(texts[0], QStringLiteral("0,00125"));
    ASSERT_TRUE(machine.apply_parameter_texts(texts, folder.path("cfg.ini")));
    EXPECT_EQ(machine.state().mm_per_step[AXIS_X], 0.00125);
}

TEST_F(MachineTest, JogSpeedAndDistanceSelectors) {
    EXPECT_DOUBLE_EQ(Machine::jog_speed(1), 0.01);
    EXPECT_DOUBLE_EQ(Machine::jog_speed(10), 1);
    EXPECT_DOUBLE_EQ(Machine::jog_speed(20), 4);
    EXPECT_EQ(show_fixed4(Machine::jog_speed(1)), QStringLiteral("0,01"));
    EXPECT_EQ(show_fixed4(Machine::jog_speed(20)), QStringLiteral("4"));
    EXPECT_DOUBLE_EQ(Machine::jog_distance_mm(1), 0.01);
    double previous = 0;
    for (int position = 1; position <= 12; ++position) {
        EXPECT_GT(Machine::jog_distance_mm(position), previous) << position;
        previous = Machine::jog_distance_mm(position);
    }
    panel.jog_distance = 7;
    EXPECT_EQ(machine.selected_jog_distance(), 1);
    EXPECT_EQ(machine.jog_steps(AXIS_X), 400);
}

TEST_F(MachineTest, MmToStepRoundsAndFailsOnZeroRatioOrOverflow) {
    panel.jog_distance = 1;                      // 0.01 mm
    machine.state().mm_per_step[AXIS_Y] = 0.02;  // half a step: rounds to even 0
    EXPECT_EQ(machine.jog_steps(AXIS_Y), 0);
    machine.state().mm_per_step[AXIS_Y] = 0.004;  // 2.5 steps: even 2
    EXPECT_EQ(machine.jog_steps(AXIS_Y), 2);
    machine.state().mm_per_step[AXIS_Y] = -0.0025;
    EXPECT_EQ(machine.jog_steps(AXIS_Y), -4);
    machine.state().mm_per_step[AXIS_Z] = 0;
    EXPECT_THROW(machine.jog_steps(AXIS_Z), OperationAbandoned);
    machine.state().mm_per_step[AXIS_Z] = 1e-12;
    panel.jog_distance = 12;
    EXPECT_THROW(machine.jog_steps(AXIS_Z), OperationAbandoned);
}

TEST_F(MachineTest, ReadJobParametersStoresFieldsUntilTheFirstBadOne) {
    // A point is not read here.
    testing::type_job_parameters(panel, {.speed_xy_rapid = "5", .z_travel = "0.5"});
    try {
        machine.read_job_parameters();
        FAIL() << "the point should abandon the reading";
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'0.5' is not a valid floating point value"));
    }
    EXPECT_EQ(machine.state().job.speed_xy, 2.5);
    EXPECT_EQ(machine.state().job.speed_xy_rapid, 5);
    EXPECT_EQ(machine.state().job.z_travel, 0);
    EXPECT_EQ(machine.state().job.speed_z_up, 0);

    testing::type_job_parameters(panel, {.speed_xy_rapid = "5", .speed_z_down = "0,2"});
    machine.read_job_parameters();
    EXPECT_EQ(machine.state().job.z_travel, 0.5);
    EXPECT_EQ(machine.state().job.speed_z_down, 0.2);
}

TEST_F(MachineTest, ViewXyzShowsDrawsAndWarnsBeyondTheUpperLimits) {
    machine.state().job.z_travel = 0.5;
    MachineState& s = machine.state();
    s.pos_x = 0.5;
    s.pos_y = 1.5;
    s.pos_z = 0.5;  // at z_travel: raised, grey
    machine.view_xyz();
    EXPECT_EQ(op.display_x, QStringLiteral("0,5"));
    EXPECT_EQ(op.display_y, QStringLiteral("1,5"));
    EXPECT_EQ(op.track_window_shown, 1);
    ASSERT_EQ(picture.segments.size(), 1u);
    EXPECT_EQ(picture.segments[0].from, QPoint(0, 0));
    EXPECT_EQ(picture.segments[0].to, QPoint(2, 457 - 8));  // 2.5 -> 2, 7.5 -> 8
    EXPECT_EQ(picture.segments[0].color, QColor(128, 128, 128));
    EXPECT_EQ(picture.segments[0].width, 1);
    EXPECT_TRUE(op.messages.empty());

    s.pos_z = 0.4999;
    s.pos_x = 100;
    machine.view_xyz();
    EXPECT_EQ(picture.segments[1].color, QColor(255, 0, 0));
    EXPECT_EQ(picture.segments[1].width, 2);
    EXPECT_EQ(picture.segments[1].from, QPoint(2, 449));
    EXPECT_TRUE(op.messages.empty());

    s.pos_x = -500;
    s.pos_y = 100.0025;
    machine.view_xyz();
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].kind, MessageKind::LimitWarning);
    EXPECT_EQ(op.messages[0].text, QStringLiteral("Выход за пределы, продолжить?"));

    s.pos_y = 0;
    s.pos_x = 100.0025;
    machine.view_xyz();
    EXPECT_EQ(op.messages.size(), 2u);
    s.pos_x = 0;
    s.pos_z = 1000;  // Z is never checked
    machine.view_xyz();
    EXPECT_EQ(op.messages.size(), 2u);
}

TEST_F(MachineTest, ZeroButtonsAndAcceptedCoordinates) {
    machine.state().pos_x = 3;
    machine.view_xyz();
    EXPECT_EQ(machine.zero_axis(AXIS_X), QStringLiteral("0"));
    EXPECT_EQ(op.display_x, QStringLiteral("0"));
    EXPECT_EQ(op.display_y, QStringLiteral("0"));
    EXPECT_EQ(machine.state().pos_x, 0);
    const std::size_t lines_before = picture.segments.size();

    panel.texts[Field::NewPositionX] = "12.5";
    panel.texts[Field::NewPositionY] = "-1,25";
    panel.texts[Field::NewPositionZ] = "2";
    machine.accept_new_position();
    EXPECT_EQ(machine.state().pos_x, 12.5);
    EXPECT_EQ(machine.state().pos_y, -1.25);
    EXPECT_EQ(op.display_x, QStringLiteral("12.5"));   // as typed, point and all
    EXPECT_EQ(picture.segments.size(), lines_before);  // nothing drawn
    machine.view_xyz();
    EXPECT_EQ(op.display_x, QStringLiteral("12,5"));

    panel.texts[Field::NewPositionX] = "7";
    panel.texts[Field::NewPositionY] = "y";
    EXPECT_THROW(machine.accept_new_position(), OperationAbandoned);
    EXPECT_EQ(machine.state().pos_x, 12.5);  // none stored: all three are read first
    EXPECT_EQ(machine.state().pos_y, -1.25);
    EXPECT_EQ(op.display_x, QStringLiteral("12,5"));  // displays untouched
}

TEST_F(MachineTest, AMoveTooLongForTheStepCounterIsRefused) {
    EXPECT_EQ(step_count(2147483647.0L, AXIS_X), INT32_MAX);
    EXPECT_THROW(step_count(1e9L / 0.0025L, AXIS_X), OperationAbandoned);
}

TEST(TrackPixels, FivePixelsPerMmRoundHalfToEvenOnTheExactProduct) {
    struct Case {
        double x;
        int column;
    };
    // 0,1 is a little over a tenth: 5 × it a little over a half, though the double product is
    // exactly 0,5; 0,7 a little under, its product 3,4999…; 0,5 and 2,5 mm are true ties.
    const Case cases[] = {{0.1, 1},
                          {-0.1, -1},
                          {0.3, 1},
                          {0.7, 3},
                          {0.5, 2},
                          {2.5, 12},
                          {0.9, 5},
                          {-0.5, -2},
                          {1e300, 1000000},
                          {-1e300, -1000000},
                          {std::nan(""), 1000000},
                          {-0.0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(TrackView::pixel_of(c.x, c.x).x(), c.column) << c.x;
        EXPECT_EQ(TrackView::pixel_of(0, c.x).y(), TrackView::kHeight - c.column) << c.x;
    }
    // Every position a 0,0025 mm/step axis reaches step by step, against the extended product.
    double x = -60;
    for (int i = 0; i < 48000; ++i, x += 0.0025) {
        const auto expected = std::nearbyintl(static_cast<long double>(x) * 5);
        ASSERT_EQ(TrackView::pixel_of(x, 0).x(), static_cast<int>(expected)) << x;
    }
}

}  // namespace
}  // namespace ostrel
