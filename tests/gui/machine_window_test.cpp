// The window driving the simulated machine: jogs, keys, Esc mid-move, jobs and previews.
#include "tests/gui/window_fixture.h"

#include "gui/file_view_window.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace ostrel::testing {
namespace {

TEST_F(MachineWindowTest, JogButtonMovesTheMachineAndDrawsTheTrack) {
    control<QSlider>("jogDistanceSlider")->setValue(7);  // 1 mm
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    EXPECT_EQ(motors().position(AXIS_X), 400);
    form->window_operator().flush_position();
    EXPECT_EQ(control<QLineEdit>("positionXDisplay")->text(), QStringLiteral("1"));
    EXPECT_TRUE(track_window->isVisible());
    // The tool at Z 0 is not below the raised height 0 before any job: a grey track, from the
    // top-left corner to the tool at 1 mm, 5 pixels from the left edge on the bottom row.
    const QImage& track = form->track_picture().image();
    int grey_near_the_tool = 0;
    for (int x = 0; x <= 8; ++x) {
        grey_near_the_tool += track.pixelColor(x, 455) == QColor(128, 128, 128) ? 1 : 0;
    }
    EXPECT_GT(grey_near_the_tool, 0);
    EXPECT_EQ(track.pixelColor(0, 0), QColor(128, 128, 128));
    EXPECT_EQ(track.pixelColor(100, 200), QColor(Qt::white));
    QTest::mouseClick(control<QToolButton>("jogZUpButton"), Qt::LeftButton);
    EXPECT_EQ(motors().position(AXIS_Z), -400);
}

TEST_F(MachineWindowTest, GoToPointFromTheWindowRaisesZFirst) {
    control<QLineEdit>("goToXEdit")->setText(QStringLiteral("0.05"));
    control<QLineEdit>("goToZEdit")->setText(QStringLiteral("0,01"));
    QTest::mouseClick(control<QPushButton>("goToPointButton"), Qt::LeftButton);
    EXPECT_EQ(motors().position(AXIS_Z), -4);
    EXPECT_EQ(motors().position(AXIS_X), 20);
    EXPECT_EQ(sim->write_log()[1].value & 0x70, 0x40);  // the first step is Z's
}

TEST_F(MachineWindowTest, ArrowKeysJogOncePerPressAndNeverOnAutoRepeat) {
    QWidget* focus = show_manual_tab();
    press(focus, Qt::Key_Right);
    EXPECT_EQ(motors().position(AXIS_X), 4);
    for (int i = 0; i < 20; ++i) {
        press(focus, Qt::Key_Right, true);  // a held key
    }
    EXPECT_EQ(motors().position(AXIS_X), 4);
    press(focus, Qt::Key_PageDown);
    press(focus, Qt::Key_Up);
    EXPECT_EQ(motors().position(AXIS_Z), 4);
    EXPECT_EQ(motors().position(AXIS_Y), 4);
}

TEST_F(MachineWindowTest, ArrowKeysInATextFieldOrOnAnotherTabDoNotJog) {
    show_manual_tab();
    auto* edit = control<QLineEdit>("goToXEdit");
    edit->setFocus();
    press(edit, Qt::Key_Left);
    control<QTabWidget>("mainTabs")->setCurrentIndex(2);
    control<QPushButton>("pinTestButton")->setFocus();
    press(control<QPushButton>("pinTestButton"), Qt::Key_Left);
    EXPECT_EQ(motors().forward_steps(AXIS_X) + motors().backward_steps(AXIS_X), 0);
}

TEST_F(MachineWindowTest, EscapeDuringAMoveAsksAndNoStopsIt) {
    QWidget* focus = show_manual_tab();
    control<QSlider>("jogDistanceSlider")->setValue(7);
    // Esc reaches the window some steps into the move (at this speed the window's messages are
    // let through before every step); the operator answers "НЕТ".
    QTimer steps;
    int ticks = 0;
    QObject::connect(&steps, &QTimer::timeout, [&] {
        if (++ticks != 50) {
            return;
        }
        steps.stop();
        QTimer::singleShot(0, &stop_dialog, [&] {
            ASSERT_TRUE(stop_dialog.isVisible());
            QTest::mouseClick(stop_dialog.findChild<QPushButton*>(QStringLiteral("noButton")),
                              Qt::LeftButton);
        });
        press(focus, Qt::Key_Escape);
    });
    steps.start(0);
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    EXPECT_GT(motors().position(AXIS_X), 0);
    EXPECT_LT(motors().position(AXIS_X), 400);
    EXPECT_FALSE(form->machine().state().stop_requested);  // the jog cleared it at its end
    EXPECT_TRUE(stop_dialog.isHidden());

    // Esc at rest asks nothing.
    press(focus, Qt::Key_Escape);
    EXPECT_TRUE(stop_dialog.isHidden());
}

TEST_F(MachineWindowTest, AFastMoveLetsMessagesThroughOnceAMillisecondNotEveryStep) {
    show_manual_tab();
    control<QSlider>("jogDistanceSlider")->setValue(7);  // 1 mm: 400 steps
    control<QSlider>("jogSpeedSlider")->setValue(20);    // 4 mm/s: a step every 0,625 ms
    QTimer passes;  // a zero timer fires once each time messages are let through
    int count = 0;
    QObject::connect(&passes, &QTimer::timeout, [&count] { ++count; });
    passes.start(0);
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    passes.stop();
    EXPECT_EQ(motors().position(AXIS_X), 400);
    // Not one a step: a pass once a millisecond has gone by, so before every second step.
    EXPECT_GE(count, 195);
    EXPECT_LE(count, 205);
}

TEST_F(MachineWindowTest, AJobButtonDuringAMoveIsRefused) {
    control<QSlider>("jogDistanceSlider")->setValue(7);
    QTimer::singleShot(0, form.get(), [&] { form->run_draw_job(); });
    QTest::mouseClick(control<QToolButton>("jogXPlusButton"), Qt::LeftButton);
    EXPECT_TRUE(box_shown_with(Machine::busy_message()));
    EXPECT_EQ(motors().position(AXIS_X), 400);
}

TEST_F(MachineWindowTest, DrawingJobFromTheWindowMovesTheMachine) {
    const QString path =
        scratch.write(QStringLiteral("square.dxf"),
                      "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 11\n"
                      "0.5\n 21\n0.25\n  0\nENDSEC\n  0\nEOF\n");
    control<QTabWidget>("mainTabs")->setCurrentIndex(1);
    control<QComboBox>("jobKindCombo")->setCurrentIndex(0);
    control<QTabWidget>("filePages")->setCurrentIndex(0);
    control<QLineEdit>("dxfFileEdit")->setText(path);
    control<QLineEdit>("speedXyEdit")->setText(QStringLiteral("5"));
    QTest::mouseClick(control<QPushButton>("drawButton"), Qt::LeftButton);
    EXPECT_TRUE(desktop.boxes.empty()) << desktop.boxes.front().text.toStdString();
    // Drawn to (0.5, 0.25), then raised and back to the origin.
    EXPECT_EQ(motors().forward_steps(AXIS_X), 200);
    EXPECT_EQ(motors().forward_steps(AXIS_Y), 100);
    EXPECT_EQ(motors().position(AXIS_X), 0);
    EXPECT_EQ(motors().position(AXIS_Z), -200);
}

TEST_F(MachineWindowTest, GerberFileChoiceFillsTheGridAndThePreviewShowsTheBoard) {
    const QString path = scratch.write(
        QStringLiteral("board.gbr"),
        "%ADD10C,0.5000*%\n%ADD11R,1.2X0.8*%\nG54D10*\nX0Y0D02*\nX2000Y1000D01*\nM02*\n");
    control<QTabWidget>("mainTabs")->setCurrentIndex(1);
    control<QTabWidget>("filePages")->setCurrentIndex(1);
    desktop.open_answers.push_back(path);
    QTest::mouseClick(control<QToolButton>("chooseGerberFileButton"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("gerberFileEdit")->text(), path);
    const auto& grid = form->controller().gerber.grid();
    auto* table = form->findChild<QTableWidget*>(QStringLiteral("apertureGrid"));
    ASSERT_NE(table, nullptr);
    int filled = 0;
    for (int row = 1; row < 50; ++row) {
        for (int column = 0; column < 4; ++column) {
            ASSERT_NE(table->item(row, column), nullptr);
            EXPECT_EQ(table->item(row, column)->text(), grid.cell(row, column));
            filled += grid.cell(row, column).isEmpty() ? 0 : 1;
        }
    }
    EXPECT_GE(filled, 4);
    QTest::mouseClick(control<QPushButton>("gerberPreviewButton"), Qt::LeftButton);
    EXPECT_TRUE(file_view_window.isVisible());
    const QImage& image = file_view_window.picture().image();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 50);                           // the track was drawn
    EXPECT_EQ(motors().forward_steps(AXIS_X), 0);  // a preview moves nothing
}

TEST_F(MachineWindowTest, GcodeProgramIsChosenPreviewedAndRunFromItsPage) {
    const QString path = scratch.write(QStringLiteral("part.ngc"),
                                       "G21 G90\nG0 X1 Y0.5\nG1 Z-0.25 F60\nG1 X2\nG0 Z1\nM2\n");
    control<QTabWidget>("mainTabs")->setCurrentIndex(1);
    control<QComboBox>("jobKindCombo")->setCurrentIndex(0);  // the speeds the estimate takes
    control<QTabWidget>("filePages")->setCurrentIndex(2);
    // The placement row works on this page without a reading mode to check.
    EXPECT_TRUE(control<QComboBox>("placementOriginCombo")->isEnabled());
    desktop.open_answers.push_back(path);
    QTest::mouseClick(control<QToolButton>("chooseGcodeFileButton"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("gcodeFileEdit")->text(), path);
    QTest::mouseClick(control<QPushButton>("gcodePreviewButton"), Qt::LeftButton);
    EXPECT_TRUE(file_view_window.isVisible());
    EXPECT_TRUE(
        control<QLabel>("gcodeInfoLabel")->text().startsWith(QStringLiteral("X 1…2  Y 0,5…0,5")))
        << control<QLabel>("gcodeInfoLabel")->text().toStdString();
    EXPECT_EQ(motors().forward_steps(AXIS_X), 0);  // a preview moves nothing
    QTest::mouseClick(control<QPushButton>("drawButton"), Qt::LeftButton);
    EXPECT_TRUE(desktop.boxes.empty()) << desktop.boxes.front().text.toStdString();
    // To (2, 0.5) with the cut 0.25 mm deep, up to 1 mm, and back to the origin.
    EXPECT_EQ(motors().forward_steps(AXIS_X), 800);
    EXPECT_GE(motors().forward_steps(AXIS_Z), 100);
    EXPECT_EQ(motors().position(AXIS_X), 0);
    EXPECT_EQ(motors().position(AXIS_Y), 0);
}

}  // namespace
}  // namespace ostrel::testing
