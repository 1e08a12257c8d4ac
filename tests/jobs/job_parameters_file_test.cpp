// Job-parameter files: what the operator saved comes back exactly, and a bad file changes nothing.
#include "jobs/job_parameters_file.h"
#include "tests/support/full_disk.h"
#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <csignal>
#include <thread>

namespace ostrel {
namespace {

JobParameterTexts typed_texts() {
    JobParameterTexts texts;
    texts.speed_xy = QStringLiteral("2,5");
    texts.speed_xy_rapid = QStringLiteral(" 10 ");  // blanks as typed
    texts.z_travel = QStringLiteral("0.5");  // a point is kept; reading it is the job's affair
    texts.speed_z_up = QStringLiteral("say \"1,5\" \\ ok");
    texts.speed_z_down = QStringLiteral("");
    texts.drill_depth = QStringLiteral("глубина = 2");
    texts.marker_diameter = QStringLiteral("07");
    texts.return_to_origin = false;
    texts.dxf_standard = true;
    texts.dxf_unit = QStringLiteral("in");
    texts.circles_as_holes = false;
    texts.gerber_standard = true;
    texts.origin = QStringLiteral("corner");
    texts.offset_x = QStringLiteral("-12,5");
    texts.offset_y = QStringLiteral("3.25");
    texts.mirror_x = true;
    return texts;
}

void expect_same(const JobParameterTexts& a, const JobParameterTexts& b) {
    EXPECT_EQ(a.speed_xy, b.speed_xy);
    EXPECT_EQ(a.speed_xy_rapid, b.speed_xy_rapid);
    EXPECT_EQ(a.z_travel, b.z_travel);
    EXPECT_EQ(a.speed_z_up, b.speed_z_up);
    EXPECT_EQ(a.speed_z_down, b.speed_z_down);
    EXPECT_EQ(a.drill_depth, b.drill_depth);
    EXPECT_EQ(a.marker_diameter, b.marker_diameter);
    EXPECT_EQ(a.return_to_origin, b.return_to_origin);
    EXPECT_EQ(a.dxf_standard, b.dxf_standard);
    EXPECT_EQ(a.dxf_unit, b.dxf_unit);
    EXPECT_EQ(a.circles_as_holes, b.circles_as_holes);
    EXPECT_EQ(a.gerber_standard, b.gerber_standard);
    EXPECT_EQ(a.origin, b.origin);
    EXPECT_EQ(a.offset_x, b.offset_x);
    EXPECT_EQ(a.offset_y, b.offset_y);
    EXPECT_EQ(a.mirror_x, b.mirror_x);
}

class JobParametersFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return folder.path(QString::fromUtf8(name)); }
    testing::TempFolder folder;
};

TEST_F(JobParametersFileTest, RoundTripKeepsTextsExactly) {
    const JobParameterTexts saved = typed_texts();
    ASSERT_EQ(write_job_parameters_file(path("job.ini"), saved), QString());

    JobParameterTexts loaded;
    ASSERT_EQ(read_job_parameters_file(path("job.ini"), loaded), QString());
    expect_same(loaded, saved);
}

TEST_F(JobParametersFileTest, SavingAgainReplacesTheFile) {
    JobParameterTexts first = typed_texts();
    ASSERT_EQ(write_job_parameters_file(path("job.ini"), first), QString());
    JobParameterTexts second = first;
    second.speed_xy = QStringLiteral("3");
    second.return_to_origin = true;
    ASSERT_EQ(write_job_parameters_file(path("job.ini"), second), QString());

    JobParameterTexts loaded;
    ASSERT_EQ(read_job_parameters_file(path("job.ini"), loaded), QString());
    expect_same(loaded, second);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("job.ini")});
}

TEST_F(JobParametersFileTest, HandWrittenFileWithBareValuesAndMissingKeys) {
    folder.write("hand.ini",
                 "; comment\n[other]\nspeed_xy=9\n\n[job]\n  speed_xy =  4,5  \n"
                 "return_to_origin = 0\nunknown=1\n");
    JobParameterTexts texts = typed_texts();
    texts.return_to_origin = true;
    ASSERT_EQ(read_job_parameters_file(path("hand.ini"), texts), QString());
    EXPECT_EQ(texts.speed_xy, QStringLiteral("4,5"));  // from [job], not [other]
    EXPECT_FALSE(texts.return_to_origin);
    EXPECT_EQ(texts.speed_xy_rapid, QStringLiteral(" 10 "));  // absent: kept
    EXPECT_EQ(texts.marker_diameter, QStringLiteral("07"));
}

