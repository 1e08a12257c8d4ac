// The standard mode's model of a drawing: the reader's paths kept as pieces, then joined.
#include "dxf/dxf_drawing.h"

#include <cmath>

namespace ostrel {

namespace {

class DrawingSink final : public DxfShapeSink {
public:
    DrawingSink(DxfDrawing& drawing, bool circles_as_holes)
        : drawing_(drawing), circles_as_holes_(circles_as_holes) {}

    void path(std::span<const PointMm> points) override {
        for (std::size_t i = 0; i < points.size(); ++i) {
            drawing_.extents.include(points[i]);
            if (i > 0) {
                drawing_.length_mm +=
                    std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y);
            }
        }
        ++drawing_.pieces;
        drawing_.segments += static_cast<std::int64_t>(points.size()) - 1;
        pieces_.push_back({std::vector<PointMm>(points.begin(), points.end())});
    }
    void point(PointMm at) override { drawing_.holes.push_back({at, 0, 0}); }
    void circle(PointMm centre, double diameter) override {
        if (circles_as_holes_) {
            drawing_.holes.push_back({centre, diameter, 0});
        }
    }

    std::vector<Stroke> take_pieces() { return std::move(pieces_); }

private:
    DxfDrawing& drawing_;
    bool circles_as_holes_;
    std::vector<Stroke> pieces_;
};

}  // namespace

std::optional<double> dxf_unit_named(const QString& name) {
    static constexpr std::pair<const char*, double> kUnits[] = {
        {"mm", 1.0}, {"cm", 10.0}, {"m", 1000.0}, {"in", 25.4}, {"ft", 304.8}};
    for (const auto& [unit_name, mm] : kUnits) {
        if (name == QLatin1String(unit_name)) {
            return mm;
        }
    }
    return std::nullopt;
}

DxfDrawing read_dxf_drawing(const QString& path, const DxfStandardSettings& settings,
                            JoinReach reach) {
    DxfDrawing drawing;
    DrawingSink sink(drawing, settings.circles_as_holes);
    DxfReadOptions options;
    options.mm_per_unit = settings.mm_per_unit;
    options.chord_tolerance_mm = settings.chord_tolerance_mm;
    DxfStandardReader reader(path, options);
    reader.read(sink);
    drawing.facts = reader.facts();
    drawing.strokes = join_strokes(sink.take_pieces(), reach);
    return drawing;
}

std::vector<Stroke> placed_strokes(const std::vector<Stroke>& strokes, const PlacementMap& map) {
    std::vector<Stroke> placed;
    placed.reserve(strokes.size());
    for (const Stroke& stroke : strokes) {
        Stroke moved;
        moved.points.reserve(stroke.points.size());
        for (const PointMm& p : stroke.points) {
            moved.points.push_back(map(p));
        }
        placed.push_back(std::move(moved));
    }
    return placed;
}

std::vector<Hole> placed_holes(const std::vector<Hole>& holes, const PlacementMap& map) {
    std::vector<Hole> placed = holes;
    for (Hole& hole : placed) {
        hole.at = map(hole.at);
    }
    return placed;
}

}  // namespace ostrel
