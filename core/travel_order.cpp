// Nearest-neighbour ordering over a k-d tree whose subtrees count the points still to visit, so
// that a search skips what was taken and stays near logarithmic even on clustered drawings.
#include "core/travel_order.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ostrel {

namespace {

// Points to visit; each belongs to an item (a stroke has two, a hole one), and taking an item
// takes all its points.
class NearestSearch {
public:
    NearestSearch(std::vector<PointMm> points, const std::vector<std::size_t>& item_of)
        : points_(sane(std::move(points))),
          order_(points_.size()),
          place_(points_.size()),
          alive_(points_.size()),
          split_x_(points_.size()) {
        for (std::size_t i = 0; i < order_.size(); ++i) {
            order_[i] = i;
        }
        build(0, order_.size());
        for (std::size_t at = 0; at < order_.size(); ++at) {
            place_[order_[at]] = at;
        }
        if (!item_of.empty()) {
            points_of_item_.resize(item_of.back() + 1);
            for (std::size_t i = 0; i < item_of.size(); ++i) {
                points_of_item_[item_of[i]].push_back(i);
            }
        }
        left_ = points_of_item_.size();
    }

    bool empty() const { return left_ == 0; }

    // The index of the point nearest to from among the items not taken yet; ties go to the lower
    // index.
    std::size_t nearest(PointMm from) const {
        Best best;
        search(0, order_.size(), from, best);
        return best.index;
    }

    void take(std::size_t item) {
        for (std::size_t point : points_of_item_[item]) {
            remove(place_[point]);
        }
        --left_;
    }

private:
    struct Best {
        std::size_t index = std::numeric_limits<std::size_t>::max();
        double distance = std::numeric_limits<double>::infinity();
    };

    // The subtree over order_[lo, hi) has its splitting point at the middle; alive_ at the middle
    // counts the subtree's points not taken.
    void build(std::size_t lo, std::size_t hi) {
        if (lo >= hi) {
            return;
        }
        double min_x = points_[order_[lo]].x, max_x = min_x;
        double min_y = points_[order_[lo]].y, max_y = min_y;
        for (std::size_t at = lo; at < hi; ++at) {
            const PointMm& p = points_[order_[at]];
            min_x = std::min(min_x, p.x);
            max_x = std::max(max_x, p.x);
            min_y = std::min(min_y, p.y);
            max_y = std::max(max_y, p.y);
        }
        const std::size_t mid = lo + (hi - lo) / 2;
        const bool by_x = !(max_y - min_y > max_x - min_x);
        const auto coordinate = [&](std::size_t i) { return by_x ? points_[i].x : points_[i].y; };
        std::nth_element(
            order_.begin() + static_cast<std::ptrdiff_t>(lo),
            order_.begin() + static_cast<std::ptrdiff_t>(mid),
            order_.begin() + static_cast<std::ptrdiff_t>(hi), [&](std::size_t a, std::size_t b) {
                return coordinate(a) < coordinate(b) || (coordinate(a) == coordinate(b) && a < b);
            });
        split_x_[mid] = by_x;
        alive_[mid] = hi - lo;
        build(lo, mid);
        build(mid + 1, hi);
    }

    void remove(std::size_t at) {
        std::size_t lo = 0, hi = order_.size();
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            --alive_[mid];
            if (at == mid) {
                return;
            }
            if (at < mid) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
    }

    void search(std::size_t lo, std::size_t hi, PointMm from, Best& best) const {
        if (lo >= hi) {
            return;
        }
        const std::size_t mid = lo + (hi - lo) / 2;
        if (alive_[mid] == 0) {
            return;
        }
        const std::size_t index = order_[mid];
        const PointMm& p = points_[index];
        const std::size_t left_alive = lo < mid ? alive_[lo + (mid - lo) / 2] : 0;
        const std::size_t right_alive = mid + 1 < hi ? alive_[mid + 1 + (hi - mid - 1) / 2] : 0;
        if (alive_[mid] > left_alive + right_alive) {  // the splitting point itself is left
            const double dx = p.x - from.x;
            const double dy = p.y - from.y;
            const double distance = dx * dx + dy * dy;
            if (distance < best.distance || (distance == best.distance && index < best.index)) {
                best = {index, distance};
            }
        }
        const double gap = split_x_[mid] ? from.x - p.x : from.y - p.y;
        const bool left_first = gap <= 0;
        for (int side = 0; side < 2; ++side) {
            const bool left = (side == 0) == left_first;
            if (side == 1 && gap * gap > best.distance) {
                return;
            }
            if (left) {
                search(lo, mid, from, best);
            } else {
                search(mid + 1, hi, from, best);
            }
        }
    }

    // A point that is no number would break the tree's order; it is visited as if at zero.
    static std::vector<PointMm> sane(std::vector<PointMm> points) {
        for (PointMm& p : points) {
            p.x = p.x == p.x ? p.x : 0;
            p.y = p.y == p.y ? p.y : 0;
        }
        return points;
    }

    const std::vector<PointMm> points_;
    std::vector<std::size_t> order_;  // point indices in tree order
    std::vector<std::size_t> place_;  // where each point stands in order_
    std::vector<std::size_t> alive_;
    std::vector<bool> split_x_;
    std::vector<std::vector<std::size_t>> points_of_item_;
    std::size_t left_ = 0;
};

}  // namespace

std::vector<Stroke> order_strokes(std::vector<Stroke> strokes, PointMm start) {
    std::vector<PointMm> ends;
    std::vector<std::size_t> item_of;
    std::vector<Stroke> kept;
    for (Stroke& stroke : strokes) {
        if (stroke.points.empty()) {
            continue;
        }
        ends.push_back(stroke.points.front());
        ends.push_back(stroke.points.back());
        item_of.push_back(kept.size());
        item_of.push_back(kept.size());
        kept.push_back(std::move(stroke));
    }
    std::vector<Stroke> ordered;
    ordered.reserve(kept.size());
    NearestSearch search(ends, item_of);
    PointMm at = start;
    while (!search.empty()) {
        const std::size_t end = search.nearest(at);
        const std::size_t item = item_of[end];
        search.take(item);
        Stroke& next = kept[item];
        if (end % 2 == 1) {
            std::reverse(next.points.begin(), next.points.end());
        }
        at = next.points.back();
        ordered.push_back(std::move(next));
    }
    return ordered;
}

std::vector<Hole> order_holes(std::vector<Hole> holes, PointMm start) {
    std::vector<PointMm> points;
    std::vector<std::size_t> item_of;
    for (std::size_t i = 0; i < holes.size(); ++i) {
        points.push_back(holes[i].at);
        item_of.push_back(i);
    }
    std::vector<Hole> ordered;
    ordered.reserve(holes.size());
    NearestSearch search(points, item_of);
    PointMm at = start;
    while (!search.empty()) {
        const std::size_t i = search.nearest(at);
        search.take(i);
        at = holes[i].at;
        ordered.push_back(holes[i]);
    }
    return ordered;
}

}  // namespace ostrel
