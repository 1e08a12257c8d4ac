// The aperture loader's position rules, the grid rows, the table kept across loads, file choice.
#include "gerber/aperture_table.h"
#include "core/operation_abandoned.h"
#include "jobs/job_file_choice.h"
#include "tests/gerber/gerber_test_support.h"
#include "tests/support/recording_operator.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace ostrel {
namespace {

using testing::FakePanel;
using testing::RecordingOperator;

// The grid row's four cells joined by "|".
QString row_text(const ApertureGrid& grid, int row) {
    QStringList cells;
    for (int c = 0; c < ApertureGrid::kColumns; ++c) {
        cells.append(grid.cell(row, c));
    }
    return cells.join(u'|');
}

class GerberApertures : public ::testing::Test {
protected:
    // Loads the lines as one file, the way the browse button does.
    void load(const QByteArray& text) {
        load_apertures(folder.write(QStringLiteral("board.gbr"), text), table, grid, op);
    }

    testing::TempFolder folder;
    ApertureTable table;
    ApertureGrid grid;
    RecordingOperator op;
};

TEST_F(GerberApertures, WorkedRowsFillTableAndGrid) {
    load("%FSLAX24Y24*%\n%ADD10C,0.0100*%\n%ADD11R,0.0600X0.0700*%\nG54D10*\n");
    EXPECT_EQ(table.entry(10)->shape, 1.0);
    EXPECT_DOUBLE_EQ(table.entry(10)->size[1], 1.0);
    EXPECT_EQ(table.entry(11)->shape, 2.0);
    EXPECT_DOUBLE_EQ(table.entry(11)->size[1], 6.0);
    EXPECT_DOUBLE_EQ(table.entry(11)->size[2], 7.0);
    EXPECT_EQ(table.entry(11)->size[3], 0.0);
    EXPECT_EQ(row_text(grid, 0), "|||");
    EXPECT_EQ(row_text(grid, 1), "C|1||");
    EXPECT_EQ(row_text(grid, 2), "R|6|7|");
    EXPECT_EQ(row_text(grid, 3), "-END-|||");
    EXPECT_TRUE(op.messages.empty());
}

TEST_F(GerberApertures, SizeDigitsAreReadAsAnIntegerOverAHundred) {
    // The point is ignored, so the place of the point does not matter; a sign is dropped.
    // Position 9 is never read: the first size starts one character after the comma.
    const auto def = read_aperture_definition("%ADD12C,01.5X-0.25X 7*%");
    EXPECT_EQ(def.d_code, 12);
    EXPECT_EQ(def.sizes_read, 3);
    EXPECT_DOUBLE_EQ(def.size[1], 0.15);
    EXPECT_DOUBLE_EQ(def.size[2], 0.25);
    EXPECT_DOUBLE_EQ(def.size[3], 0.07);
    // A size without digits is 0; the second point ends a size like any other character.
    const auto odd = read_aperture_definition("%ADD13R,,X1.2.3*%");
    EXPECT_EQ(odd.sizes_read, 3);
    EXPECT_EQ(odd.size[1], 0.0);
    EXPECT_DOUBLE_EQ(odd.size[2], 0.12);
    EXPECT_DOUBLE_EQ(odd.size[3], 0.03);
}

TEST_F(GerberApertures, DCodePositionsAndShapeLetter) {
    // A digit followed by a letter is a one-digit D-code; the shape letter is still position 7.
    EXPECT_EQ(read_aperture_definition("%ADD5C,0.0100*%").d_code, 5);
    EXPECT_EQ(read_aperture_definition("%ADD5C,0.0100*%").letter, ',');
    // D100: D-code 10 whose letter is the digit 0.
    const auto hundred = read_aperture_definition("%ADD100C,0.0100*%");
    EXPECT_EQ(hundred.d_code, 10);
    EXPECT_EQ(hundred.letter, '0');
    EXPECT_EQ(read_aperture_definition("%ADD-1C,0.0100*%").d_code, -1);
    EXPECT_EQ(read_aperture_definition("%ADD00C,0.0100*%").d_code, 0);

    load("%ADD10C,0.0100*%\n%ADD100R,0.0500X0.0600*%\n%ADD00C,0.0200*%\n%ADD-1C,0.03*%\n");
    // D100 redefined D10's sizes from position 10 on ("0500"), leaving it a circle.
    EXPECT_EQ(table.entry(10)->shape, 1.0);
    EXPECT_DOUBLE_EQ(table.entry(10)->size[1], 5.0);
    EXPECT_DOUBLE_EQ(table.entry(10)->size[2], 6.0);
    // 00 and a minus sign have no entry, but the rows still show what was read.
    EXPECT_EQ(table.entry(0), nullptr);
    EXPECT_EQ(row_text(grid, 2), "-END-|5|6|");
    EXPECT_EQ(row_text(grid, 3), "C|2||");
    EXPECT_EQ(row_text(grid, 4), "C|0,03||");
    EXPECT_EQ(row_text(grid, 5), "-END-|||");
}

TEST_F(GerberApertures, SizesStopAtTheLastCharacterAStarOrTheLineEnd) {
    // No "*": the last size runs to the end of the line and is stored as 0.
    const auto open = read_aperture_definition("%ADD10R,0.0600X0.0700");
    EXPECT_EQ(open.sizes_read, 2);
    EXPECT_DOUBLE_EQ(open.size[1], 6.0);
    EXPECT_EQ(open.size[2], 0.0);
    // A "*" where a size would start ends the sizes; so does the line's last character.
    EXPECT_EQ(read_aperture_definition("%ADD10C,0.0100X*%").sizes_read, 1);
    EXPECT_EQ(read_aperture_definition("%ADD10C,0.0100XX").sizes_read, 1);
    // Lines cut short read a first size of 0 from beyond their end.
    for (const char* cut : {"%ADD", "%ADD1", "%ADD10", "%ADD10C", "%ADD10C,0"}) {
        const auto def = read_aperture_definition(cut);
        EXPECT_EQ(def.sizes_read, 1) << cut;
        EXPECT_EQ(def.size[1], 0.0) << cut;
    }
    // Nine sizes at most; the rest are passed over.
    const auto many = read_aperture_definition("%ADD10C,,1X2X3X4X5X6X7X8X9X10X11*%");
    EXPECT_EQ(many.sizes_read, 9);
    EXPECT_DOUBLE_EQ(many.size[9], 0.09);
}

TEST_F(GerberApertures, HugeSizesAreStoredWithoutFault) {
    const QByteArray forty(40, '9');
    const auto def = read_aperture_definition(("%ADD10C,0" + forty + "*%").toStdString());
    EXPECT_NEAR(def.size[1] / 1e38, 1.0, 1e-12);
    const QByteArray endless(2000, '7');
    const auto inf = read_aperture_definition(("%ADD10C,0" + endless + "X1*%").toStdString());
    EXPECT_TRUE(std::isinf(inf.size[1]));
    EXPECT_DOUBLE_EQ(inf.size[2], 0.01);
}

TEST_F(GerberApertures, TableKeepsOtherLoadsAndShapesAcrossFiles) {
    load("%ADD10C,0.0100*%\n%ADD11R,0.0600X0.0700*%\n");
    load("%ADD10O,0.0300X0.0400*%\n");
    // D10 stays a circle with the second file's sizes; D11 is untouched by the second load.
    EXPECT_EQ(table.entry(10)->shape, 1.0);
    EXPECT_DOUBLE_EQ(table.entry(10)->size[1], 3.0);
    EXPECT_DOUBLE_EQ(table.entry(10)->size[2], 4.0);
    EXPECT_EQ(table.entry(11)->shape, 2.0);
    // The grid shows only the second file; the obround's row keeps "-END-" from nobody (row 1).
    EXPECT_EQ(row_text(grid, 1), "|3|4|");
    EXPECT_EQ(row_text(grid, 2), "-END-|||");

    load("M48\nT1C0.8\n%\nX100Y200\nM30\n");
    EXPECT_EQ(row_text(grid, 1), "|||");
    EXPECT_EQ(table.entry(11)->shape, 2.0);
}

TEST_F(GerberApertures, FiftiethDefinitionEntersTableButNoRow) {
    QByteArray text;
    for (int n = 10; n < 60; ++n) {
        text += "%ADD" + QByteArray::number(n) + "C,0." + QByteArray::number(n) + "*%\r\n";
    }
    load(text);
    EXPECT_DOUBLE_EQ(table.entry(59)->size[1], 0.59);
    EXPECT_EQ(row_text(grid, 49), "C|0,58||");  // CR LF ends lines: no stray size from the CR
}

TEST_F(GerberApertures, MissingFileTellsAndFocusesLeavingTableAlone) {
    load("%ADD10C,0.0100*%\n");
    load_apertures(folder.path(QStringLiteral("nowhere.gbr")), table, grid, op);
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].text, "такого файла не существует");
    EXPECT_EQ(op.focused, std::vector<Field>{Field::GerberFile});
    EXPECT_EQ(row_text(grid, 1), "|||");
    EXPECT_EQ(table.entry(10)->shape, 1.0);
}

