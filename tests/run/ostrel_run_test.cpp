// The headless runner end to end: the built program on small jobs, its trace, summary and status.
#include "motion/machine_state.h"
#include "run/run_options.h"
#include "tests/support/full_disk.h"
#include "tests/support/job_texts.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tool_path.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace ostrel {
namespace {

struct Finished {
    int status = -1;
    QByteArray out;
    QString err;
};

// The runner started in folder; standard output goes to out_file when one is named.
Finished run_in(const QString& folder, const QStringList& arguments, const QString& out_file = {},
                const QString& program = QStringLiteral(OSTREL_RUN_PATH)) {
    QProcess process;
    process.setWorkingDirectory(folder);
    if (!out_file.isEmpty()) {
        process.setStandardOutputFile(out_file);
    }
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

class OstrelRunTest : public ::testing::Test {
protected:
    Finished run(QStringList arguments, const QString& out_file = {}) {
        const Finished done = run_in(dir.path(), arguments, out_file);
        EXPECT_NE(done.status, -1) << "the runner did not end normally: " << done.err.toStdString();
        return done;
    }
    // The factory settings, so that the run does not depend on the folder it starts in.
    void SetUp() override {
        dir.write("cfg.ini",
                  "[machine]\nmm_per_step_x=0.0025\nmm_per_step_y=0.0025\nmm_per_step_z=0.0025\n"
                  "travel_limit_x=100\ntravel_limit_y=100\ntravel_limit_z=100\n");
    }
    testing::TempFolder dir;
};

const QByteArray kOneLine =
    "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0.0\n 20\n0.0\n 11\n1.0\n 21\n0.0\n"
    "  0\nENDSEC\n  0\nEOF\n";

TEST_F(OstrelRunTest, TheTraceDecodesToTheStepsTheSummaryReports) {
    const QString job = dir.write("square.dxf",
                                  "  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n0\n"
                                  "  0\nLINE\n  8\n0\n 10\n1\n 20\n0\n 11\n1\n 21\n1.5\n"
                                  "  0\nLINE\n  8\n0\n 10\n2\n 20\n2\n 11\n0\n 21\n0\n"
                                  "  0\nEOF\n");
    // The first port of the list, classic or (on a PC with only a PCIe card) added.
    const struct {
        QStringList ports;
        std::uint8_t id;
    } machines[] = {{{}, PORT_3BC}, {{"--sim-ports", "d010"}, FIRST_ADDED_PORT}};
    for (const auto& machine : machines) {
        SCOPED_TRACE(machine.ports.join(' ').toStdString());
        const Finished done =
            run(machine.ports + QStringList{"--json", "--trace", dir.path("job.trace"), job});
        ASSERT_EQ(done.status, 0) << done.err.toStdString();
        const QJsonObject summary = QJsonDocument::fromJson(done.out).object();
        const StepDecoder motors =
            testing::decode_writes(testing::read_trace_file(dir.path("job.trace")), machine.id)
                .motors;
        const char* names[] = {"", "x", "y", "z"};
        for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
            const QJsonObject steps = summary["steps"].toObject()[names[axis]].toObject();
            EXPECT_EQ(motors.forward_steps(axis), steps["forward"].toInteger()) << names[axis];
            EXPECT_EQ(motors.backward_steps(axis), steps["backward"].toInteger()) << names[axis];
            EXPECT_EQ(motors.position(axis), summary["motors"].toObject()[names[axis]].toInteger());
        }
        EXPECT_GT(motors.forward_steps(AXIS_Y), 0);
        EXPECT_EQ(motors.position(AXIS_X), 0);  // returned to the origin
        EXPECT_EQ(summary["motors"].toObject()["lost_steps"].toInteger(), 0);
    }
}

TEST_F(OstrelRunTest, MachineTimeIsTheSumOfTheStepWaits) {
    const Finished done = run({"--json", dir.write("line.dxf", kOneLine)});
    ASSERT_EQ(done.status, 0) << done.err.toStdString();
    const QJsonObject summary = QJsonDocument::fromJson(done.out).object();
    // 400 X steps drawn at 2,5 mm/s (1 ms each), 200 Z steps raised at 1,5 mm/s (1666667 ns
    // each), 400 X steps back at 2,5 mm/s.
    const double expected = (400 * 1'000'000.0 + 200 * 1'666'667.0 + 400 * 1'000'000.0) / 1e9;
    EXPECT_DOUBLE_EQ(summary["machine_time_s"].toDouble(), expected);
    EXPECT_TRUE(summary["completed"].toBool());
    const QJsonObject extents = summary["extents"].toObject();
    EXPECT_NEAR(extents["x"].toArray()[1].toDouble(), 1.0, 1e-9);
}

TEST_F(OstrelRunTest, TheJobParametersAndStartPositionAreTakenAsTyped) {
    const Finished done = run({"--json", "--speed-xy", "5", "--no-return", "--start-x", "0.5",
                               dir.write("line.dxf", kOneLine)});
    ASSERT_EQ(done.status, 0) << done.err.toStdString();
    const QJsonObject summary = QJsonDocument::fromJson(done.out).object();
    // Raised at the start (0,5 mm away), travelled back to 0, lowered, drawn at 5 mm/s.
    EXPECT_NEAR(summary["position"].toObject()["x"].toDouble(), 1.0, 1e-9);
    EXPECT_NEAR(summary["position"].toObject()["z"].toDouble(), 0.0, 1e-9);
    const Finished point = run({"--speed-xy", "5.0", dir.write("p.dxf", kOneLine)});
    EXPECT_EQ(point.status, 1);  // a point is not the decimal comma in a job edit
    EXPECT_TRUE(point.err.contains("'5.0' is not a valid floating point value"));
}

TEST_F(OstrelRunTest, TheTravelLimitWarningsArePrintedOnceEachAndTheJobRuns) {
    dir.write("small.ini", "[machine]\ntravel_limit_x = 0\n");
    const Finished done = run({"--config", "small.ini", dir.write("line.dxf", kOneLine)});
    EXPECT_EQ(done.status, 0);  // warnings answered "ДА" are no error
    const QStringList lines = done.err.split(u'\n', Qt::SkipEmptyParts);
    // Before the job: its extents and the limits. While it runs: the position check, once.
    EXPECT_EQ(lines, (QStringList{
                         QStringLiteral("message: Задание выходит за пределы перемещений. X: от 0 "
                                        "до 1 мм, предел 0 мм Y: от 0 до 0 мм, предел 100 мм Выход "
                                        "за пределы, продолжить?"),
                         QStringLiteral("message: Выход за пределы, продолжить?")}));
    EXPECT_TRUE(done.out.contains("steps x: 400 forward, 400 backward")) << done.out.toStdString();
}

TEST_F(OstrelRunTest, AMissingFileExitsOneWithTheMessage) {
    const Finished done = run({dir.path("nothing.dxf")});
    EXPECT_EQ(done.status, 1);
    EXPECT_TRUE(done.err.contains("message: такого файла не существует")) << done.err.toStdString();
    const Finished gerber = run({dir.path("nothing.gbr")});
    EXPECT_EQ(gerber.status, 1);
    EXPECT_EQ(gerber.err.count(QStringLiteral("такого файла не существует")), 1);
}

TEST_F(OstrelRunTest, BadUsageExitsTwo) {
    EXPECT_EQ(run({"--bogus", "x.dxf"}).status, 2);
    EXPECT_EQ(run({"--job", "paint", "x.dxf"}).status, 2);
    EXPECT_EQ(run({"a.dxf", "b.dxf"}).status, 2);
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"--port", "serial", "x.dxf"}).status, 2);
    EXPECT_EQ(run({"--start-y", "abc", dir.write("l.dxf", kOneLine)}).status, 2);
    const Finished help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option :
         {"--job",      "--page",       "--speed-xy",        "--speed-xy-rapid",
          "--z-travel", "--speed-z-up", "--speed-z-down",    "--depth",
          "--marker",   "--apertures",  "--no-return",       "--start-x",
          "--zoom",     "--auto-zoom",  "--idle-moves",      "--port",
          "--config",   "--trace",      "--realtime",        "--png",
          "--json",     "--standard",   "--origin",          "--offset",
          "--mirror-x", "--units",      "--circles-as-holes"}) {
        EXPECT_TRUE(help.out.contains(option)) << option;
    }
}

