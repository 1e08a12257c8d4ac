// Time estimates: a job counted from its moves comes to what stepping it comes to, to the count.
#include "run/job_run.h"
#include "tests/support/shared_testdata.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <cstdio>
#include <cstring>

namespace ostrel {
namespace {

// What a run leaves that the estimate must match: the waits, the steps, where the tool stands.
struct Outcome {
    StepEngine::Totals totals;
    double position[3];
    int errors;
};

Outcome run_job(const RunOptions& options, bool counted) {
    std::FILE* nowhere = std::fopen("/dev/null", "w");
    SimulatedClock clock;
    Outcome out{};
    {
        JobRun run(options, clock, nowhere);
        run.controller().mover.set_counting(counted);
        run.run();
        out.totals = run.controller().engine.totals();
        const MachineState& s = run.controller().machine.state();
        out.position[0] = s.pos_x;
        out.position[1] = s.pos_y;
        out.position[2] = s.pos_z;
        out.errors = run.console().errors_shown();
    }
    std::fclose(nowhere);
    return out;
}

void expect_same(const RunOptions& options, const char* config_name) {
    const Outcome stepped = run_job(options, false);
    const Outcome counted = run_job(options, true);
    const std::string what = options.file.toStdString() +
                             (options.job == RunJob::Draw ? " draw" : " drill") +
                             (options.standard ? " standard " : " classic ") + config_name;
    EXPECT_EQ(counted.totals.wait_ticks, stepped.totals.wait_ticks) << what;
    for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
        EXPECT_EQ(counted.totals.forward_steps[axis], stepped.totals.forward_steps[axis]) << what;
        EXPECT_EQ(counted.totals.backward_steps[axis], stepped.totals.backward_steps[axis]) << what;
        EXPECT_EQ(
            std::memcmp(&counted.position[axis - 1], &stepped.position[axis - 1], sizeof(double)),
            0)
            << what << " axis " << axis << ": " << counted.position[axis - 1] << " vs "
            << stepped.position[axis - 1];
    }
    // A refusal stops both at the same move. (Only the stepped run warns at the travel limits.)
    EXPECT_EQ(counted.errors, stepped.errors) << what;
}

class TimeEstimateTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The factory machine, an odd one with backlash on X and Y, and a coarse one that real
        // files cross in a moment.
        folder.write("factory.ini",
                     "[machine]\nmm_per_step_x=0.0025\nmm_per_step_y=0.0025\n"
                     "mm_per_step_z=0.0025\ntravel_limit_x=100\ntravel_limit_y=100\n");
        folder.write("odd.ini",
                     "[machine]\nmm_per_step_x=0.0123\nmm_per_step_y=0.5\nmm_per_step_z=0.25\n"
                     "travel_limit_x=100000\ntravel_limit_y=100000\ntravel_limit_z=100000\n"
                     "backlash_x=0.05\nbacklash_y=1\n");
        folder.write("coarse.ini",
                     "[machine]\nmm_per_step_x=13\nmm_per_step_y=7\nmm_per_step_z=0.5\n"
                     "travel_limit_x=100000\ntravel_limit_y=100000\ntravel_limit_z=100000\n"
                     "backlash_x=26\nbacklash_y=3.5\n");
    }

    void expect_every_way(const QString& file, const char* config_name) {
        RunOptions options;
        options.file = file;
        const bool gcode = file.endsWith(QLatin1String(".ngc"));
        options.page = gcode ? RunPage::Gcode
                       : file.endsWith(QLatin1String(".dxf"), Qt::CaseInsensitive)
                           ? RunPage::Dxf
                           : RunPage::Gerber;
        options.config = folder.path(QString::fromLatin1(config_name) + ".ini");
        options.port.kind = PortKind::Sim;
        // A G-code program is one job in one reading.
        for (const RunJob job : {RunJob::Draw, RunJob::Drill}) {
            for (const bool standard : {false, true}) {
                if (gcode && (job == RunJob::Drill || standard)) {
                    continue;
                }
                options.job = job;
                options.standard = standard;
                expect_same(options, config_name);
            }
        }
    }

    testing::TempFolder folder;
};

TEST_F(TimeEstimateTest, EveryShippedSampleCountsToTheSteppedTime) {
    const QDir samples(QStringLiteral(OSTREL_SOURCE_DIR "/docs/samples"));
    const QStringList files = samples.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        for (const char* config : {"factory", "odd", "coarse"}) {
            expect_every_way(samples.filePath(name), config);
        }
    }
}

TEST_F(TimeEstimateTest, GcodeMovesInSpaceArcsAndDwellsCountToTheSteppedTime) {
    // Lines in space with a slow Z, a helix, an R arc, a dwell and a drilling cycle, in inches
    // and back, so that every kind of G-code move is counted.
    const QString program = folder.write(
        "moves.ngc",
        "G21 G90 G17\nG0 X1 Y1 Z2\nG1 X7 Y3 Z-0.5 F300\nG2 X9 Y5 I2 J0 Z-1\nG3 X5 Y5 R2\n"
        "G4 P0.25\nG91 G1 X-2 Y1 Z0.7\nG90 G99 G81 X3 Y3 Z-1 R1 F100\nX4\nG80\n"
        "G20 G0 X0.1 Y0.1\nG21 G0 Z3\nM2\n");
    for (const char* config : {"factory", "odd", "coarse"}) {
        expect_every_way(program, config);
    }
}

TEST_F(TimeEstimateTest, RealFilesCountToTheSteppedTime) {
    const QStringList files = testing::shared_testdata_files({"gerber", "drill", "dxf", "gcode"});
    if (files.isEmpty()) {
        GTEST_SKIP()
            << testing::no_shared_testdata({"gerber", "drill", "dxf", "gcode"}).toStdString();
    }
    for (const QString& file : files) {
        expect_every_way(file, "coarse");
    }
}

}  // namespace
}  // namespace ostrel
