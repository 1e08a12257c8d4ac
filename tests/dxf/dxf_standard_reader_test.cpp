// The standard DXF reader on drawings checked by hand: pairs however written, every entity kind,
// inserts, units, paper space, and what is not drawn.
#include "dxf/dxf_standard_reader.h"

#include "core/operation_abandoned.h"
#include "tests/dxf/dxf_test_files.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <cmath>
#include <numbers>

namespace ostrel {
namespace {

using testing::pairs;
using testing::sections_file;
using Points = std::vector<PointMm>;

constexpr double kPi = std::numbers::pi;

struct Shapes final : DxfShapeSink {
    void path(std::span<const PointMm> points) override {
        paths.emplace_back(points.begin(), points.end());
    }
    void point(PointMm at) override { points.push_back(at); }
    void circle(PointMm centre, double diameter) override { circles.push_back({centre, diameter}); }
    std::vector<Points> paths;
    Points points;
    std::vector<std::pair<PointMm, double>> circles;
    DxfFileFacts facts;
};

double length(const Points& path) {
    double sum = 0;
    for (std::size_t i = 1; i < path.size(); ++i) {
        sum += std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
    }
    return sum;
}

// A curve flattened within 0.001 mm runs a little short of it: by a third of the tolerance over
// the radius at most, for the smallest radius of curvature.
void expect_curve_length(double actual, double exact, double smallest_radius) {
    EXPECT_LE(actual, exact + 1e-9);
    EXPECT_GE(actual, exact * (1 - 0.001 / (3 * smallest_radius)));
}

void expect_near(PointMm actual, PointMm expected, double within = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, within) << "y " << actual.y;
    EXPECT_NEAR(actual.y, expected.y, within) << "x " << actual.x;
}

class DxfStandardReaderTest : public ::testing::Test {
protected:
    Shapes read(const QByteArray& text, const DxfReadOptions& options = {}) {
        DxfStandardReader reader(folder.write("d.dxf", text), options);
        Shapes shapes;
        reader.read(shapes);
        shapes.facts = reader.facts();
        return shapes;
    }
    Shapes read_named(const char* name) {
        for (const auto& drawing : testing::standard_drawings()) {
            if (std::string_view(drawing.name) == name) {
                return read(drawing.text);
            }
        }
        ADD_FAILURE() << "no drawing " << name;
        return {};
    }

    testing::TempFolder folder;
};

TEST_F(DxfStandardReaderTest, PaddedOrNotAndAnyLineEndReadAlike) {
    const QByteArray unpadded =
        sections_file(pairs({{0, "LINE"}, {10, "1.5"}, {20, "-2"}, {11, "1e1"}, {21, " 3 "}}));
    QByteArray padded;
    const QList<QByteArray> lines = unpadded.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        padded += (i % 2 == 0 ? lines[i].rightJustified(3, ' ') : lines[i]) + '\n';
    }
    for (const QByteArray& base : {unpadded, padded}) {
        for (const char* end : {"\n", "\r\n", "\r"}) {
            QByteArray text = base;
            const Shapes shapes = read(text.replace("\n", end));
            ASSERT_EQ(shapes.paths.size(), 1u) << end;
            EXPECT_EQ(shapes.paths[0], (Points{{1.5, -2}, {10, 3}}));
        }
    }
}

TEST_F(DxfStandardReaderTest, ArcsCirclesAndEllipses) {
    const Shapes arcs = read_named("arcs-circles");
    ASSERT_EQ(arcs.paths.size(), 4u);
    // A quarter of radius 3 round (1, 2); 300° to 60° runs counter-clockwise through 0°.
    expect_near(arcs.paths[0].front(), {4, 2});
    expect_near(arcs.paths[0].back(), {1, 5});
    expect_curve_length(length(arcs.paths[0]), 3 * kPi / 2, 3);
    expect_curve_length(length(arcs.paths[1]), 2 * kPi * 2 / 3, 2);
    expect_near(arcs.paths[1].front(), {1, -std::sqrt(3.0)});
    expect_curve_length(length(arcs.paths[2]), 10 * kPi, 5);
    expect_near(arcs.paths[2].front(), arcs.paths[2].back());
    ASSERT_EQ(arcs.circles.size(), 2u);
    EXPECT_EQ(arcs.circles[0], (std::pair{PointMm{20, 0}, 10.0}));
    expect_near(arcs.circles[1].first, {-5, 0});  // extrusion 0, 0, -1

    const Shapes ellipses = read_named("ellipses");
    ASSERT_EQ(ellipses.paths.size(), 2u);
    // A quadrant of semi-axes 2 and 1, from the end of the major axis to the end of the minor.
    expect_near(ellipses.paths[0].front(), {2, 0});
    expect_near(ellipses.paths[0].back(), {0, 1});
    expect_curve_length(length(ellipses.paths[0]), 2.4221120551, 0.5);
    // A whole one with its major axis upright: 3 up and down, 0.75 across.
    double widest = 0;
    for (const PointMm& p : ellipses.paths[1]) {
        widest = std::max(widest, std::fabs(p.x - 10));
    }
    EXPECT_NEAR(widest, 0.75, 1e-3);
    expect_near(ellipses.paths[1].front(), {10, 13});
}

