// The true-size Gerber and drill readers on hand-computed cases, one command at a time.
#include "core/operation_abandoned.h"
#include "gerber/aperture_shape.h"
#include "gerber/excellon_reader.h"
#include "gerber/gerber_reader.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

namespace ostrel {
namespace {

constexpr double kPi = std::numbers::pi;

Board gerber(std::string_view text) {
    Board board;
    GerberReader reader(board);
    // Cut into pieces of 7 bytes: blocks and commands cross the pieces' ends.
    for (std::size_t at = 0; at < text.size(); at += 7) {
        reader.feed(text.substr(at, 7), QStringLiteral("test.gbr"));
    }
    reader.finish();
    return board;
}

Board drill(std::string_view text) {
    Board board;
    ExcellonReader reader(board);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        reader.line(text.substr(start, end - start), QStringLiteral("test.drl"));
        start = end == std::string_view::npos ? text.size() : end + 1;
    }
    return board;
}

void expect_near(PointMm actual, PointMm expected, const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
}

// Format, units, zero omission, signs, incremental coordinates: where one D01 track ends.
TEST(GerberReader, CoordinatesFollowFormatAndUnits) {
    struct Case {
        const char* header;
        const char* moves;
        PointMm from, to;
    } cases[] = {
        {"%FSLAX24Y24*%%MOIN*%", "X10000Y20000D02*X-5000Y2D01*", {25.4, 50.8}, {-12.7, 0.00508}},
        {"%FSLAX46Y46*%%MOMM*%",
         "X156622761Y-56184057D02*X1Y+1D01*",
         {156.622761, -56.184057},
         {0.000001, 0.000001}},
        // Trailing zeros left out: the first digits are the integer part.
        {"%FSTAX24Y24*%%MOIN*%", "X15Y-0015D02*X012D01*", {381, -3.81}, {30.48, -3.81}},
        {"%FSLAX66Y66*%%MOMM*%", "X123456123456Y1D02*X0Y0D01*", {123456.123456, 0.000001}, {0, 0}},
        {"%FSLAX23Y23*%%MOMM*%", "X1.5Y-2.25D02*X3D01*", {1.5, -2.25}, {0.003, -2.25}},
        // Incremental: each coordinate moves on from the last point.
        {"%FSLIX33Y33*%%MOMM*%", "X1000Y1000D02*X500Y-250D01*", {1, 1}, {1.5, 0.75}},
        {"%FSLAX33Y33*%%MOMM*%G91*", "X1000Y1000D02*X500D01*", {1, 1}, {1.5, 1}},
        // G70 and G71 set the units as %MO does; EAGLE's format statement has no zero letter.
        {"G70*%FSAX24Y24*%",
         "X037262Y009096D02*X036622D01*",
         {94.64548, 23.10384},
         {93.01988, 23.10384}},
        {"%FSLAX34Y34*%G71*", "X10000Y0D02*X0D01*", {1, 0}, {0, 0}},
        // OrCAD: a sequence-number digit in the format, G74 before it on one line.
        {"G74*%FSLAN2X34Y34*%%MOIN*%",
         "X0002300Y0005100D02*Y0003950D01*",
         {5.842, 12.954},
         {5.842, 10.033}},
    };
    for (const Case& c : cases) {
        const Board board = gerber(std::string(c.header) + "%ADD10C,0.1*%D10*" + c.moves);
        ASSERT_EQ(board.levels.size(), 1u) << c.moves;
        ASSERT_EQ(board.levels[0].tracks.size(), 1u) << c.moves;
        expect_near(board.levels[0].tracks[0].from, c.from, c.moves);
        expect_near(board.levels[0].tracks[0].to, c.to, c.moves);
    }
}

// D codes select apertures with or without G54, D01 stays in force for blocks without one,
// G04 comments and attributes are passed over, and M02 ends the file.
TEST(GerberReader, ModalOperationsAndApertureSelection) {
    const Board board = gerber(
        "%FSLAX33Y33*%%MOMM*%%TF.FileFunction,Copper,L1,Top*%\n"
        "%ADD10C,0.5*%%ADD100R,1X2*%\nG04 D03 in a comment X9Y9 D01*\n"
        "G54D100*X1000Y1000D03*D10*X0Y0D02*%TO.N,net*%X2000D01*Y3000*X0*\n"
        "D100*X5000Y5000D03*X6000*M02*X7000Y7000D03*\n");
    ASSERT_EQ(board.levels.size(), 1u);
    const BoardLevel& level = board.levels[0];
    ASSERT_EQ(level.tracks.size(), 3u);
    expect_near(level.tracks[1].from, {2, 0}, "second track");
    expect_near(level.tracks[2].to, {0, 3}, "third track");
    ASSERT_EQ(level.pads.size(), 3u);  // D03 stays in force; nothing after M02
    expect_near(level.pads[2].at, {6, 5}, "modal flash");
    const ApertureShape& rect = board.apertures[level.pads[0].aperture];
    EXPECT_EQ(rect.kind, ApertureShape::Kind::Rectangle);
    EXPECT_EQ(std::tuple(rect.box.min_x, rect.box.max_y), std::tuple(-0.5, 1.0));
    EXPECT_EQ(board.apertures[level.tracks[0].aperture].width, 0.5);
}

// Arcs: multi-quadrant (G75) with the centre at the start plus I, J; full circles when the ends
// meet; single quadrant (G74) with unsigned offsets, the centre the one that fits a quarter.
TEST(GerberReader, ArcsInBothQuadrantModes) {
    struct Case {
        const char* text;
        PointMm centre;
        double sweep;
    } cases[] = {
        {"G75*G03X0Y1000I-1000J0D01*", {0, 0}, kPi / 2},
        {"G75*G02X0Y1000I-1000J0D01*", {0, 0}, -3 * kPi / 2},
        {"G75*G02I-1000J0D01*", {0, 0}, -2 * kPi},  // ends omitted: a full circle
        {"G74*G03X0Y1000I1000J0D01*", {0, 0}, kPi / 2},
        {"G74*G02X0Y-1000I1000J0D01*", {0, 0}, -kPi / 2},
        {"G74*G02X0Y1000I0J1000D01*", {1, 1}, -kPi / 2},
    };
    for (const Case& c : cases) {
        const Board board =
            gerber(std::string("%FSLAX33Y33*%%MOMM*%%ADD10C,0.1*%D10*X1000Y0D02*") + c.text);
        ASSERT_EQ(board.levels.at(0).arcs.size(), 1u) << c.text;
        const ArcTrack& arc = board.levels[0].arcs[0];
        expect_near(arc.centre, c.centre, c.text);
        EXPECT_NEAR(arc.sweep, c.sweep, 1e-9) << c.text;
    }
    // In single-quadrant mode, ends that no quarter arc joins make a straight track.
    const Board straight =
        gerber("%FSLAX33Y33*%%MOMM*%%ADD10C,0.1*%D10*X1000Y0D02*G74*G03X-1000Y0I1000J0D01*");
    EXPECT_EQ(straight.levels.at(0).tracks.size(), 1u);
}

// Regions: each D02 closes a contour; arcs in them become lines; G37 closes the last.
TEST(GerberReader, RegionsAreClosedContours) {
    const Board board = gerber(
        "%FSLAX33Y33*%%MOMM*%G36*X0Y0D02*X2000D01*Y2000D01*X0D01*X0Y0D01*"
        "X5000Y0D02*G75*G03X5000Y0I1000J0D01*G01*G37*");
    const BoardLevel& level = board.levels.at(0);
    ASSERT_EQ(level.regions.size(), 2u);
    EXPECT_EQ(level.regions[0].contour.size(), 4u);  // the closing point not repeated
    EXPECT_GT(signed_area(level.regions[0].contour), 0);
    EXPECT_NEAR(signed_area(level.regions[1].contour), kPi, 0.01);  // a disc of radius 1
    EXPECT_TRUE(level.tracks.empty());
}

// The standard apertures, holes included, and macros with variables and arithmetic: their boxes
// and the pieces the painter and the plot read.
TEST(GerberReader, AperturesAndMacros) {
    struct Case {
        const char* definition;
        double min_x, min_y, max_x, max_y;
        std::size_t parts;
    } cases[] = {
        {"%ADD10C,1.5X0.5*%", -0.75, -0.75, 0.75, 0.75, 2},
        {"%ADD10R,2X1X0.4*%", -1, -0.5, 1, 0.5, 2},
        {"%ADD10O,2X1*%", -1, -0.5, 1, 0.5, 1},
        {"%ADD10P,2X4*%", -1, -1, 1, 1, 1},
        {"%ADD10P,2X4X45*%", -std::sqrt(0.5), -std::sqrt(0.5), std::sqrt(0.5), std::sqrt(0.5), 1},
        // $3 = $1 + $2 = 1.5: a circle of that diameter and a 2 x 0.5 rectangle.
        {"%AMT*0 comment*$3=$1+$2*1,1,$3,0,0*21,1,$1x2,$2,0,0,0*%%ADD10T,1X0.5*%", -1, -0.75, 1,
         0.75, 2},
        // EAGLE's octagon: an uppercase X multiplies.
        {"%AMOC8*5,1,8,0,0,1.08239X$1,22.5*%%ADD10OC8,1*%", -0.5, -0.5, 0.5, 0.5, 1},
        {"%AMOUT*4,1,3,0,0,2,0,2,1,0,0,0*%%ADD10OUT*%", 0, 0, 2, 1, 1},
        {"%AMV*20,1,0.2,0,0,3,0,0*22,1,1,1,-2,-2,0*%%ADD10V*%", -2, -2, 3, 0.1, 2},
        // A ring cut by gaps: four pieces; (2 + 3) x (4 - 1) / 3 = 5 as the outer diameter, the
        // gaps 0.5 wide on the axes, so the box ends at the root of 2.5^2 - 0.25^2.
        {"%AMTH*7,0,0,(2+3)x(4-1)/3,3,0.5,0*%%ADD10TH*%", -2.4875, -2.4875, 2.4875, 2.4875, 4},
        // A hole cut by a primitive with its exposure off.
        {"%AMH*1,1,2,0,0*1,0,1,0,0*%%ADD10H*%", -1, -1, 1, 1, 2},
    };
    for (const Case& c : cases) {
        const Board board =
            gerber(std::string("%FSLAX33Y33*%%MOMM*%") + c.definition + "D10*X0Y0D03*");
        ASSERT_EQ(board.levels.at(0).pads.size(), 1u) << c.definition;
        const ApertureShape& shape = board.apertures[board.levels[0].pads[0].aperture];
        EXPECT_NEAR(shape.box.min_x, c.min_x, 1e-3) << c.definition;
        EXPECT_NEAR(shape.box.min_y, c.min_y, 1e-3) << c.definition;
        EXPECT_NEAR(shape.box.max_x, c.max_x, 1e-3) << c.definition;
        EXPECT_NEAR(shape.box.max_y, c.max_y, 1e-3) << c.definition;
        EXPECT_EQ(shape.parts.size(), c.parts) << c.definition;
    }
    // Inches: the macro's lengths too.
    const Board inch = gerber("%FSLAX24Y24*%%MOIN*%%AMC*1,1,$1,0,0*%%ADD10C,0.1*%D10*X0Y0D03*");
    EXPECT_NEAR(inch.apertures.at(0).box.max_x, 1.27, 1e-9);
}

// Step and repeat copies the block on a grid; clear polarity starts a level of its own; an
// aperture block is told, not drawn; an aperture never defined is counted.
TEST(GerberReader, RepeatPolarityAndWhatIsNotDrawn) {
    const Board board = gerber(
        "%FSLAX33Y33*%%MOMM*%%ADD10C,1*%D10*%SRX2Y3I10J5*%X0Y0D03*%SR*%"
        "%LPC*%X0Y0D03*%LPD*%%ABD20*%X0Y0D03*%AB*%D20*X1000Y1000D03*D30*X0Y0D03*");
    ASSERT_EQ(board.levels.size(), 2u);  // nothing drawn after %LPD
    ASSERT_EQ(board.levels[0].pads.size(), 6u);
    expect_near(board.levels[0].pads[5].at, {10, 10}, "last copy");
    EXPECT_TRUE(board.levels[1].clear);
    EXPECT_EQ(board.levels[1].pads.size(), 1u);
    EXPECT_EQ(board.notes.aperture_blocks, 1);
    EXPECT_EQ(board.notes.unknown_apertures, 1);
    EXPECT_TRUE(board.notes.assumptions.isEmpty());
    // Nothing said about units or format: inches and 2.4 are taken, and said so.
    const Board bare = gerber("%ADD10C,0.1*%D10*X10000Y0D03*");
    EXPECT_EQ(bare.notes.assumptions.size(), 2);
    EXPECT_NEAR(bare.levels.at(0).pads.at(0).at.x, 25.4, 1e-9);
}

// A step and repeat that asks for more copies than memory holds draws as many as fit, and says
// so; the second case, found by fuzzing, repeats regions of arcs 10000 times and took gigabytes.
TEST(GerberReader, RepeatStopsAtWhatMemoryHolds) {
    struct Case {
        const char* what;
        std::string_view text;
        bool one_object_a_copy;  // then the copies fill the bound exactly
    };
    const Case cases[] = {
        {"a flash 10000 x 10000 times",
         "%FSLAX24Y24*%%MOMM*%%ADD10C,0.1*%D10*%SRX10000Y10000I0.1J0.1*%X0Y0D03*%SR*%", true},
        {"regions of arcs, the block left open",
         "%AX24Y24*%%MOIN*%G50*G36*6*X1Y%MOIN*%G50*G36*6*X1Y1D02\xa9G02X2Y2I1J0D0*%G50*G36*6*"
         "X1Y1D2*"
         "G02X2Y2I1J0D01*X1Y1D00D01*G03\x0e\xf0\x0a*SRX0Y100X1\xf0\xf0"
         "477Y23114D011\x0aG01X508Y234594561591**3116D01*\x0aG01X1460\x0d%Y23116D01*\x0a"
         "G01X1460Y22542D01*\x0aG01X609Y22542D01*\x0aG01X595Y22541D01*\x0aG01X580Y22538D01*\x0a"
         "G01X567Y23114D01*\x0aG01X508Y23459456152533D01*\x0aG01X20\xf0\xf0"
         "20\xf0\xf0#\xf0==TAX24Y24*%%MOIN*%G50*G36*6*X1Y%MOIN*%G50*G36*6*X1Y1D02*G02X2Y2I1J0D0*"
         "42*%",
         false},
    };
    for (const Case& c : cases) {
        const Board board = gerber(c.text);
        long long objects = 0;  // all levels' objects, regions by their corners
        for (const BoardLevel& level : board.levels) {
            objects +=
                static_cast<long long>(level.tracks.size() + level.arcs.size() + level.pads.size());
            for (const Region& r : level.regions) {
                objects += static_cast<long long>(r.contour.size());
            }
        }
        EXPECT_LE(objects, GerberReader::kMostRepeated) << c.what;
        if (c.one_object_a_copy) {
            EXPECT_EQ(objects, GerberReader::kMostRepeated) << c.what;
        }
        EXPECT_EQ(board.notes.assumptions.filter(QStringLiteral("%SR")).size(), 1) << c.what;
    }
}

TEST(GerberReader, RefusesNulBytes) {
    testing::TempFolder folder;
    const QString path =
        folder.write(QStringLiteral("nul.gbr"), QByteArray("%FSLAX24Y24*%\nX1\0Y2D03*\n", 24));
    EXPECT_THROW(read_gerber_file(path), OperationAbandoned);
    EXPECT_THROW(read_board_file(path), OperationAbandoned);
}

// Drill files: units, zero modes and digits from the header, the format comment, decimal
// points, tools, modal axes, incremental moves, slots, the end of the program.
TEST(ExcellonReader, HitsInEveryFormat) {
    struct Case {
        const char* text;
        PointMm first;
        PointMm last;
        double diameter;
    } cases[] = {
        {"M48\nMETRIC,LZ,000.000\nT01C0.320\n%\nT01\nX+039751Y-017780\nY001\n",
         {39.751, -17.78},
         {39.751, 1},
         0.32},
        {"M48\nINCH,TZ\nT13C0.028\n%\nT13\nX000665Y023500\nX10\n",
         {1.6891, 59.69},
         {0.0254, 59.69},
         0.7112},
        {"M48\n;FILE_FORMAT=2:3\nINCH,LZ\nT1F00S00C0.012\n%\nT01\nX0152Y00455\n",
         {38.608, 11.557},
         {38.608, 11.557},
         0.3048},
        {"M48\nMETRIC\nT2C0.800\n%\nG90\nT2\nX3.75Y38.0\nG91\nX1.25Y-1.0\n",
         {3.75, 38},
         {5, 37},
         0.8},
        {"M48\nINCH\nT1C0.04\n%\nT1\nX1.0Y2.0\nM72\nM71\nX1.0Y2.0\nM30\nX9Y9\n",
         {25.4, 50.8},
         {1, 2},
         1.016},
    };
    for (const Case& c : cases) {
        const Board board = drill(c.text);
        ASSERT_GE(board.holes.size(), 1u) << c.text;
        expect_near(board.holes.front().at, c.first, c.text);
        expect_near(board.holes.back().at, c.last, c.text);
        EXPECT_NEAR(board.holes.front().diameter, c.diameter, 1e-9) << c.text;
        EXPECT_TRUE(board.notes.assumptions.isEmpty()) << c.text;
    }
}

TEST(ExcellonReader, SlotsToolsAndAFileWithoutHeader) {
    const Board board = drill(
        "M48\nMETRIC,TZ\nT1C0.400\nT2C1.001\n%\nT1\nX86.36Y-72.39\nT2\n"
        "X96.901Y-65.701G85X96.901Y-67.7\nX1Y1\nG00X5Y5\nM30\n");
    ASSERT_EQ(board.holes.size(), 2u);
    EXPECT_EQ(board.holes[1].tool, 2);
    ASSERT_EQ(board.slots.size(), 1u);
    expect_near(board.slots[0].to, {96.901, -67.7}, "slot end");
    EXPECT_EQ(board.slots[0].diameter, 1.001);
    EXPECT_EQ(board.notes.routed, 1);
    const Board bare = drill("T1C0.03\nT1\nX010000Y5000\n");
    ASSERT_EQ(bare.holes.size(), 1u);
    expect_near(bare.holes[0].at, {25.4, 12.7}, "default 2.4 inches");
    EXPECT_EQ(bare.notes.assumptions.size(), 1);
}

TEST(ExcellonReader, FilesAreToldApartByTheirContent) {
    testing::TempFolder folder;
    EXPECT_TRUE(is_drill_file(folder.write(QStringLiteral("a"), ";Layer\nM48\nINCH\n")));
    EXPECT_TRUE(is_drill_file(folder.write(QStringLiteral("b"), "T1C0.3\nX1Y1\n")));
    EXPECT_FALSE(is_drill_file(folder.write(QStringLiteral("c"), "G04 x*\n%FSLAX24Y24*%\n")));
    EXPECT_FALSE(is_drill_file(folder.write(QStringLiteral("d"), "%\nX1Y1D03*\n")));
}

}  // namespace
}  // namespace ostrel