TEST_F(GerberApertures, AFolderNamedAsFileIsRefusedWithItsReason) {
    EXPECT_THROW(load_apertures(folder.path(QString()), table, grid, op), OperationAbandoned);
}

TEST(GerberMarker, TwoDigitsOverTen) {
    FakePanel panel;
    EXPECT_DOUBLE_EQ(marker_diameter(panel), 0.5);
    panel.texts[Field::MarkerDiameter] = QStringLiteral("99");
    EXPECT_DOUBLE_EQ(marker_diameter(panel), 9.9);
    panel.texts[Field::MarkerDiameter] = QStringLiteral(" 7");
    EXPECT_DOUBLE_EQ(marker_diameter(panel), 0.7);
    panel.texts[Field::MarkerDiameter] = QStringLiteral("  ");
    EXPECT_THROW(marker_diameter(panel), OperationAbandoned);
}

TEST(GerberFileChoice, FiltersAndFieldsByPage) {
    const JobFileChoice dxf = job_file_choice(0);
    EXPECT_EQ(dxf.filter, "файлы AutoCad DXF|*.dxf|");
    EXPECT_EQ(dxf.name_filters, QStringList{"файлы AutoCad DXF (*.dxf)"});
    EXPECT_EQ(dxf.field, Field::DxfFile);
    EXPECT_FALSE(dxf.loads_apertures);
    const JobFileChoice gerber = job_file_choice(1);
    EXPECT_EQ(gerber.filter, "файлы Gerber RS274 GBR|*.gbr|файл сверления DRL |*.drl|");
    EXPECT_EQ(gerber.name_filters,
              (QStringList{"файлы Gerber RS274 GBR (*.gbr)", "файл сверления DRL (*.drl)"}));
    EXPECT_EQ(gerber.field, Field::GerberFile);
    EXPECT_TRUE(gerber.loads_apertures);
}

}  // namespace
}  // namespace ostrel
