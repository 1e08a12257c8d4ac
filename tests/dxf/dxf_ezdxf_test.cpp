// The standard reader against ezdxf's flattening of the same drawings: extents within 0.05 mm,
// drawn length within 0.5 %, for the shared test files and the hand-made drawings alike.
#include "dxf/dxf_drawing.h"

#include "tests/dxf/dxf_test_files.h"
#include "tests/support/shared_testdata.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

namespace ostrel {
namespace {

// Debian's own interpreter first: the one that has python3-ezdxf.
QString python() {
    if (QFile::exists(QStringLiteral("/usr/bin/python3"))) {
        return QStringLiteral("/usr/bin/python3");
    }
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// What ezdxf makes of a file, or the reason it could not be asked.
struct Opinion {
    QJsonObject figures;
    QString failure;
};

Opinion ask_ezdxf(const QStringList& arguments) {
    QProcess process;
    process.start(python(), arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        return {{}, QString::fromUtf8(process.readAllStandardError()).trimmed()};
    }
    return {QJsonDocument::fromJson(process.readAllStandardOutput()).object(), {}};
}

class DxfAgainstEzdxf : public ::testing::Test {
protected:
    void SetUp() override {
        if (python().isEmpty()) {
            GTEST_SKIP() << "no python3 here: install python3-ezdxf (make test does)";
        }
        const Opinion probe = ask_ezdxf({QStringLiteral("-c"), QStringLiteral("import ezdxf")});
        if (!probe.failure.isEmpty()) {
            GTEST_SKIP() << "ezdxf can't be imported (install python3-ezdxf; make test does): "
                         << probe.failure.toStdString();
        }
    }

    void compare(const QString& path) {
        SCOPED_TRACE(path.toStdString());
        const Opinion opinion =
            ask_ezdxf({QStringLiteral(OSTREL_SOURCE_DIR "/tests/dxf/ezdxf_flatten.py"), path});
        ASSERT_TRUE(opinion.failure.isEmpty()) << opinion.failure.toStdString();
        const QJsonObject& theirs = opinion.figures;
        const DxfDrawing ours = read_dxf_drawing(path, {}, {});
        const double mm = theirs["mm_per_unit"].toDouble();
        EXPECT_NEAR(ours.facts.mm_per_unit, mm, mm * 1e-9);
        EXPECT_EQ(ours.facts.drawn, theirs["entities"].toInt());
        ASSERT_FALSE(ours.extents.empty);
        EXPECT_NEAR(ours.extents.min_x, theirs["min_x"].toDouble() * mm, 0.05);
        EXPECT_NEAR(ours.extents.min_y, theirs["min_y"].toDouble() * mm, 0.05);
        EXPECT_NEAR(ours.extents.max_x, theirs["max_x"].toDouble() * mm, 0.05);
        EXPECT_NEAR(ours.extents.max_y, theirs["max_y"].toDouble() * mm, 0.05);
        const double length = theirs["length"].toDouble() * mm;
        EXPECT_NEAR(ours.length_mm, length, length * 0.005);
    }
};

TEST_F(DxfAgainstEzdxf, TheSharedTestFilesAgree) {
    const QStringList paths = testing::shared_testdata_files({"dxf"}, {"*.dxf", "*.DXF"});
    if (paths.isEmpty()) {
        GTEST_SKIP() << testing::no_shared_testdata({"dxf"}).toStdString();
    }
    for (const QString& path : paths) {
        compare(path);
    }
}

TEST_F(DxfAgainstEzdxf, TheHandMadeDrawingsAgree) {
    testing::TempFolder folder;
    for (const auto& drawing : testing::standard_drawings()) {
        compare(folder.write(QString::fromLatin1(drawing.name) + ".dxf", drawing.text));
    }
}

}  // namespace
}  // namespace ostrel
