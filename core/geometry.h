// Drawings and boards as the true-size readers give them: points, strokes and holes in millimetres.
#pragma once

#include <algorithm>
#include <vector>

namespace ostrel {

struct PointMm {
    double x = 0;
    double y = 0;
    bool operator==(const PointMm&) const = default;
};

// The smallest box around what was included; empty until something was.
struct BoxMm {
    bool empty = true;
    double min_x = 0;
    double min_y = 0;
    double max_x = 0;
    double max_y = 0;

    void include(PointMm p) {
        if (empty) {
            min_x = max_x = p.x;
            min_y = max_y = p.y;
            empty = false;
            return;
        }
        min_x = std::min(min_x, p.x);
        max_x = std::max(max_x, p.x);
        min_y = std::min(min_y, p.y);
        max_y = std::max(max_y, p.y);
    }
    void include_box(const BoxMm& other) {
        if (!other.empty) {
            include(PointMm{other.min_x, other.min_y});
            include(PointMm{other.max_x, other.max_y});
        }
    }
};

// A line drawn with the tool down through its points, first to last. A stroke of one point marks
// that point only.
struct Stroke {
    std::vector<PointMm> points;
};

// A hole to drill: where, how wide (0 when the file does not say), and the tool of the drill file.
struct Hole {
    PointMm at;
    double diameter = 0;
    int tool = 0;
};

}  // namespace ostrel
