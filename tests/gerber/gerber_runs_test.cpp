// The Gerber preview's two passes and fit, and the plotting and drilling jobs of the job buttons.
#include "core/operation_abandoned.h"
#include "gerber/gerber_jobs.h"
#include "gerber/gerber_preview.h"
#include "tests/gerber/gerber_test_support.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <functional>

namespace ostrel {
namespace {

using testing::GerberRig;
using testing::RecordingPicture;

constexpr std::int64_t kStepsPerMm = 400;

class GerberRunsTest : public ::testing::Test {
protected:
    void use(const QByteArray& text) {
        rig.use_gerber_file(folder.write(QStringLiteral("board.gbr"), text));
    }
    GerberRegisters& regs() { return rig.registers(); }
    std::int64_t motor(Axis axis) const { return rig.motors().position(axis); }

    testing::TempFolder folder;
    GerberRig rig;
};

TEST(GerberFiles, AFileWithNulBytesIsRefusedByEveryReadingOfThePage) {
    const QByteArray holes = "G54D10*\nX100Y100D03*\nX200Y100D03*\n";
    const QByteArray head = QByteArray(
                                "\x7f"
                                "ELF\x02\x01\x01\0\0\0\n",
                                11) +
                            holes;
    QByteArray late;
    for (int i = 0; i < 300; ++i) {
        late += "G04 a comment line*\n";
    }
    late += holes + QByteArray("\0\n", 2) + holes;
    const std::function<void(GerberRig&)> readings[] = {
        [](GerberRig& rig) { rig.gerber.jobs().plot(); },
        [](GerberRig& rig) { rig.gerber.jobs().drill(2); },
        [](GerberRig& rig) {
            RecordingPicture picture;
            testing::FakeFileView view(picture);
            rig.gerber.show_gerber_preview(view);
        },
        [](GerberRig& rig) { rig.gerber.load_apertures(); },
    };
    testing::TempFolder folder;
    for (const QByteArray& text : {head, late}) {
        for (std::size_t r = 0; r < std::size(readings); ++r) {
            SCOPED_TRACE((text == head ? "at the head, reading " : "late, reading ") +
                         std::to_string(r));
            GerberRig rig;
            const QString path = folder.write(QStringLiteral("program"), text);
            rig.use_gerber_file(path);
            try {
                readings[r](rig);
                ADD_FAILURE() << "read as a Gerber file";
            } catch (const OperationAbandoned& e) {
                EXPECT_TRUE(e.message().contains(path) && e.message().contains("нулевые байты"))
                    << e.message().toStdString();
            }
            if (text == head) {
                EXPECT_TRUE(rig.writes().empty());
            }
        }
    }
}

TEST_F(GerberRunsTest, PreviewFitsABoardInto80PercentOfTheWindow) {
    use("%FSLAX24Y24*%\n%ADD10C,0.0100*%\nG54D10*\nX1000Y1000D02*\nX10000Y5000D01*\n");
    RecordingPicture picture;
    testing::FakeFileView view(picture);
    regs().plot_mode = true;
    regs().drill_mode = true;
    rig.gerber.show_gerber_preview(view);
    EXPECT_NEAR(regs().view_scale, 3.16, 1e-12);  // 0.8 x 395 / 100
    // The picture was whitened once, then the line drawn at that scale from the D02 point.
    EXPECT_EQ(picture.fills, std::vector<QColor>{QColor(255, 255, 255)});
    ASSERT_EQ(picture.lines().size(), 1u);
    EXPECT_EQ(picture.lines()[0].from, QPoint(32, 32));  // 31.6 rounded
    EXPECT_EQ(picture.lines()[0].to, QPoint(316, 158));
    EXPECT_GE(view.shown, 3);  // by the click and by each pass
    EXPECT_FALSE(regs().plot_mode || regs().drill_mode || regs().preview_mode);
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(GerberRunsTest, SmallAndEmptyFilesFitAsA20mmBoard) {
    RecordingPicture picture;
    testing::FakeFileView view(picture);
    use("G54D10*\nX500Y300D02*\nX1500Y1200D01*\n");
    rig.gerber.show_gerber_preview(view);
    EXPECT_NEAR(regs().view_scale, 13.88, 1e-12);  // 0.8 x 347 / 20
    EXPECT_EQ(picture.lines().size(), 1u);
    use("");
    rig.gerber.show_gerber_preview(view);
    EXPECT_NEAR(regs().view_scale, 13.88, 1e-12);
    EXPECT_TRUE(picture.lines().empty());
    EXPECT_EQ(picture.fills.size(), 2u);
}

TEST_F(GerberRunsTest, PreviewKeepsYDownFromTheTopLeftCorner) {
    ImagePicture picture(QSize(387, 320));
    testing::FakeFileView view(picture);
    // A horizontal line at Y 5 mm and one at Y 15 mm, in a 20 mm board: 13.88 px/mm.
    use("G54D10*\nX100Y500D02*\nX1500Y500D01*\nX100Y1500D02*\nX200Y1500D01*\n");
    rig.gerber.show_gerber_preview(view);
    const QImage& image = picture.image();
    EXPECT_EQ(image.pixelColor(100, 69), QColor(0, 0, 255));  // Y 5 mm: row 69.4
    EXPECT_EQ(image.pixelColor(20, 208), QColor(0, 0, 255));  // Y 15 mm: row 208.2, lower
    EXPECT_EQ(image.pixelColor(100, 250), QColor(255, 255, 255));
}

TEST_F(GerberRunsTest, PreviewStartsFromTheRegistersThePreviousRunLeft) {
    RecordingPicture picture;
    testing::FakeFileView view(picture);
    // No G54 in this file: the selection and the G54 come from the file before it.
    use("G54D10*\nX100Y100D02*\n");
    rig.gerber.show_gerber_preview(view);
    use("X1000Y1000D01*\n");
    rig.gerber.show_gerber_preview(view);
    ASSERT_EQ(picture.lines().size(), 1u);
    // Drawn from where the first pass of this preview left the pen (the point at 1 px/mm).
    EXPECT_EQ(picture.lines()[0].from, QPoint(10, 10));
    EXPECT_EQ(picture.lines()[0].to, QPoint(139, 139));  // 138.8
}

TEST_F(GerberRunsTest, MissingFileIsToldOnceAndRunsNothing) {
    RecordingPicture picture;
    testing::FakeFileView view(picture);
    rig.use_gerber_file(folder.path(QStringLiteral("gone.gbr")));
    rig.gerber.show_gerber_preview(view);
    EXPECT_EQ(rig.op.message_texts(), std::vector<QString>{"такого файла не существует"});
    EXPECT_EQ(rig.op.focused, std::vector<Field>{Field::GerberFile});
    EXPECT_TRUE(picture.lines().empty());

    rig.op.messages.clear();
    rig.buttons.run_draw_job();
    EXPECT_EQ(rig.op.message_texts(), std::vector<QString>{"такого файла не существует"});
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(GerberRunsTest, PreviewIsRefusedWhileAJobRuns) {
    use("G54D10*\nX100Y100D02*\nX200Y100D01*\nX300Y100D01*\n");
    RecordingPicture picture;
    testing::FakeFileView view(picture);
    rig.gerber.set_file_view(&view);
    int previews = 0;
    rig.op.on_process_messages = [&] {
        if (previews++ == 0) {
            rig.gerber.show_gerber_preview(view);  // "Проспотр" pressed in the middle of the job
        }
    };
    rig.buttons.run_draw_job();
    ASSERT_EQ(rig.op.messages.size(), 1u);
    EXPECT_EQ(rig.op.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(rig.op.messages[0].text, Machine::busy_message());
    EXPECT_TRUE(picture.fills.empty());
    // The job went on to its end.
    EXPECT_EQ(motor(AXIS_X), 3 * kStepsPerMm);
}

TEST_F(GerberRunsTest, DrawingJobPlotsLinesAndSkipsPercentLines) {
    use("%FSLAX24Y24*%\n%ADD10C,0.0160*%\n%ADD11R,0.06X0.07*%\n\nG54D10*\nX100Y200D02*\n"
        "X300Y200D01*\nM02*\n");
    rig.gerber.interpreter().registers().aperture_pending = true;  // cleared by the button
    rig.buttons.run_draw_job();
    EXPECT_EQ(motor(AXIS_X), 3 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Y), 2 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Z), 0);                          // lowered at the end of the line
    EXPECT_EQ(rig.motors().backward_steps(AXIS_Z), 200);  // the one raise of the D02
    EXPECT_FALSE(regs().plot_mode);
    EXPECT_EQ(regs().current_aperture, 10);
}

TEST_F(GerberRunsTest, JobsNeverDrawOnTheFileViewPicture) {
    use("G54D10*\nX100Y200D02*\nX300Y200D01*\n");
    RecordingPicture picture;
    testing::FakeFileView view(picture);
    rig.gerber.set_file_view(&view);
    rig.gerber.show_gerber_preview(view);
    const std::size_t lines = picture.lines().size();
    const int shown = view.shown;
    regs().preview_mode = true;  // as a preview that left its mode on would
    rig.buttons.run_draw_job();
    EXPECT_EQ(picture.lines().size(), lines);
    EXPECT_EQ(view.shown, shown + 1);
    EXPECT_EQ(motor(AXIS_X), 3 * kStepsPerMm);
}

TEST_F(GerberRunsTest, DrillingThenDrawingOnTheSamePageDrawsAndDoesNotDrill) {
    use("G54D10*\nX100Y200D02*\nX300Y200D01*\n");
    rig.panel.returns_to_origin = true;
    rig.buttons.run_drill_job();  // two holes: Y200 on each line
    EXPECT_EQ(rig.motors().forward_steps(AXIS_Z), 800 + 1000);
    EXPECT_EQ(motor(AXIS_X), 0);  // returned to (0, 0)
    const std::int64_t drilled = rig.motors().forward_steps(AXIS_Z);
    rig.buttons.run_draw_job();
    // One lowering of 0.5 mm for the line, no drilling stroke.
    EXPECT_EQ(rig.motors().forward_steps(AXIS_Z) - drilled, 200);
    EXPECT_FALSE(regs().drill_mode);
    EXPECT_EQ(motor(AXIS_Z), -200);  // raised for the return
}

TEST_F(GerberRunsTest, FileOfPercentLinesMovesNothing) {
    use("%FSLAX24Y24*%\n%MOMM*%\n%ADD10C,0.0100*%\n%X100Y100D02*%\n");
    rig.buttons.run_draw_job();
    rig.buttons.run_drill_job();
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(GerberRunsTest, StopEndsTheJobAtTheNextLine) {
    use("G54D10*\nX100Y100D02*\nX9000Y100D01*\nX100Y9000D01*\n");
    rig.op.on_process_messages = [&] {
        if (rig.machine.state().pos_x > 2) {
            rig.machine.state().stop_requested = true;
        }
    };
    rig.buttons.run_draw_job();
    // Stopped past 2 mm on the way to 90 mm; the next line did not run, the flag is clear again.
    EXPECT_NEAR(rig.machine.state().pos_x, 2.0025, 1e-9);
    EXPECT_EQ(motor(AXIS_Y), 1 * kStepsPerMm);
    EXPECT_FALSE(rig.machine.state().stop_requested);
}

TEST_F(GerberRunsTest, AbandonedJobKeepsItsMovesAndTellsWhy) {
    const QByteArray far(40, '9');
    use("G54D10*\nX100Y100D02*\nX" + far + "Y100D01*\nX500Y500D02*\n");
    try {
        rig.buttons.run_draw_job();
        FAIL() << "the move was made";
    } catch (const OperationAbandoned& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("не помещается"))) << e.what();
    }
    EXPECT_EQ(motor(AXIS_X), 1 * kStepsPerMm);
    EXPECT_FALSE(rig.machine.busy());
}

}  // namespace
}  // namespace ostrel
