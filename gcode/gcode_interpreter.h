// The RS-274/NGC subset CAM programs write, turned into canonical moves in millimetres.
#pragma once

#include "core/geometry.h"
#include "gcode/gcode_block.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string_view>

namespace ostrel {

struct Point3 {
    double x = 0;
    double y = 0;
    double z = 0;
    bool operator==(const Point3&) const = default;
};

// One thing the program asks of the machine, in the file's own frame (G92 offsets applied,
// millimetres, Z up from the work surface).
struct GcodeMove {
    enum class Kind {
        Rapid,       // G0 straight to `to`
        Feed,        // G1 straight to `to` at feed
        Arc,         // G2/G3 round centre to `to`, Z changing evenly along the way
        Dwell,       // G4: seconds
        Pause,       // M0, M1: the word in text
        ToolChange,  // M6: tool
        Message,     // (MSG,...): text
    };
    Kind kind = Kind::Rapid;
    std::int64_t line = 0;  // 1-based line of the file
    Point3 to;
    PointMm centre;
    // Arcs: turns counter-clockwise when positive, clockwise when negative; 1 is up to one full
    // turn (a full circle when the arc ends where it starts), each more adds a full turn.
    int turns = 0;
    double feed = 0;  // mm per minute
    double seconds = 0;
    int tool = 0;
    std::string_view text;  // valid only while the move is being taken
};

// Where the moves go: a check, a preview, a job.
class GcodeSink {
public:
    virtual ~GcodeSink() = default;
    virtual void take(const GcodeMove& move) = 0;
};

// The modal state of a running program and the order of execution within a line. Each line
// either does what it says or throws OperationAbandoned naming the file, the line and the word;
// a checking pass over the whole file therefore finds any refusal before a job moves.
class GcodeInterpreter {
public:
    // file names the program in messages; start is where the tool is taken to stand (file frame).
    GcodeInterpreter(GcodeSink& sink, QString file, Point3 start = {});

    // The next line of the program (line: its 1-based number). Lines after the program's end
    // (M2, M30, or the closing "%") are passed over.
    void run_line(std::string_view text, std::int64_t line);
    bool ended() const { return ended_; }
    // Spindle, coolant or path-blending words were met; the machine has none of them.
    bool met_ignored_words() const { return ignored_words_; }
    Point3 position() const { return pos_; }

private:
    enum Motion {
        kNone = -1,
        kG0 = 0,
        kG1 = 10,
        kG2 = 20,
        kG3 = 30,
        kG81 = 810,
        kG82 = 820,
        kG83 = 830
    };
    void execute(const GcodeBlock& block);
    [[noreturn]] void refuse(std::string_view word, const char* reason) const;
    double length(double value) const { return value * mm_per_unit_; }
    Point3 target(const GcodeBlock& block) const;
    double feed_mm() const { return feed_ * mm_per_unit_; }
    // A move of the kind at this line, where the tool stands.
    GcodeMove event(GcodeMove::Kind kind) const;
    // The whole number of the letter's word (1 when absent), refused unless from 1 to 10000.
    int count(const GcodeBlock& block, char letter, const char* reason) const;
    void straight(GcodeMove::Kind kind, Point3 to);
    void arc(const GcodeBlock& block, const GcodeWord& motion_word, bool clockwise);
    void cycle(const GcodeBlock& block, const GcodeWord& motion_word);

    GcodeSink& sink_;
    QString file_;
    std::int64_t line_ = 0;
    Point3 pos_;
    Point3 g92_;  // G92 offset, mm
    int motion_ = kNone;
    double mm_per_unit_ = 1;
    bool absolute_ = true;
    bool arc_absolute_ = false;
    bool retract_to_r_ = true;  // G99, else G98
    double feed_ = 0;           // program units per minute
    int tool_ = 0;
    // The cycle's R, Z, Q, P stay from one cycle block to the next, as program values.
    double cycle_r_ = 0, cycle_z_ = 0, cycle_q_ = 0, cycle_p_ = 0;
    bool cycle_r_set_ = false, cycle_z_set_ = false;
    bool in_cycle_series_ = false;
    double initial_z_ = 0;
    bool started_ = false;  // a first "%" or any program line was read
    bool percent_open_ = false;
    bool ended_ = false;
    bool ignored_words_ = false;
    GcodeBlock block_;
};

}  // namespace ostrel

namespace ostrel {

// What one pass over a program found besides its moves.
struct GcodePassFacts {
    bool ignored_words = false;  // spindle, coolant or path blending asked for
    std::int64_t lines = 0;
};

// Runs the program in the file through an interpreter into sink, line by line, to its end. A
// file that can't be read, or a line the machine can't do, throws OperationAbandoned; keep_going
// is asked after each line that moved, and false ends the pass there.
GcodePassFacts run_gcode_file(const QString& path, GcodeSink& sink, Point3 start,
                              const std::function<bool()>& keep_going = {});

}  // namespace ostrel
