// Pieces joined into strokes where their ends meet within half a motor step, either way round.
#include "core/stroke_joining.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using Points = std::vector<PointMm>;

std::vector<Points> joined(const std::vector<Points>& pieces, JoinReach reach = {0.5, 0.5}) {
    std::vector<Stroke> strokes;
    for (const Points& p : pieces) {
        strokes.push_back({p});
    }
    std::vector<Points> out;
    for (const Stroke& s : join_strokes(strokes, reach)) {
        out.push_back(s.points);
    }
    return out;
}

TEST(StrokeJoining, PiecesThatMeetBecomeOneStrokeAndOthersStayApart) {
    struct Case {
        const char* what;
        std::vector<Points> pieces;
        std::vector<Points> strokes;
    };
    const Case cases[] = {
        {"in order", {{{0, 0}, {1, 0}}, {{1, 0}, {1, 1}}}, {{{0, 0}, {1, 0}, {1, 1}}}},
        {"the second backwards", {{{0, 0}, {1, 0}}, {{1, 1}, {1, 0}}}, {{{0, 0}, {1, 0}, {1, 1}}}},
        {"within reach: the joint's second point goes",
         {{{0, 0}, {10, 0}}, {{10.4, -0.5}, {20, 0}}},
         {{{0, 0}, {10, 0}, {20, 0}}}},
        {"out of reach on one axis",
         {{{0, 0}, {10, 0}}, {{10, 0.6}, {20, 0}}},
         {{{0, 0}, {10, 0}}, {{10, 0.6}, {20, 0}}}},
        {"grown at its start too",
         {{{5, 0}, {6, 0}}, {{9, 9}}, {{3, 0}, {5, 0}}, {{0, 0}, {3, 0}}},
         {{{0, 0}, {3, 0}, {5, 0}, {6, 0}}, {{9, 9}}}},
        {"the earliest piece is taken at a fork",
         {{{0, 0}, {1, 0}}, {{1, 0}, {1, 5}}, {{1, 0}, {5, 0}}},
         {{{0, 0}, {1, 0}, {1, 5}}, {{1, 0}, {5, 0}}}},
        {"empty pieces vanish", {{}, {{2, 2}, {3, 3}}, {}}, {{{2, 2}, {3, 3}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(joined(c.pieces), c.strokes);
    }
}

TEST(StrokeJoining, AThousandSegmentsEndToEndAndShuffledMakeOneStroke) {
    std::vector<Points> pieces;
    for (int i = 0; i < 1000; ++i) {
        // Every other one written backwards, and each start off by a hair of its end.
        const PointMm a{i * 0.01, (i % 7) * 0.01}, b{(i + 1) * 0.01 + 1e-7, ((i + 1) % 7) * 0.01};
        pieces.push_back(i % 2 ? Points{b, a} : Points{a, b});
    }
    std::swap(pieces[3], pieces[700]);
    const auto strokes = joined(pieces, {0.00125, 0.00125});
    ASSERT_EQ(strokes.size(), 1u);
    EXPECT_EQ(strokes[0].size(), 1001u);
}

}  // namespace
}  // namespace ostrel