TEST_F(DxfStandardReaderTest, BulgesAndTheClosedFlagInBothPolylineKinds) {
    const Shapes shapes = read_named("bulged-polylines");
    ASSERT_EQ(shapes.paths.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const Points& path = shapes.paths[static_cast<std::size_t>(i)];
        const double y = 10.0 * i;
        // Down round (1, y) counter-clockwise, up round (3, y) clockwise, closed back to 0.
        expect_curve_length(length(path), 2 * kPi + 4, 1);
        double lowest = 0, highest = 0;
        for (const PointMm& p : path) {
            lowest = std::min(lowest, p.y - y);
            highest = std::max(highest, p.y - y);
            if (p.x < 2 && p.y - y < 0) {
                EXPECT_NEAR(std::hypot(p.x - 1, p.y - y), 1, 1e-9);
            }
        }
        EXPECT_NEAR(lowest, -1, 1e-6);
        EXPECT_NEAR(highest, 1, 1e-6);
        expect_near(path.back(), {0, y});
    }
}

TEST_F(DxfStandardReaderTest, SplinesByControlPointsAndByFitPoints) {
    const Shapes shapes = read_named("splines");
    ASSERT_EQ(shapes.paths.size(), 2u);
    // The clamped cubic is the Bezier curve of its control points: (2, 1.5) at its middle.
    const Points& bezier = shapes.paths[0];
    expect_near(bezier.front(), {0, 0});
    expect_near(bezier.back(), {4, 0});
    double nearest = 1;
    for (const PointMm& p : bezier) {
        nearest = std::min(nearest, std::hypot(p.x - 2, p.y - 1.5));
    }
    EXPECT_LT(nearest, 1e-9);
    // Through its fit points.
    const Points& fitted = shapes.paths[1];
    expect_near(fitted.front(), {0, 5});
    expect_near(fitted.back(), {2, 5});
    double top = 0;
    for (const PointMm& p : fitted) {
        top = std::max(top, p.y);
    }
    EXPECT_NEAR(top, 6, 0.001);
}

TEST_F(DxfStandardReaderTest, InsertsPlaceBlocksMirroredTurnedNestedAndInArrays) {
    // Block B: a line (1, 0)-(2, 0) and a quarter arc round its base; at (10, 10), X scale -1,
    // turned 90°: (x, y) becomes (10 - y, 10 - x).
    const Shapes turned = read_named("insert-mirrored-turned");
    ASSERT_EQ(turned.paths.size(), 2u);
    EXPECT_EQ(turned.paths[0].size(), 2u);
    expect_near(turned.paths[0][0], {10, 9});
    expect_near(turned.paths[0][1], {10, 8});
    expect_near(turned.paths[1].front(), {10, 9});
    expect_near(turned.paths[1].back(), {9, 10});
    // INNER, a unit line, twice as large at (5, 0) in OUTER; OUTER at (0, 10) turned 90°.
    const Shapes nested = read_named("nested-inserts");
    ASSERT_EQ(nested.paths.size(), 1u);
    expect_near(nested.paths[0][0], {0, 15});
    expect_near(nested.paths[0][1], {0, 17});
    // Three columns 10 apart, two rows 5 apart.
    const Shapes array = read_named("arrays");
    ASSERT_EQ(array.paths.size(), 6u);
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 2; ++row) {
            const Points& path = array.paths[static_cast<std::size_t>(column * 2 + row)];
            expect_near(path[0], {10.0 * column, 5.0 * row});
            expect_near(path[1], {10.0 * column + 1, 5.0 * row});
        }
    }
    EXPECT_EQ(array.facts.drawn, 6);
}

TEST_F(DxfStandardReaderTest, UnitsFromTheHeaderOrAsChosen) {
    const QByteArray line = pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "2"}});
    const struct {
        int insunits;
        std::optional<double> chosen;
        double mm;
    } cases[] = {{1, {}, 25.4}, {-1, {}, 1}, {0, {}, 1},       {6, {}, 1000},
                 {5, {}, 10},   {1, 1.0, 1}, {4, 304.8, 304.8}};
    for (const auto& c : cases) {
        const Shapes shapes = read(sections_file(line, {}, c.insunits), {.mm_per_unit = c.chosen});
        ASSERT_EQ(shapes.paths.size(), 1u);
        expect_near(shapes.paths[0][1], {c.mm, 2 * c.mm});
        EXPECT_EQ(shapes.facts.mm_per_unit, c.mm);
        EXPECT_EQ(shapes.facts.insunits.has_value(), c.insunits >= 0);
    }
}