TEST_F(OstrelRunTest, PicturesOfTheTrackAndOfThePreview) {
    const QString job = dir.write("line.dxf", kOneLine);
    ASSERT_EQ(run({"--png", dir.path("track.png"), job}).status, 0);
    EXPECT_EQ(QImage(dir.path("track.png")).size(), QSize(585, 457));
    ASSERT_EQ(run({"--job", "preview", "--zoom", "50", "--png", dir.path("view.png"), job}).status,
              0);
    const QImage view(dir.path("view.png"));
    EXPECT_EQ(view.size(), QSize(387, 320));
    EXPECT_EQ(view.pixelColor(25, 297), QColor(Qt::black));  // on the line, 1 mm at 50 px/mm
}

TEST_F(OstrelRunTest, AGerberPlotRunsWithTheFilesOwnApertures) {
    const QString job = dir.write("board.gbr",
                                  "%ADD10C,0.0100*%\nG54D10*\nX0Y0D02*\nX100Y0D01*\nX100Y50D01*\n"
                                  "M02*\n");
    const Finished done = run({"--json", job});
    ASSERT_EQ(done.status, 0) << done.err.toStdString();
    const QJsonObject summary = QJsonDocument::fromJson(done.out).object();
    EXPECT_EQ(summary["page"].toString(), QStringLiteral("gerber"));
    EXPECT_GT(summary["steps"].toObject()["x"].toObject()["forward"].toInteger(), 0);
}

