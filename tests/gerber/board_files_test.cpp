// Every Gerber and drill file of the shared test data read at true size and painted like gerbv
// paints it.
#include "gerber/excellon_reader.h"
#include "tests/gerber/board_reference.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QDir>

namespace ostrel {
namespace {

QStringList board_files() {
    QStringList files;
    for (const char* folder : {"gerber", "drill"}) {
        const QDir dir(QStringLiteral(OSTREL_TESTDATA_DIR "/") + QLatin1String(folder));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            files.append(dir.filePath(name));
        }
    }
    return files;
}

// Where the difference pictures go when someone wants to look at them.
QString kept_picture(const QString& file) {
    const QString folder = qEnvironmentVariable("OSTREL_BOARD_PICTURES");
    return folder.isEmpty() ? QString()
                            : folder + u'/' + QFileInfo(file).fileName() + QStringLiteral(".png");
}

TEST(BoardFiles, CopperAgreesWithGerbv) {
    const QStringList files = board_files();
    if (files.isEmpty()) {
        GTEST_SKIP() << "no test files in " OSTREL_TESTDATA_DIR "/gerber or /drill";
    }
    testing::TempFolder folder;
    for (const QString& file : files) {
        const Board board = read_board_file(file);
        ASSERT_FALSE(board.extents().empty) << file.toStdString();
        QString why;
        const auto count =
            testing::compare_with_reference(file, board, folder.path(), why, kept_picture(file));
        if (!count) {
            GTEST_SKIP() << why.toStdString();
        }
        EXPECT_GE(count->agreement(), 0.98) << file.toStdString();
        std::printf("%-50s %.4f\n", QFileInfo(file).fileName().toUtf8().constData(),
                    count->agreement());
    }
}

}  // namespace
}  // namespace ostrel
