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

// Where the pictures go when someone wants to look at them (OSTREL_BOARD_PICTURES=folder).
void keep(const QImage& image, const QString& file, const char* kind) {
    const QString folder = qEnvironmentVariable("OSTREL_BOARD_PICTURES");
    if (!folder.isEmpty()) {
        image.save(folder + u'/' + QFileInfo(file).fileName() + u'.' + QLatin1String(kind) +
                   QStringLiteral(".png"));
    }
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
        const testing::BoardWindow window = testing::window_around(board.extents());
        QString why;
        const auto reference = testing::reference_picture(file, window, folder.path(), why);
        if (!reference) {
            GTEST_SKIP() << why.toStdString();
        }
        const QImage ours = testing::board_picture(board, window);
        keep(*reference, file, "gerbv");
        keep(ours, file, "board");
        const double agreement = testing::copper_agreement(*reference, ours);
        EXPECT_GE(agreement, 0.98) << file.toStdString();
        std::printf("%-50s %.4f\n", QFileInfo(file).fileName().toUtf8().constData(), agreement);
    }
}

}  // namespace
}  // namespace ostrel
