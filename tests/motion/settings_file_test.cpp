// The settings file: partial and odd files, and the atomic rewrite.
#include "motion/settings_file.h"
#include "tests/support/full_disk.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>

namespace ostrel {
namespace {

QByteArray with_nul(const char* before, const char* after) {
    return QByteArray(before) + '\0' + QByteArray(after);
}

class SettingsFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& content) { return folder.write("cfg.ini", content); }
    testing::TempFolder folder;
};

TEST_F(SettingsFileTest, MissingFileIsSaidAndDefaultsStand) {
    const SettingsRead read = read_settings_file(folder.path("cfg.ini"));
    EXPECT_FALSE(read.file_exists);
    EXPECT_EQ(read.parameters.mm_per_step, MachineParameters::defaults().mm_per_step);
    EXPECT_TRUE(read.message.isEmpty());
}

TEST_F(SettingsFileTest, PartialFileTakesDefaultsForMissingKeysSilently) {
    const SettingsRead read =
        read_settings_file(write("; comment\r\n[other]\nmm_per_step_x = 9\n[machine]\r\n"
                                 "  mm_per_step_z=0.01  \r\nbacklash_y = 0,05\r\n"));
    EXPECT_TRUE(read.file_exists);
    EXPECT_TRUE(read.message.isEmpty()) << read.message.toStdString();
    EXPECT_EQ(read.parameters.mm_per_step[AXIS_X], 0.0025);  // other section ignored
    EXPECT_EQ(read.parameters.mm_per_step[AXIS_Z], 0.01);
    EXPECT_EQ(read.parameters.backlash[AXIS_Y], 0.05);
    EXPECT_EQ(read.parameters.travel_limit[AXIS_Z], 100);
}

TEST_F(SettingsFileTest, GarbageNeverStopsTheRead) {
    static const char kBinary[] = "\x01\xff\xfe[machine\n=\n==\n[machine]\nmm_per_step_x\n";
    QByteArray garbage(kBinary, sizeof(kBinary) - 1);
    garbage += "travel_limit_x = 1e10\nbacklash_x = -0,1\nmm_per_step_y = nan\n";
    const SettingsRead read = read_settings_file(write(garbage));
    EXPECT_TRUE(read.file_exists);
    EXPECT_EQ(read.bad_keys, QStringList({"travel_limit_x", "backlash_x", "mm_per_step_y"}));
    EXPECT_EQ(read.parameters.travel_limit[AXIS_X], 100);
    EXPECT_EQ(read.parameters.backlash[AXIS_X], 0);
}

TEST_F(SettingsFileTest, ParameterKindsCheckTheirOwnRule) {
    EXPECT_EQ(read_parameter(ParameterKind::Ratio, " -0,0025 "), -0.0025);  // reversed motor
    EXPECT_FALSE(read_parameter(ParameterKind::Ratio, "0,0").has_value());
    EXPECT_EQ(read_parameter(ParameterKind::Limit, "150"), 150);
    EXPECT_FALSE(read_parameter(ParameterKind::Limit, "150,5").has_value());
    EXPECT_FALSE(read_parameter(ParameterKind::Limit, "3000000000").has_value());
    EXPECT_FALSE(read_parameter(ParameterKind::Backlash, "-1").has_value());
    EXPECT_FALSE(read_parameter(ParameterKind::Backlash, "").has_value());
    EXPECT_FALSE(read_parameter(ParameterKind::Ratio, "1e999").has_value());
}

TEST_F(SettingsFileTest, WriteReplacesTheFileWholeAndReadsBack) {
    const QString path = write("[machine]\nmm_per_step_x = 1\n");
    MachineParameters p = MachineParameters::defaults();
    p.mm_per_step[AXIS_Y] = 0.0012345678901234567;
    p.travel_limit[AXIS_Z] = -5;
    p.backlash[AXIS_X] = 0.1;
    ASSERT_EQ(write_settings_file(path, p), QString());
    const SettingsRead read = read_settings_file(path);
    EXPECT_TRUE(read.message.isEmpty());
    EXPECT_EQ(read.parameters.mm_per_step, p.mm_per_step);
    EXPECT_EQ(read.parameters.travel_limit, p.travel_limit);
    EXPECT_EQ(read.parameters.backlash, p.backlash);
}

TEST_F(SettingsFileTest, WriteIntoAMissingFolderReportsTheReason) {
    EXPECT_FALSE(
        write_settings_file(folder.path("no/such/folder/cfg.ini"), MachineParameters::defaults())
            .isEmpty());
}

