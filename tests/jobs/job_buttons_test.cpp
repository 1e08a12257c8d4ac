// The job buttons' question before a job whose path leaves the travel limits, on both pages, with
// the hint at the standard reading for a file that gives its format.
#include "jobs/job_buttons.h"
#include "tests/dxf/dxf_test_files.h"
#include "tests/support/job_rig.h"
#include "tests/support/job_texts.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using testing::dxf_file;
using testing::line_entity;
using testing::point_entity;

struct Job {
    const char* what;
    bool dxf;
    bool drill;
    QByteArray file;
    // The path's extents in the question: X from, to, Y from, to.
    const char* extents[4];
    // What the question adds for a file written for the standard reading.
    const char* hint;
};

const Job kJobs[] = {
    {"DXF drawing",
     true,
     false,
     dxf_file(line_entity("0", "0", "150", "10")),
     {"0", "150", "0", "10"},
     ""},
    {"DXF drilling",
     true,
     true,
     dxf_file(point_entity("120", "5.5")),
     {"0", "120", "0", "5,5"},
     ""},
    {"Gerber plot",
     false,
     false,
     "G54D10*\nX100Y100D02*\nX15000Y100D01*\n",
     {"0", "150", "0", "1"},
     ""},
    {"Gerber drilling", false, true, "X12000Y550\n", {"0", "120", "0", "5,5"}, ""},
    {"Gerber plot of a file that gives its format",
     false,
     false,
     "%FSLAX24Y24*%\n%MOMM*%\nG54D10*\nX100Y100D02*\nX15000Y100D01*\n",
     {"0", "150", "0", "1"},
     "\nФайл задаёт свой формат и единицы (%FS, %MO): такой файл читают в стандартном режиме, в "
     "нём размеры платы истинные."},
    {"drilling a file with units in its header",
     false,
     true,
     "M48\nMETRIC,LZ\nT1C0.3\n%\nT1\nX12000Y550\nM30\n",
     {"0", "120", "0", "5,5"},
     "\nФайл задаёт единицы в заголовке M48: такой файл читают в стандартном режиме, в нём "
     "размеры платы истинные."},
};

constexpr double kRatio = 0.05;

class JobButtonsTest : public ::testing::Test {
protected:
    void use(const Job& job) {
        rig.machine.state().mm_per_step = {0, kRatio, kRatio, kRatio};  // long jobs in few steps
        testing::type_job_parameters(rig.panel, testing::JobTexts::drilling());
        const QString path = folder.write(job.dxf ? "job.dxf" : "job.gbr", job.file);
        if (job.dxf) {
            rig.use_dxf_file(path);
        } else {
            rig.use_gerber_file(path);
        }
    }
    void run(const Job& job) {
        if (job.drill) {
            rig.buttons.run_drill_job();
        } else {
            rig.buttons.run_draw_job();
        }
    }
    static QString question(const Job& job) {
        return QStringLiteral(
                   "Задание выходит за пределы перемещений.\n"
                   "X: от %1 до %2 мм, предел 100 мм\n"
                   "Y: от %3 до %4 мм, предел 100 мм\n"
                   "Выход за пределы, продолжить?")
                   .arg(QLatin1String(job.extents[0]), QLatin1String(job.extents[1]),
                        QLatin1String(job.extents[2]), QLatin1String(job.extents[3])) +
               QString::fromUtf8(job.hint);
    }

    testing::TempFolder folder;
    testing::JobRig rig;
};

TEST_F(JobButtonsTest, AJobBeyondTheLimitsIsAskedOnceBeforeItMovesAndNoRunsNothing) {
    for (const Job& job : kJobs) {
        SCOPED_TRACE(job.what);
        use(job);
        rig.op.messages.clear();
        rig.op.yes_no_answer = false;
        rig.machine.state().pos_z = 3;
        const GerberRegisters registers = rig.gerber.interpreter().registers();
        run(job);
        ASSERT_EQ(rig.op.messages.size(), 1u);
        EXPECT_EQ(rig.op.messages[0].kind, MessageKind::JobBeyondLimits);
        EXPECT_EQ(rig.op.messages[0].text, question(job)) << rig.op.messages[0].text.toStdString();
        EXPECT_TRUE(rig.writes().empty());
        // The dry run left the machine and the interpreter as they were.
        EXPECT_EQ(rig.machine.state().pos_z, 3);
        EXPECT_EQ(rig.machine.state().job.speed_xy, 0);
        EXPECT_EQ(rig.gerber.interpreter().registers().cur_x, registers.cur_x);
        EXPECT_EQ(rig.gerber.interpreter().registers().drill_mode, registers.drill_mode);
        EXPECT_FALSE(rig.machine.busy());
        rig.machine.state().pos_z = 0;
    }
}

TEST_F(JobButtonsTest, YesRunsTheJobAndThePositionCheckAsksOnceMore) {
    for (const Job& job : kJobs) {
        SCOPED_TRACE(job.what);
        use(job);
        rig.op.messages.clear();
        rig.clear_writes();
        rig.op.yes_no_answer = true;
        run(job);
        ASSERT_EQ(rig.op.messages.size(), 2u);
        EXPECT_EQ(rig.op.messages[0].text, question(job));
        EXPECT_EQ(rig.op.messages[1].kind, MessageKind::LimitWarning);
        EXPECT_NEAR(rig.machine.state().pos_x, 0, 1e-9);  // out there and back to the origin
        EXPECT_GT(rig.motors().forward_steps(AXIS_X), 100 / kRatio);
    }
}

TEST_F(JobButtonsTest, AJobWithinTheLimitsAsksNothing) {
    rig.machine.state().travel_limit = {0, 150, 10, 0};  // reached, not passed
    for (const Job& job : kJobs) {
        SCOPED_TRACE(job.what);
        use(job);
        rig.op.messages.clear();
        run(job);
        for (const auto& m : rig.op.messages) {
            EXPECT_NE(m.kind, MessageKind::JobBeyondLimits) << m.text.toStdString();
        }
    }
}

}  // namespace
}  // namespace ostrel
