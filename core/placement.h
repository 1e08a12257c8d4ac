// Where a true-size drawing lands on the machine: the file's origin, or its corner at the tool.
#pragma once

#include "core/geometry.h"

namespace ostrel {

enum class PlacementOrigin {
    File,    // the file's zero at the machine's zero, moved by the offset
    Corner,  // the drawing's lower-left corner where the tool stands
};

// What the operator chose. Boards are mirrored in X for their bottom side, before the offset.
struct Placement {
    PlacementOrigin origin = PlacementOrigin::File;
    PointMm offset;  // used with the File origin; the Corner origin works its own out
    bool mirror_x = false;
};

// The map from file coordinates to machine coordinates that one job or preview uses.
class PlacementMap {
public:
    PlacementMap() = default;
    // extents: the whole drawing in file coordinates; tool: where the tool stands now (X, Y).
    PlacementMap(const Placement& placement, const BoxMm& extents, PointMm tool);

    PointMm operator()(PointMm file) const {
        return {(mirror_x_ ? -file.x : file.x) + offset_.x, file.y + offset_.y};
    }
    BoxMm operator()(const BoxMm& file) const;
    // The offset that was used: the one given, or the one the corner gave. Kept with the job
    // parameters, so that the drill file of the same board lands on the copper's pads.
    PointMm offset() const { return offset_; }
    bool mirror_x() const { return mirror_x_; }

private:
    PointMm offset_;
    bool mirror_x_ = false;
};

}  // namespace ostrel