TEST_F(JobParametersFileTest, FailuresNameTheProblemAndChangeNothing) {
    struct Case {
        const char* content;
        const char* reason_part;
    };
    const Case cases[] = {
        {"[job]\nspeed_xy=1\nmarker_diameter=5\n", "marker_diameter"},
        {"[job]\nspeed_xy=1\nmarker_diameter=0,5\n", "marker_diameter"},
        {"[job]\nreturn_to_origin=yes\n", "return_to_origin"},
        {"[job]\nmirror_x=2\n", "mirror_x"},
        {"[job]\norigin=center\n", "origin"},
        {"[job]\ndxf_unit=yd\n", "dxf_unit"},
        {"[job]\nspeed_xy=\"2,5\n", "speed_xy"},
        {"[job]\nspeed_xy=\"2,5\" 3\n", "speed_xy"},
        {"[machine]\nmm_per_step_x=0.0025\n", "нет параметров задания"},
        {"", "нет параметров задания"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        folder.write("bad.ini", c.content);
        JobParameterTexts texts = typed_texts();
        const QString reason = read_job_parameters_file(path("bad.ini"), texts);
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.reason_part))) << reason.toStdString();
        expect_same(texts, typed_texts());
    }
}

TEST_F(JobParametersFileTest, MissingFileAndUnwritablePlaceAreReported) {
    JobParameterTexts texts = typed_texts();
    const QString missing = path("missing.ini");
    EXPECT_TRUE(read_job_parameters_file(missing, texts).contains(missing));
    expect_same(texts, typed_texts());

    const QString nowhere = path("no/such/dir/job.ini");
    EXPECT_TRUE(write_job_parameters_file(nowhere, texts).contains(nowhere));
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST_F(JobParametersFileTest, AFifoIsRefusedInsteadOfWaitedOn) {
    const QString fifo = path("job.ini");
    const QByteArray name = QFile::encodeName(fifo);
    ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
    // A writer that hands the FIFO a whole file: a reader that waits for the end of what comes
    // through would load it.
    std::thread writer([&name] {
        // A reader that looked and left makes the write fail, not end the test with SIGPIPE.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        const int fd = ::open(name.constData(), O_WRONLY);
        const char text[] = "[job]\nspeed_xy=\"9\"\n";
        (void)!::write(fd, text, sizeof text - 1);
        ::close(fd);
    });
    JobParameterTexts texts = typed_texts();
    const QString reason = read_job_parameters_file(fifo, texts);
    // Whatever the reader did, the writer gets a reader to finish with.
    const int release = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(release);
    EXPECT_TRUE(reason.contains(fifo)) << reason.toStdString();
    EXPECT_TRUE(reason.contains(QStringLiteral("не обычный файл"))) << reason.toStdString();
    expect_same(texts, typed_texts());
}

TEST_F(JobParametersFileTest, AFullDiskKeepsTheOldFileAndSaysSo) {
    const std::string wrong = testing::on_full_disk(
        [](const QString& dir) {
            if (!write_job_parameters_file(dir + "/job.ini", typed_texts()).isEmpty()) {
                throw std::runtime_error("no old job.ini");
            }
        },
        [](const QString& dir) {
            JobParameterTexts changed = typed_texts();
            changed.speed_xy = QStringLiteral("7");
            const QString reason = write_job_parameters_file(dir + "/job.ini", changed);
            std::string found;
            if (reason.isEmpty()) {
                found += "the write was reported as done; ";
            } else if (!reason.contains(QStringLiteral("прежний файл"))) {
                found += "not told the old file was kept: " + reason.toStdString() + "; ";
            }
            JobParameterTexts loaded;
            if (!read_job_parameters_file(dir + "/job.ini", loaded).isEmpty() ||
                loaded.speed_xy != typed_texts().speed_xy) {
                found += "the old file is gone; ";
            }
            const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
            if (left != QStringList({QLatin1String(testing::kDiskFiller), "job.ini"})) {
                found += "files left: " + left.join(' ').toStdString();
            }
            return found;
        });
    EXPECT_EQ(wrong, "");
}

}  // namespace
}  // namespace ostrel
