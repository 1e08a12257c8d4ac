// A program's canonical moves as the machine follows them: placed on the table, arcs cut into
// chords within half a motor step, each piece handed on as a straight move in space.
#pragma once

#include "core/placement.h"
#include "gcode/gcode_interpreter.h"

#include <vector>

namespace ostrel {

class GcodePath : public GcodeSink {
public:
    // map places X and Y (Z is the machine's own: up from the work surface); tolerance is how far
    // a chord may stray from its arc, mm; start is where the program takes the tool to stand.
    GcodePath(const PlacementMap& map, double tolerance, Point3 start = {})
        : map_(map), tolerance_(tolerance), at_(start) {}

    void take(const GcodeMove& move) final;

protected:
    // A straight piece from where the last one ended to `to`, in machine millimetres, a rapid or
    // a feed of the move it belongs to.
    virtual void piece(Point3 to, const GcodeMove& move) = 0;
    // Dwell, pause, tool change, message.
    virtual void event(const GcodeMove& move) = 0;

private:
    void arc(const GcodeMove& move);
    Point3 placed(Point3 file) const;

    PlacementMap map_;
    double tolerance_;
    Point3 at_;  // file frame
    std::vector<PointMm> chords_;
    std::vector<double> heights_;
};

// The chord points of an arc from `from`, first left out and the end exactly `move.to`; a
// spiral where the end's radius differs from the start's, Z evenly along the way.
void arc_chords(Point3 from, const GcodeMove& move, double tolerance, std::vector<PointMm>& xy,
                std::vector<double>& z);

}  // namespace ostrel