const QByteArray kBoard = "%ADD10C,0.0100*%\nG54D10*\nX0Y0D02*\nX100Y0D01*\nM02*\n";

TEST_F(OstrelRunTest, InputsThatCannotBeReadEndInAMessageAndExitOne) {
    const QString folder = dir.make_folder("folder.gbr");
    const QString fifo = dir.path("fifo.gbr");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString board = dir.write("board.gbr", kBoard);
    const struct {
        QStringList arguments;
        QString named;
    } cases[] = {
        {{folder}, folder},
        {{fifo}, fifo},
        {{"/dev/null"}, "/dev/null"},
        {{"/proc/self/mem"}, "/proc/self/mem"},  // a read that fails
        {{"--apertures", folder, board}, folder},
        {{"--apertures", fifo, board}, fifo},
        {{"--page", "dxf", fifo}, fifo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Finished done = run(c.arguments);
        EXPECT_EQ(done.status, 1);
        EXPECT_TRUE(done.err.contains("message: ") && done.err.contains(c.named))
            << done.err.toStdString();
        EXPECT_FALSE(done.err.contains("terminate")) << done.err.toStdString();
    }
}

TEST_F(OstrelRunTest, AnOutputThatCannotBeWrittenIsAnErrorNotSuccess) {
    const QString job = dir.write("line.dxf", kOneLine);
    const struct {
        QStringList arguments;
        QString out_file;
        const char* named;
    } cases[] = {
        {{"--trace", "/dev/full", job}, {}, "/dev/full"},
        {{"--png", "/dev/full", job}, {}, "/dev/full"},
        {{"--json", job}, "/dev/full", "summary"},
        {{job}, "/dev/full", "summary"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Finished done = run(c.arguments, c.out_file);
        EXPECT_EQ(done.status, 1);
        EXPECT_TRUE(done.err.contains(QLatin1String(c.named))) << done.err.toStdString();
    }
}

TEST_F(OstrelRunTest, OutputsOnAFullDiskAreErrorsAndTheOldOnesStayWhole) {
    const QString job = dir.write("line.dxf", kOneLine);
    const QString work = dir.path();
    const std::string wrong = testing::on_full_disk(
        [](const QString& disk) {
            for (const char* name : {"/old.trace", "/old.png"}) {
                QFile old(disk + QLatin1String(name));
                if (!old.open(QIODevice::WriteOnly) || old.write("old\n") != 4) {
                    throw std::runtime_error("no old output");
                }
            }
        },
        [&](const QString& disk) {
            std::string found;
            for (const auto& [option, name] :
                 {std::pair{"--trace", "/old.trace"}, std::pair{"--png", "/old.png"}}) {
                const QString output = disk + QLatin1String(name);
                const Finished done = run_in(work, {option, output, job});
                if (done.status != 1 || !done.err.contains(output)) {
                    found += std::string(option) + ": status " + std::to_string(done.status) +
                             ", " + done.err.toStdString() + "; ";
                }
                if (file_bytes(output) != "old\n") {
                    found += std::string(option) + ": the old output is gone; ";
                }
            }
            return found;
        });
    EXPECT_EQ(wrong, "");
}

TEST_F(OstrelRunTest, AnOutputReplacesALinkAtItsPlaceInsteadOfWritingThroughIt) {
    const QString job = dir.write("line.dxf", kOneLine);
    const QString victim = dir.write("victim.txt", "keep");
    const QString trace = dir.path("out.trace");
    const QString png = dir.path("out.png");
    ASSERT_TRUE(QFile::link(victim, trace) && QFile::link(victim, png));
    const Finished done = run({"--trace", trace, "--png", png, job});
    ASSERT_EQ(done.status, 0) << done.err.toStdString();
    EXPECT_EQ(file_bytes(victim), "keep");
    EXPECT_FALSE(QFileInfo(trace).isSymLink() || QFileInfo(png).isSymLink());
    EXPECT_EQ(
        testing::decode_writes(testing::read_trace_file(trace), PORT_3BC).motors.position(AXIS_X),
        0);
    EXPECT_EQ(QImage(png).size(), QSize(585, 457));
}

TEST_F(OstrelRunTest, AnOutputThatNamesAnInputIsRefusedBeforeAnythingRuns) {
    const QString job = dir.write("j.gbr", kBoard);
    const QString apertures = dir.write("a.gbr", "%ADD10C,0.0100*%\n");
    const QString alias = dir.path("alias.gbr");
    ASSERT_TRUE(QFile::link(job, alias));
    const QByteArray settings = file_bytes(dir.path("cfg.ini"));
    const QStringList cases[] = {
        {"--trace", "j.gbr", job},   {"--trace", "cfg.ini", job},
        {"--png", "./cfg.ini", job}, {"--png", apertures, "--apertures", "a.gbr", job},
        {"--trace", alias, job},     {"--trace", "./j.gbr", "--job", "preview", "j.gbr"},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Finished done = run(arguments);
        EXPECT_EQ(done.status, 2) << done.err.toStdString();
        EXPECT_TRUE(done.out.isEmpty());
        EXPECT_EQ(file_bytes(job), kBoard);
        EXPECT_EQ(file_bytes(apertures), "%ADD10C,0.0100*%\n");
        EXPECT_EQ(file_bytes(dir.path("cfg.ini")), settings);
    }
}

TEST_F(OstrelRunTest, AFileWithNulBytesIsNoGerberOrDrillJob) {
    const QString binary =
        dir.write("program", QByteArray("\x7f"
                                        "ELF\x02\x01\x01\0\0\0\nX100Y100\nX200Y100\n",
                                        29));
    for (const char* job : {"drill", "draw", "preview"}) {
        for (const QStringList& more : {QStringList{}, QStringList{"--apertures", "none"}}) {
            SCOPED_TRACE(std::string(job) + " " + more.join(' ').toStdString());
            const Finished done =
                run(QStringList{"--json", "--job", job} + more + QStringList{binary});
            EXPECT_EQ(done.status, 1);
            EXPECT_TRUE(done.err.contains(binary) && done.err.contains("нулевые байты"))
                << done.err.toStdString();
            const QJsonObject steps =
                QJsonDocument::fromJson(done.out).object()["steps"].toObject();
            EXPECT_EQ(steps["z"].toObject()["forward"].toInteger(), 0);
        }
    }
}

// A board's copper placed by its corner where the tool starts, then its drill file at the offset
// the summary gave: the holes land on the copper's pads, mirrored as well.
TEST_F(OstrelRunTest, TheStandardReadingPlacesABoardsFilesAlike) {
    const QString copper = dir.write("board.gbr",
                                     "%FSLAX26Y26*%\n%MOMM*%\n%ADD10C,1*%\nD10*\n"
                                     "X10000000Y10000000D03*\nX20000000Y15000000D03*\nM02*\n");
    const QString drill =
        dir.write("board.drl", "M48\nMETRIC,TZ\nT1C0.8\n%\nT1\nX10.0Y10.0\nX20.0Y15.0\nM30\n");
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "mirrored" : "as drawn");
        QStringList placed = {"--standard", "--json", "--no-return", "--start-x", "30",
                              "--start-y",  "5"};
        if (mirrored) {
            placed << "--mirror-x";
        }
        const Finished plotted = run(placed + QStringList{"--origin", "corner", copper});
        ASSERT_EQ(plotted.status, 0) << plotted.err.toStdString();
        const QJsonObject copper_run =
            QJsonDocument::fromJson(plotted.out).object()["standard"].toObject();
        const QJsonArray offset = copper_run["offset"].toArray();
        // The pads' lower-left edge (9,5 mm; mirrored, -20,5 mm) at the tool, X 30, Y 5.
        EXPECT_NEAR(offset[0].toDouble(), mirrored ? 50.5 : 20.5, 1e-9);
        EXPECT_NEAR(offset[1].toDouble(), -4.5, 1e-9);
        EXPECT_EQ(copper_run["pads"].toInteger(), 2);

        const QString at =
            QStringLiteral("%1,%2").arg(offset[0].toDouble()).arg(offset[1].toDouble());
        const Finished drilled =
            run(placed + QStringList{"--job", "drill", "--offset", at, "--trace",
                                     dir.path("drill.trace"), drill});
        ASSERT_EQ(drilled.status, 0) << drilled.err.toStdString();
        EXPECT_TRUE(drilled.err.contains(QStringLiteral("Вставьте сверло 0,8 мм")))
            << drilled.err.toStdString();
        // Where the drill went down: the bottom of each plunge, in mm.
        const std::vector<testing::StepPoint> path =
            testing::decode_writes(testing::read_trace_file(dir.path("drill.trace")), PORT_3BC,
                                   {12000, 2000, 0})
                .path;
        std::vector<std::pair<double, double>> bottoms;
        for (std::size_t i = 1; i + 1 < path.size(); ++i) {
            if (path[i].z < path[i - 1].z && path[i].z < path[i + 1].z) {
                bottoms.emplace_back(path[i].x * 0.0025, path[i].y * 0.0025);
            }
        }
        const double sign = mirrored ? -1 : 1;
        ASSERT_EQ(bottoms.size(), 2u);
        for (const auto& [x, y] : bottoms) {
            const bool first = std::abs(y - 5.5) < 0.01;
            EXPECT_NEAR(x, sign * (first ? 10 : 20) + offset[0].toDouble(), 0.01);
            EXPECT_NEAR(y, first ? 5.5 : 10.5, 0.01);
        }
    }
}

