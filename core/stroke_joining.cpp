// Stroke joining over a grid of cells as wide as the reach, so each end is looked for only in the
// nine cells around it.
#include "core/stroke_joining.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>

namespace ostrel {

namespace {

struct Cell {
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool operator==(const Cell&) const = default;
};

struct CellHash {
    std::size_t operator()(const Cell& c) const {
        return std::hash<std::int64_t>()(c.x * 0x9E3779B97F4A7C15LL ^ c.y);
    }
};

// The ends of pieces by cell, each cell's in the order of the pieces.
class EndGrid {
public:
    EndGrid(const std::vector<Stroke>& pieces, JoinReach reach)
        : pieces_(pieces),
          reach_(reach),
          cell_x_(reach.x > 0 ? reach.x : 1),
          cell_y_(reach.y > 0 ? reach.y : 1),
          used_(pieces.size(), false) {
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (pieces[i].points.empty()) {
                used_[i] = true;
                continue;
            }
            cells_[cell_of(pieces[i].points.front())].push_back(2 * i);
            cells_[cell_of(pieces[i].points.back())].push_back(2 * i + 1);
        }
    }

    bool used(std::size_t piece) const { return used_[piece]; }
    void use(std::size_t piece) { used_[piece] = true; }

    // The end (2 * piece, + 1 for its last point) of the earliest unused piece that has one within
    // reach of p, or none.
    std::size_t nearest_end(PointMm p) {
        std::size_t best = kNone;
        const Cell centre = cell_of(p);
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                const auto found = cells_.find(Cell{centre.x + dx, centre.y + dy});
                if (found == cells_.end()) {
                    continue;
                }
                std::vector<std::size_t>& ends = found->second;
                // Ends of used pieces at the front of a cell are dropped for good; the first
                // unused one within reach is the cell's earliest.
                std::size_t dead = 0;
                while (dead < ends.size() && used_[ends[dead] / 2]) {
                    ++dead;
                }
                ends.erase(ends.begin(), ends.begin() + static_cast<std::ptrdiff_t>(dead));
                for (std::size_t end : ends) {
                    if (end >= best) {
                        break;
                    }
                    if (!used_[end / 2] && within_reach(point_of(end), p)) {
                        best = end;
                        break;
                    }
                }
            }
        }
        return best;
    }

    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

private:
    PointMm point_of(std::size_t end) const {
        const auto& points = pieces_[end / 2].points;
        return end % 2 == 0 ? points.front() : points.back();
    }
    bool within_reach(PointMm a, PointMm b) const {
        return std::fabs(a.x - b.x) <= reach_.x && std::fabs(a.y - b.y) <= reach_.y;
    }
    // Far-off and broken coordinates land in the outermost cells; they still compare exactly.
    static std::int64_t index(double v, double cell) {
        constexpr double kFar = 1e15;
        const double q = std::floor(v / cell);
        return static_cast<std::int64_t>(q == q ? std::clamp(q, -kFar, kFar) : 0);
    }
    Cell cell_of(PointMm p) const { return {index(p.x, cell_x_), index(p.y, cell_y_)}; }

    const std::vector<Stroke>& pieces_;
    JoinReach reach_;
    double cell_x_;
    double cell_y_;
    std::vector<bool> used_;
    std::unordered_map<Cell, std::vector<std::size_t>, CellHash> cells_;
};

}  // namespace

std::vector<Stroke> join_strokes(std::vector<Stroke> pieces, JoinReach reach) {
    EndGrid grid(pieces, reach);
    std::vector<Stroke> strokes;
    for (std::size_t first = 0; first < pieces.size(); ++first) {
        if (grid.used(first)) {
            continue;
        }
        grid.use(first);
        std::vector<PointMm> points = std::move(pieces[first].points);
        // Grown at its end, turned round and grown again at what was its start, turned back.
        for (int side = 0; side < 2; ++side) {
            for (;;) {
                const std::size_t end = grid.nearest_end(points.back());
                if (end == EndGrid::kNone) {
                    break;
                }
                grid.use(end / 2);
                std::vector<PointMm>& next = pieces[end / 2].points;
                if (end % 2 == 1) {
                    std::reverse(next.begin(), next.end());
                }
                points.insert(points.end(), next.begin() + 1, next.end());
                next.clear();
            }
            std::reverse(points.begin(), points.end());
        }
        strokes.push_back({std::move(points)});
    }
    return strokes;
}

}  // namespace ostrel
