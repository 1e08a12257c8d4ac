// Aperture macros: their statements kept as written, and the shape they make for given values.
#pragma once

#include "gerber/board.h"

#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

class ApertureMacro {
public:
    // The statements after the name, one a block, as the %AM command held them.
    explicit ApertureMacro(std::vector<std::string> statements)
        : statements_(std::move(statements)) {}

    // The shape for the aperture's values ($1, $2, ...), lengths multiplied by unit to become
    // millimetres. Primitives of kinds it does not draw are counted in unknown.
    ApertureShape shape(const std::vector<double>& values, double unit, long long& unknown) const;

private:
    std::vector<std::string> statements_;
};

// The value of an arithmetic expression of a macro: numbers, $n variables, + - x X / and
// parentheses. Unknown variables are 0; what can't be read ends the expression there.
double macro_expression(std::string_view text, const std::vector<double>& variables);

}  // namespace ostrel
