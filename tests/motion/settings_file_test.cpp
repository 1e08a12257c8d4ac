// The settings file: partial and odd files, and the atomic rewrite.
#include "motion/settings_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

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
    static const char kBinary[] = "\x00\xff\xfe[machine\n=\n==\n[machine]\nmm_per_step_x\n";
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

}  // namespace
}  // namespace ostrel
