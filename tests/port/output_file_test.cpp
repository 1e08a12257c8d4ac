// Output files: links at the target followed or replaced, the mode of a file replaced kept. A
// failed write keeping the old file is tested on a full disk with the files that use them.
#include "port/output_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ostrel {
namespace {

QByteArray bytes_of(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

TEST(OutputFile, ALinkAtTheTargetIsFollowedOrReplacedAsAskedAndTheModeIsKept) {
    const testing::TempFolder folder;
    const QString kept = folder.write("kept.ini", "old");
    const QString followed = folder.path("followed.ini");
    const QString replaced = folder.path("replaced.ini");
    ASSERT_TRUE(QFile::link(kept, followed) && QFile::link(kept, replaced));
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0640), 0);

    ASSERT_EQ(write_whole_file(followed, "new", OutputFile::Link::Followed), QString());
    EXPECT_TRUE(QFileInfo(followed).isSymLink());
    EXPECT_EQ(bytes_of(kept), "new");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(kept).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    ASSERT_EQ(write_whole_file(replaced, "other", OutputFile::Link::Replaced), QString());
    EXPECT_FALSE(QFileInfo(replaced).isSymLink());
    EXPECT_EQ(bytes_of(replaced), "other");
    EXPECT_EQ(bytes_of(kept), "new");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"followed.ini", "kept.ini", "replaced.ini"}));
    EXPECT_EQ(write_whole_file(folder.path(), "x", OutputFile::Link::Replaced),
              qt_error_string(EISDIR));
}

}  // namespace
}  // namespace ostrel
