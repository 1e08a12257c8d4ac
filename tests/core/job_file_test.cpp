// Job files: the missing-file notice.
#include "core/job_file.h"
#include "tests/support/recording_operator.h"
#include "tests/support/test_folder.h"

#include <gtest/gtest.h>
#include <vector>

namespace ostrel {
namespace {

using testing::TestFolder;

TEST(JobFileExists, AMissingFileIsToldAndTheFocusGoesToTheFileName) {
    TestFolder folder;
    testing::RecordingOperator op;
    EXPECT_FALSE(job_file_exists(folder.path("none.dxf"), op, Field::DxfFile));
    EXPECT_FALSE(job_file_exists(QString(), op, Field::DxfFile));
    ASSERT_EQ(op.messages.size(), 2u);
    EXPECT_EQ(op.messages[0].text, QStringLiteral("такого файла не существует"));
    EXPECT_EQ(op.focused, (std::vector<Field>{Field::DxfFile, Field::DxfFile}));
    EXPECT_TRUE(job_file_exists(folder.write("here.dxf", ""), op, Field::DxfFile));
}

}  // namespace
}  // namespace ostrel
