// PlacementMap: mirror first, then the offset, so that a mirrored board's corner still lands at
// the tool.
#include "core/placement.h"

namespace ostrel {

PlacementMap::PlacementMap(const Placement& placement, const BoxMm& extents, PointMm tool)
    : offset_(placement.offset), mirror_x_(placement.mirror_x) {
    if (placement.origin == PlacementOrigin::Corner) {
        offset_ = {};
        const BoxMm mirrored = (*this)(extents);
        offset_ = mirrored.empty ? tool : PointMm{tool.x - mirrored.min_x, tool.y - mirrored.min_y};
    }
}

BoxMm PlacementMap::operator()(const BoxMm& file) const {
    BoxMm placed;
    if (!file.empty) {
        placed.include((*this)(PointMm{file.min_x, file.min_y}));
        placed.include((*this)(PointMm{file.max_x, file.max_y}));
    }
    return placed;
}

}  // namespace ostrel