TEST_F(DxfStandardReaderTest, PaperSpaceAndUndrawnKindsAreCountedAndTold) {
    const Shapes paper = read_named("paper-space");
    EXPECT_EQ(paper.paths.size(), 1u);
    EXPECT_EQ(paper.facts.paper_space, 1);
    // Kinds never drawn count as paper space there, not as left out of the drawing.
    const Shapes viewport =
        read(sections_file(pairs({{0, "VIEWPORT"}, {67, "1"}, {0, "VIEWPORT"}, {67, "0"}})));
    EXPECT_EQ(viewport.facts.paper_space, 1);
    EXPECT_EQ(viewport.facts.skipped, (std::map<std::string, std::int64_t>{{"VIEWPORT", 1}}));

    const QByteArray text =
        sections_file(pairs({{0, "TEXT"},   {10, "1"},     {20, "1"},      {1, "LINE"},
                             {0, "MTEXT"},  {1, "x"},      {0, "TEXT"},    {10, "bad but unread"},
                             {0, "HATCH"},  {0, "INSERT"}, {2, "NOWHERE"}, {0, "POLYLINE"},
                             {70, "64"},    {0, "VERTEX"}, {10, "1"},      {20, "1"},
                             {0, "SEQEND"}, {0, "POINT"},  {10, "3"},      {20, "4"}}));
    const Shapes shapes = read(text);
    EXPECT_EQ(shapes.paths, (std::vector<Points>{{{3, 4}}}));
    EXPECT_EQ(shapes.points, (Points{{3, 4}}));
    const std::map<std::string, std::int64_t> skipped = {
        {"HATCH", 1}, {"MTEXT", 1}, {"POLYLINE (сеть)", 1}, {"TEXT", 2}};
    EXPECT_EQ(shapes.facts.skipped, skipped);
    EXPECT_EQ(shapes.facts.missing_blocks, std::vector<std::string>{"NOWHERE"});
    EXPECT_EQ(dxf_left_out_message("f.dxf", shapes.facts),
              "Файл \"f.dxf\": не рисуются примитивы HATCH 1, MTEXT 1, POLYLINE (сеть) 1, "
              "TEXT 2; нет описания блоков \"NOWHERE\"");
    EXPECT_EQ(dxf_left_out_message("f.dxf", read_named("lines-points").facts), QString());
}

TEST_F(DxfStandardReaderTest, ABlockHoldingItselfEndsAtTheDeepestLevel) {
    const QByteArray loop = testing::block("LOOP", "0", "0",
                                           pairs({{0, "LINE"},
                                                  {10, "0"},
                                                  {20, "0"},
                                                  {11, "1"},
                                                  {21, "0"},
                                                  {0, "INSERT"},
                                                  {2, "LOOP"},
                                                  {10, "0"},
                                                  {20, "1"}}));
    const Shapes shapes =
        read(sections_file(pairs({{0, "INSERT"}, {2, "loop"}, {10, "0"}, {20, "0"}}), loop));
    EXPECT_EQ(shapes.paths.size(), 16u);
    EXPECT_EQ(shapes.facts.too_deep, 1);
    expect_near(shapes.paths.back()[0], {0, 15});
    // Arrays of arrays past any drawing a machine could make are refused, not tried.
    const QByteArray wide = testing::block(
        "WIDE", "0", "0", pairs({{0, "INSERT"}, {2, "INNERMOST"}, {70, "100000"}, {71, "100000"}}));
    const QByteArray innermost =
        testing::block("INNERMOST", "0", "0", pairs({{0, "POINT"}, {10, "0"}, {20, "0"}}));
    EXPECT_THROW(read(sections_file(pairs({{0, "INSERT"}, {2, "WIDE"}}), innermost + wide)),
                 OperationAbandoned);
}

TEST_F(DxfStandardReaderTest, TextsAreTakenInTheFilesCodePageAndBadNumbersNamed) {
    EXPECT_EQ(dxf_text("\xD0\xE0\xEC\xEA\xE0", "ANSI_1251"), QStringLiteral("Рамка"));
    EXPECT_EQ(dxf_text("\\U+0420\xC3\xA4", ""), QStringLiteral("Рä"));
    try {
        read(sections_file(pairs({{0, "LINE"}, {10, "1,5"}, {20, "x1"}})));
        ADD_FAILURE() << "read a coordinate that is no number";
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(),
                  "В файле \"" + folder.path("d.dxf") + "\" в строке 26 вместо числа \"x1\"");
    }
    EXPECT_THROW(read("0\nSECTION\nTWO\nENTITIES\n"), OperationAbandoned);
}

}  // namespace
}  // namespace ostrel