TEST_F(OstrelRunTest, OptionsThatCannotWorkAreBadUsage) {
    const QString board = dir.write("board.gbr", kBoard);
    const struct {
        QStringList arguments;
        const char* named;
    } cases[] = {
        {{"--apertures", "missing.gbr", board}, "missing.gbr"},
        {{"--sim-ports", "", board}, "--sim-ports"},
        {{"--sim-ports=", "--job", "preview", board}, "--sim-ports"},
        {{"--marker", "12345", board}, "--marker"},
        {{"--marker=5x", board}, "--marker"},
        {{"--origin", "corner", board}, "--standard"},
        {{"--standard", "--origin", "centre", board}, "--origin"},
        {{"--standard", "--offset", "1,5,2", board}, "--offset"},
        {{"--standard", "--offset", "x,2", board}, "--offset"},
        {{"--standard", "--units", "in", board}, "DXF"},
        {{"--standard", "--page", "dxf", "--units", "yd", board}, "--units"},
        {{"--standard", "--page", "dxf", "--circles-as-holes", "maybe", board}, "--circles"},
        {{"--standard", "--page", "gcode", board}, "--standard"},
        {{"--page", "gcode", "--units", "in", board}, "DXF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Finished done = run(c.arguments);
        EXPECT_EQ(done.status, 2);
        EXPECT_TRUE(done.err.contains(QLatin1String(c.named))) << done.err.toStdString();
        EXPECT_TRUE(done.out.isEmpty());
    }
}

TEST_F(OstrelRunTest, AFileThatIsThereButCannotBeOpenedIsNotCalledMissing) {
    const QString loop = dir.path("loop.gbr");
    ASSERT_TRUE(QFile::link(loop, loop));
    // A name that is no UTF-8: the program can't even spell it to the system.
    const QByteArray undecodable = QFile::encodeName(dir.path()) + "/\xff.gbr";
    const int fd = ::open(undecodable.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const Finished looped = run({loop});
    const Finished not_utf8 =
        run_in(dir.path(), {"-c", "exec \"$0\" \"$(printf '\\377.gbr')\"", OSTREL_RUN_PATH}, {},
               "/bin/sh");
    for (const Finished& done : {looped, not_utf8}) {
        EXPECT_EQ(done.status, 1);
        EXPECT_FALSE(done.err.contains("такого файла не существует")) << done.err.toStdString();
        EXPECT_TRUE(done.err.contains(".gbr")) << done.err.toStdString();
    }
    EXPECT_TRUE(not_utf8.err.contains("UTF-8")) << not_utf8.err.toStdString();
    ::unlink(undecodable.constData());  // a name the temporary folder could not spell to remove
    // A file that is missing is told once, by the preview too.
    const Finished preview = run({"--job", "preview", dir.path("nothing.gbr")});
    EXPECT_EQ(preview.status, 1);
    EXPECT_EQ(preview.err.count(QStringLiteral("такого файла не существует")), 1)
        << preview.err.toStdString();
}

TEST(RunOptions, PageFromTheNameAndTheDefaultsOfTheJobKind) {
    QString error;
    auto options = parse_run_options({"board.GBR"}, error);
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(options->page, RunPage::Gerber);
    EXPECT_EQ(options->port.kind, PortKind::Sim);
    EXPECT_FALSE(options->realtime);
    EXPECT_EQ(options->field_text(Field::SpeedZDown), testing::JobTexts::drawing().speed_z_down);
    options = parse_run_options({"--job=drill", "--port=ppdev", "PART.DXF"}, error);
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(options->page, RunPage::Dxf);
    const testing::JobTexts drilling = testing::JobTexts::drilling();
    EXPECT_EQ(options->field_text(Field::SpeedZDown), drilling.speed_z_down);
    EXPECT_EQ(options->field_text(Field::DrillDepth), drilling.drill_depth.value());
    EXPECT_TRUE(options->realtime);  // a real port can't be hurried
    options = parse_run_options({"--marker", "12", "--depth=1,5", "--page", "dxf", "x.gbr"}, error);
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(options->field_text(Field::MarkerDiameter), QStringLiteral("12"));
    EXPECT_EQ(options->field_text(Field::DrillDepth), QStringLiteral("1,5"));
    EXPECT_EQ(options->page, RunPage::Dxf);
    EXPECT_FALSE(parse_run_options({"--zoom", "151", "x.dxf"}, error).has_value());
    EXPECT_FALSE(parse_run_options({"--png"}, error).has_value());
    // G-code programs by their usual names; .cnc is a gEDA drill file's name too.
    for (const char* name : {"a.nc", "b.NGC", "c.gcode", "d.tap"}) {
        options = parse_run_options({QString::fromLatin1(name)}, error);
        ASSERT_TRUE(options.has_value()) << error.toStdString();
        EXPECT_EQ(options->page, RunPage::Gcode) << name;
    }
    options = parse_run_options({"e.cnc"}, error);
    ASSERT_TRUE(options.has_value()) << error.toStdString();
    EXPECT_EQ(options->page, RunPage::Gerber);
    // The G-code page is placed without --standard.
    options = parse_run_options({"--origin", "corner", "--mirror-x", "f.ngc"}, error);
    ASSERT_TRUE(options.has_value()) << error.toStdString();
    EXPECT_EQ(options->origin, PlacementOrigin::Corner);
}

TEST_F(OstrelRunTest, AGcodeProgramRunsPlacedAndSaysWhatItHolds) {
    const QString program =
        dir.write("job.ngc", "G21 G90\nG0 X1 Y1 Z1\nG1 Z-0.5 F60\nG2 X3 Y1 I1 J0\nG0 Z1\nM2\n");
    const Finished done = run({"--json", "--no-return", "--offset", "10,20", program});
    ASSERT_EQ(done.status, 0) << done.err.toStdString();
    const QJsonObject summary = QJsonDocument::fromJson(done.out).object();
    EXPECT_EQ(summary["page"].toString(), QStringLiteral("gcode"));
    const QJsonObject g = summary["gcode"].toObject();
    EXPECT_EQ(g["rapids"].toInteger(), 2);
    EXPECT_EQ(g["feeds"].toInteger(), 1);
    EXPECT_EQ(g["arcs"].toInteger(), 1);
    EXPECT_EQ(g["placed_x"].toArray()[0].toDouble(), 11);
    EXPECT_EQ(g["placed_x"].toArray()[1].toDouble(), 13);
    // The arc's highest point, a millimetre above its ends.
    EXPECT_NEAR(summary["extents"].toObject()["y"].toArray()[1].toDouble(), 22, 0.003);
    const QJsonObject position = summary["position"].toObject();
    EXPECT_NEAR(position["x"].toDouble(), 13, 1e-9);
    EXPECT_NEAR(position["y"].toDouble(), 21, 1e-9);
    EXPECT_NEAR(position["z"].toDouble(), 1, 1e-9);
}

}  // namespace
}  // namespace ostrel
