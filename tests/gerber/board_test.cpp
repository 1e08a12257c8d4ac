// The board's extents: the box of everything drawn, the same however it is worked out.
#include "gerber/board.h"
#include "gerber/aperture_shape.h"

#include <gtest/gtest.h>
#include <cmath>
#include <numbers>
#include <random>

namespace ostrel {
namespace {

// Arcs inside, across and outside the box the tracks make, some whole circles, some whose two
// radii differ as rounded ends leave them: the extents skip the arcs well inside, and must come
// out as the union of every object's own box to the last bit.
TEST(Board, ExtentsAreTheUnionOfEveryObjectsBox) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(-2, 12);
    std::uniform_real_distribution<double> radius(0.05, 3);
    std::uniform_real_distribution<double> turn(-2 * std::numbers::pi, 2 * std::numbers::pi);
    for (int round = 0; round < 200; ++round) {
        Board board;
        board.apertures = {circle_aperture(0.25, 0), circle_aperture(1.5, 0)};
        BoardLevel& level = board.level(false);
        level.tracks.push_back({{0, 0}, {10, 10}, 0});
        for (int k = 0; k < 40; ++k) {
            const PointMm centre{place(random), place(random)};
            const double r = radius(random);
            const double a0 = turn(random);
            const double sweep = k % 10 == 0 ? 2 * std::numbers::pi : turn(random);
            const double r1 = r * (1 + (k % 3 == 0 ? 1e-6 : 0));
            level.arcs.push_back(
                {{centre.x + r * std::cos(a0), centre.y + r * std::sin(a0)},
                 {centre.x + r1 * std::cos(a0 + sweep), centre.y + r1 * std::sin(a0 + sweep)},
                 centre,
                 sweep,
                 static_cast<std::uint32_t>(k % 2)});
        }
        BoxMm expected;
        for (const ArcTrack& arc : level.arcs) {
            expected.include_box(board.box_of(arc));
        }
        expected.include_box(board.box_of(level.tracks.front()));
        const BoxMm box = board.extents();
        ASSERT_EQ(box.min_x, expected.min_x) << "round " << round;
        ASSERT_EQ(box.max_x, expected.max_x) << "round " << round;
        ASSERT_EQ(box.min_y, expected.min_y) << "round " << round;
        ASSERT_EQ(box.max_y, expected.max_y) << "round " << round;
    }
}

}  // namespace
}  // namespace ostrel
