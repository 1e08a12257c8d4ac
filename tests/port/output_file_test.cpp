// Output files: what stands at the target before, during and after a write, links and devices.
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

TEST(OutputFile, ALinkAtTheTargetIsFollowedOrReplacedAsAsked) {
    const testing::TempFolder folder;
    const QString kept = folder.write("kept.ini", "old");
    const QString followed = folder.path("followed.ini");
    const QString replaced = folder.path("replaced.ini");
    ASSERT_TRUE(QFile::link(kept, followed) && QFile::link(kept, replaced));
    ASSERT_TRUE(QFile::setPermissions(
        kept, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));

    ASSERT_EQ(write_whole_file(followed, "new", OutputFile::Link::Followed), QString());
    EXPECT_TRUE(QFileInfo(followed).isSymLink());
    EXPECT_EQ(bytes_of(kept), "new");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(kept).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the file replaced keeps its mode

    ASSERT_EQ(write_whole_file(replaced, "other", OutputFile::Link::Replaced), QString());
    EXPECT_FALSE(QFileInfo(replaced).isSymLink());
    EXPECT_EQ(bytes_of(replaced), "other");
    EXPECT_EQ(bytes_of(kept), "new");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"followed.ini", "kept.ini", "replaced.ini"}));
}

TEST(OutputFile, NothingReachesTheTargetBeforeTheCommitNorWithoutOne) {
    const testing::TempFolder folder;
    const QString target = folder.write("out.trace", "old");
    {
        OutputFile file(target, OutputFile::Link::Replaced);
        ASSERT_TRUE(file.open());
        EXPECT_TRUE(file.had_target());
        ASSERT_TRUE(file.write("partial", 7));
        EXPECT_EQ(bytes_of(target), "old");
    }
    EXPECT_EQ(bytes_of(target), "old");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.trace"});
}

TEST(OutputFile, ADeviceIsWrittenDirectlyAndItsFailureTold) {
    EXPECT_EQ(write_whole_file("/dev/null", "x", OutputFile::Link::Replaced), QString());
    EXPECT_TRUE(QFileInfo("/dev/null").exists() && !QFileInfo("/dev/null").isFile());
    EXPECT_EQ(write_whole_file("/dev/full", "x", OutputFile::Link::Replaced),
              qt_error_string(ENOSPC));
    const testing::TempFolder folder;
    EXPECT_EQ(write_whole_file(folder.path(), "x", OutputFile::Link::Replaced),
              qt_error_string(EISDIR));
}

}  // namespace
}  // namespace ostrel
