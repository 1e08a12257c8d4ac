// Every Gerber and drill file of the shared test data read at true size and painted like gerbv
// paints it.
#include "gerber/excellon_reader.h"
#include "tests/gerber/board_reference.h"
#include "tests/support/shared_testdata.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace ostrel {
namespace {

// Where the difference pictures go when someone wants to look at them.
QString kept_picture(const QString& file) {
    const QString folder = qEnvironmentVariable("OSTREL_BOARD_PICTURES");
    return folder.isEmpty() ? QString()
                            : folder + u'/' + QFileInfo(file).fileName() + QStringLiteral(".png");
}

// gerbv reads a short number of a drill file whose header says leading zeros are written (LZ)
// as if leading zeros were left out. The copy it is shown has the left-out trailing zeros
// written, up to the digits of ";FILE_FORMAT=", as the header says they were left out; other
// files are shown as they are.
QString as_gerbv_reads_it(const QString& file, const testing::TempFolder& folder) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return file;
    }
    QString text = QString::fromLatin1(in.readAll());
    static const QRegularExpression format(QStringLiteral(";FILE_FORMAT=(\\d):(\\d)"));
    const auto m = format.match(text);
    if (!text.contains(QStringLiteral(",LZ")) || !m.hasMatch()) {
        return file;
    }
    const int digits = m.captured(1).toInt() + m.captured(2).toInt();
    static const QRegularExpression number(QStringLiteral("([XY][+-]?)(\\d+)(?![\\d.])"));
    QString out;
    qsizetype at = 0;
    for (auto it = number.globalMatch(text); it.hasNext();) {
        const auto n = it.next();
        out += text.mid(at, n.capturedStart() - at) + n.captured(1) +
               n.captured(2).leftJustified(digits, u'0');
        at = n.capturedEnd();
    }
    out += text.mid(at);
    return folder.write(QFileInfo(file).fileName(), out.toLatin1());
}

TEST(BoardFiles, CopperAgreesWithGerbv) {
    const QStringList files = testing::shared_testdata_files({"gerber", "drill"});
    if (files.isEmpty()) {
        GTEST_SKIP() << testing::no_shared_testdata({"gerber", "drill"}).toStdString();
    }
    testing::TempFolder folder;
    for (const QString& file : files) {
        const Board board = read_board_file(file);
        ASSERT_FALSE(board.extents().empty) << file.toStdString();
        QString why;
        const auto count = testing::compare_with_reference(as_gerbv_reads_it(file, folder), board,
                                                           folder.path(), why, kept_picture(file));
        if (!count) {
            GTEST_SKIP() << why.toStdString();
        }
        EXPECT_GE(count->agreement_at_edges(), 0.98) << file.toStdString();
        std::printf("%-50s %.4f %.4f\n", QFileInfo(file).fileName().toUtf8().constData(),
                    count->agreement(), count->agreement_at_edges());
    }
}

}  // namespace
}  // namespace ostrel
