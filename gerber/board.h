// A printed-circuit board as the true-size Gerber and drill readers give it, in millimetres.
#pragma once

#include "core/geometry.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace ostrel {

// One piece of an aperture: a circle, or a polygon (closed, its first point not repeated). Solid
// pieces add copper, holes leave the aperture open there. Solid polygons run counterclockwise
// and holes clockwise, so that a nonzero fill of any number of pieces together paints the copper
// they make; a hole lies within exactly one solid piece.
struct ShapePart {
    bool solid = true;
    bool circle = false;
    PointMm centre;  // a circle's
    double radius = 0;
    std::vector<PointMm> polygon;
};

// An aperture's shape around its own origin.
struct ApertureShape {
    enum class Kind { Circle, Rectangle, Other };
    Kind kind = Kind::Other;
    double width = 0;   // the circle's diameter, the rectangle's width
    double height = 0;  // the rectangle's height
    std::vector<ShapePart> parts;
    BoxMm box;
    // An aperture block, which is no shape this reader draws.
    bool block = false;
};

// A straight track drawn with a circle or rectangle aperture.
struct Track {
    PointMm from;
    PointMm to;
    std::uint32_t aperture = 0;  // index into Board::apertures
};

// An arc drawn with a circle aperture: from its start around the centre by sweep radians
// (positive counterclockwise), ending at to. A full circle sweeps 2 pi and ends where it began.
struct ArcTrack {
    PointMm from;
    PointMm to;
    PointMm centre;
    double sweep = 0;
    std::uint32_t aperture = 0;
};

// An aperture flashed at a point.
struct Pad {
    PointMm at;
    std::uint32_t aperture = 0;
};

// A filled area bounded by one closed contour (arcs already made into short lines).
struct Region {
    std::vector<PointMm> contour;
};

// A slot routed between two points with a drill of the tool's diameter.
struct Slot {
    PointMm from;
    PointMm to;
    double diameter = 0;
    int tool = 0;
};

// Objects of one polarity that follow each other in the file. Within a level the order does not
// matter; the levels are painted in order, a clear one taking away what the ones before made.
struct BoardLevel {
    bool clear = false;
    std::vector<Track> tracks;
    std::vector<ArcTrack> arcs;
    std::vector<Pad> pads;
    std::vector<Region> regions;

    bool empty() const { return tracks.empty() && arcs.empty() && pads.empty() && regions.empty(); }
};

// What a reader passed over or assumed, for the one message the operator gets about it.
struct BoardNotes {
    long long clear_objects = 0;    // drawn in a clear-polarity level: a pen can't take copper off
    long long aperture_blocks = 0;  // flashes of aperture blocks, which no job draws
    long long unknown_apertures = 0;   // draws and flashes with an aperture the file never defined
    long long unknown_primitives = 0;  // macro primitives of kinds not drawn
    long long routed = 0;              // routing moves of a drill file: this machine only drills
    QStringList assumptions;           // what the file did not say and the reader took
};

// The level of that polarity at the end of levels: the last one, or a new one after it.
BoardLevel& level_in(std::vector<BoardLevel>& levels, bool clear);

struct Board {
    std::vector<ApertureShape> apertures;
    std::vector<BoardLevel> levels;
    std::vector<Hole> holes;
    std::vector<Slot> slots;
    BoardNotes notes;

    BoardLevel& level(bool clear) { return level_in(levels, clear); }
    // Everything drawn, copper at its width and holes at their diameter, in file coordinates.
    BoxMm extents() const;
    // The box an object covers.
    BoxMm box_of(const Track& track) const;
    BoxMm box_of(const ArcTrack& arc) const;
    BoxMm box_of(const Pad& pad) const;
    long long copper_objects() const;

private:
    // Whether the arc lies well inside box, so that its box, costly to work out, changes nothing.
    bool arc_inside(const ArcTrack& arc, const BoxMm& box) const;
};

// An arc's points from its start to its end, so many that no chord strays more than tolerance
// from the arc; the last point is the arc's end exactly. Radii that differ at the two ends (as
// rounded coordinates leave them) are blended along the way.
std::vector<PointMm> arc_points(PointMm from, PointMm to, PointMm centre, double sweep,
                                double tolerance);

// How many sides a circle of this radius needs so that no side strays more than tolerance from
// it (at least 8, at most 4096).
int circle_sides(double radius, double tolerance);
// The radius of the corners of a polygon of that many sides that straddles a circle of this
// radius, as far outside at its corners as inside at the middles of its sides: it covers what
// the circle covers as nearly as such a polygon can.
double straddling_radius(double radius, int sides);

}  // namespace ostrel