TEST_F(SettingsFileTest, FileProblemsAreNamedInOneMessageAndTheRestIsRead) {
    static const char16_t kUtf16[] = u"\xfeff[machine]\r\nmm_per_step_x = 0.005\r\n";
    const QByteArray utf16(reinterpret_cast<const char*>(kUtf16), sizeof kUtf16 - 2);
    const QByteArray padding = "; " + QByteArray(1 << 20, '-') + "\n";
    struct Case {
        QByteArray content;
        double ratio_x;       // mm_per_step_x read
        const char* named;    // a part of the message; empty: no message
        const char* bad_key;  // among bad_keys
    };
    const Case cases[] = {
        {"[machine]\rmm_per_step_x = 0.005\rbacklash_x = 0.1\r", 0.005, "", ""},
        {utf16, 0.005, "", ""},
        {with_nul("[machine]\nmm_per_step_x = 0.005\n", "\x01\x02"), 0.0025, "текстов", ""},
        {with_nul("[", "m") + with_nul("", "]"), 0.0025, "текстов", ""},
        {"mm_per_step_x = 0.005\n", 0.0025, "[machine]", ""},
        {"[machine]\n" + padding + "mm_per_step_x = 0.00125\n", 0.0025, "больше", ""},
        {"[machine]\nmm_per_step_x = 0.0000001\n", 0.0025, "mm_per_step_x", "mm_per_step_x"},
        {"[machine]\nmm_per_step_x = -500\n", 0.0025, "mm_per_step_x", "mm_per_step_x"},
        {"[machine]\nmm_per_step_x = -0,0025\n", -0.0025, "", ""},
        {"[machine]\ntravel_limit_y = 10\nbacklash_y = 20\n", 0.0025, "backlash_y", "backlash_y"},
        {"[machine]\ntravel_limit_x = 2147483648\n", 0.0025, "travel_limit_x", "travel_limit_x"},
        {"[machine]\nMM_PER_STEP_Y = 0.005\nmm_per_step_x = 0.004\n", 0.004, "MM_PER_STEP_Y", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content.left(60).toStdString());
        const QString path = write(c.content);
        const SettingsRead read = read_settings_file(path);
        EXPECT_TRUE(read.file_exists);
        EXPECT_EQ(read.parameters.mm_per_step[AXIS_X], c.ratio_x);
        EXPECT_EQ(read.parameters.mm_per_step[AXIS_Y], 0.0025);
        if (*c.named == '\0') {
            EXPECT_EQ(read.message, QString());
        } else {
            EXPECT_TRUE(read.message.contains(path)) << read.message.toStdString();
            EXPECT_TRUE(read.message.contains(QString::fromUtf8(c.named)))
                << read.message.toStdString();
        }
        if (*c.bad_key != '\0') {
            EXPECT_TRUE(read.bad_keys.contains(QLatin1String(c.bad_key)));
        }
    }
}

TEST_F(SettingsFileTest, WhatIsThereButCannotBeReadIsToldWithTheSystemsReason) {
    const QString folder_path = folder.make_folder("as_folder/cfg.ini");
    const QString fifo = folder.path("cfg.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString loop = folder.path("loop.ini");
    ASSERT_TRUE(QFile::link(loop, loop));
    for (const QString& path : {folder_path, fifo, loop}) {
        const SettingsRead read = read_settings_file(path);
        EXPECT_TRUE(read.file_exists) << path.toStdString();
        EXPECT_TRUE(read.message.contains(path)) << read.message.toStdString();
        EXPECT_EQ(read.parameters.mm_per_step, MachineParameters::defaults().mm_per_step);
    }
}

TEST_F(SettingsFileTest, NumbersAreWrittenInTheShortestFormThatReadsBack) {
    const QString path = folder.path("cfg.ini");
    MachineParameters p = MachineParameters::defaults();
    p.backlash[AXIS_Y] = 0.1;
    ASSERT_EQ(write_settings_file(path, p), QString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("mm_per_step_x = 0.0025\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("backlash_y = 0.1\n")) << text.toStdString();
}

TEST_F(SettingsFileTest, AFullDiskKeepsTheOldFileAndSaysSo) {
    const std::string wrong = testing::on_full_disk(
        [](const QString& dir) {
            QFile old(dir + "/cfg.ini");
            if (!old.open(QIODevice::WriteOnly) ||
                old.write("[machine]\nmm_per_step_x = 0.005\n") < 0) {
                throw std::runtime_error("no old cfg.ini");
            }
        },
        [](const QString& dir) {
            const QString path = dir + "/cfg.ini";
            const QString reason = write_settings_file(path, MachineParameters::defaults());
            std::string found;
            if (reason.isEmpty()) {
                found += "the write was reported as done; ";
            } else if (!reason.contains(QStringLiteral("прежний файл"))) {
                found += "not told the old file was kept: " + reason.toStdString() + "; ";
            }
            if (read_settings_file(path).parameters.mm_per_step[AXIS_X] != 0.005) {
                found += "the old file is gone; ";
            }
            const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
            if (left != QStringList({QLatin1String(testing::kDiskFiller), "cfg.ini"})) {
                found += "files left: " + left.join(' ').toStdString();
            }
            return found;
        });
    EXPECT_EQ(wrong, "");
}

}  // namespace
}  // namespace ostrel
