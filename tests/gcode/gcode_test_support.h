// What the G-code tests share: canonical moves recorded and written as text.
#pragma once

#include "gcode/gcode_interpreter.h"

#include <string>
#include <vector>

namespace ostrel::testing {

// Each move as one line of text, numbers to four decimals: "rapid X Y Z", "feed X Y Z Ffeed",
// "arc X Y Z c CX CY tTURNS Ffeed", "dwell S", "pause WORD", "tool N", "msg TEXT".
std::string describe(const GcodeMove& move);

class RecordingSink : public GcodeSink {
public:
    void take(const GcodeMove& move) override { moves.push_back(describe(move)); }
    std::vector<std::string> moves;
};

// The moves of a program given as text, read line by line from the origin.
std::vector<std::string> canonical_moves(const std::string& program);

}  // namespace ostrel::testing
