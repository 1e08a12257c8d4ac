// Placement of a true-size drawing and the travel order of strokes and holes.
#include "core/placement.h"
#include "core/travel_order.h"

#include <gtest/gtest.h>
#include <random>

namespace ostrel {
namespace {

BoxMm box(double x0, double y0, double x1, double y1) {
    BoxMm b;
    b.include({x0, y0});
    b.include({x1, y1});
    return b;
}

TEST(Placement, OriginCornerAndMirror) {
    const BoxMm board = box(10, 20, 40, 50);
    const PointMm tool{5, 7};
    struct Case {
        Placement placement;
        PointMm file, machine, offset;
    } cases[] = {
        {{PlacementOrigin::File, {0, 0}, false}, {10, 20}, {10, 20}, {0, 0}},
        {{PlacementOrigin::File, {1.5, -2}, false}, {10, 20}, {11.5, 18}, {1.5, -2}},
        {{PlacementOrigin::File, {1.5, -2}, true}, {10, 20}, {-8.5, 18}, {1.5, -2}},
        // The corner lands where the tool stands; a given offset does not count.
        {{PlacementOrigin::Corner, {99, 99}, false}, {10, 20}, {5, 7}, {-5, -13}},
        {{PlacementOrigin::Corner, {}, false}, {40, 50}, {35, 37}, {-5, -13}},
        // Mirrored, the file's right edge becomes the left: x = 40 lands at the tool.
        {{PlacementOrigin::Corner, {}, true}, {40, 20}, {5, 7}, {45, -13}},
        {{PlacementOrigin::Corner, {}, true}, {10, 50}, {35, 37}, {45, -13}},
    };
    for (const Case& c : cases) {
        const PlacementMap map(c.placement, board, tool);
        EXPECT_EQ(map(c.file), c.machine) << c.file.x << "," << c.file.y;
        EXPECT_EQ(map.offset(), c.offset);
    }
    const BoxMm placed = PlacementMap({PlacementOrigin::Corner, {}, true}, board, tool)(board);
    EXPECT_EQ(std::tuple(placed.min_x, placed.min_y, placed.max_x, placed.max_y),
              std::tuple(5.0, 7.0, 35.0, 37.0));
    // Nothing drawn: the corner is the tool itself.
    EXPECT_EQ(PlacementMap({PlacementOrigin::Corner, {}, false}, BoxMm{}, tool).offset(), tool);
}

Stroke stroke(std::initializer_list<PointMm> points) {
    return Stroke{points};
}

TEST(TravelOrder, NearestEndNextAndStrokesTurnedWhenTheirFarEndIsNearer) {
    const std::vector<Stroke> ordered = order_strokes(
        {stroke({{10, 0}, {20, 0}}), stroke({{5, 5}, {1, 1}}), stroke({{30, 0}, {21, 0}})}, {0, 0});
    ASSERT_EQ(ordered.size(), 3u);
    EXPECT_EQ(ordered[0].points, (std::vector<PointMm>{{1, 1}, {5, 5}}));
    EXPECT_EQ(ordered[1].points, (std::vector<PointMm>{{10, 0}, {20, 0}}));
    EXPECT_EQ(ordered[2].points, (std::vector<PointMm>{{21, 0}, {30, 0}}));
    // Equal distances: the earlier one first; empty strokes dropped.
    const std::vector<Hole> holes =
        order_holes({{{-1, 0}, 1, 1}, {{1, 0}, 2, 1}, {{0, 1}, 3, 2}}, {0, 0});
    EXPECT_EQ(holes[0].diameter, 1);
    EXPECT_EQ(holes[1].diameter, 3);  // (0,1) is nearer to (-1,0) than (1,0) is
    EXPECT_EQ(order_strokes({Stroke{}}, {0, 0}).size(), 0u);
}

// The grid search finds what a plain search over everything finds, clusters and far starts
// included.
TEST(TravelOrder, AgreesWithASearchOverEveryHole) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::uniform_real_distribution<double> coordinate(round % 2 ? -1e3 : 0,
                                                          round % 3 ? 1 : 1e4);
        std::vector<Hole> holes(1 + random() % 400);
        for (Hole& hole : holes) {
            hole.at = {coordinate(random), coordinate(random)};
            if (random() % 5 == 0) {
                hole.at.y = 3;  // a row
            }
        }
        const PointMm start{round * 1e5, -round * 1.0};
        std::vector<Hole> expected;
        std::vector<bool> used(holes.size());
        PointMm at = start;
        for (std::size_t n = 0; n < holes.size(); ++n) {
            std::size_t best = holes.size();
            double best_distance = 0;
            for (std::size_t i = 0; i < holes.size(); ++i) {
                const double d = std::hypot(holes[i].at.x - at.x, holes[i].at.y - at.y);
                if (!used[i] && (best == holes.size() || d < best_distance)) {
                    best = i;
                    best_distance = d;
                }
            }
            used[best] = true;
            at = holes[best].at;
            expected.push_back(holes[best]);
        }
        const std::vector<Hole> ordered = order_holes(holes, start);
        ASSERT_EQ(ordered.size(), expected.size());
        for (std::size_t i = 0; i < ordered.size(); ++i) {
            ASSERT_EQ(ordered[i].at, expected[i].at) << "round " << round << ", hole " << i;
        }
    }
}

}  // namespace
}  // namespace ostrel
