// Numbers as the operator types and reads them: four decimals, decimal comma, round half to even.
#pragma once

#include <QString>
#include <cmath>
#include <cstdint>
#include <optional>

namespace ostrel {

// "Extended precision" of the machine's arithmetic: 80-bit on x86-64 with g++.
using Extended = long double;

// Round half to even in the default rounding mode, as a whole number in extended precision.
// Adding and taking away 2^63 leaves no bits below the unit, so the addition itself rounds,
// at a fraction of the library call's cost (this runs several times per motor step).
inline Extended round_even(Extended v) {
    constexpr Extended kShift = 9223372036854775808.0L;  // 2^63
    if (v >= 0 && v < kShift) {
        return (v + kShift) - kShift;
    }
    if (v < 0 && v > -kShift) {
        return (v - kShift) + kShift;
    }
    return v;  // whole already, or not a number
}

// A whole number in extended precision as an integer. Below 2^53 it passes exactly through a
// double, whose conversion is one instruction; the extended cast would switch the floating-point
// unit to truncation and back, several times per motor step.
inline std::int64_t whole_to_int64(Extended whole) {
    constexpr Extended kDoubleExact = 9007199254740992.0L;  // 2^53
    if (whole > -kDoubleExact && whole < kDoubleExact) {
        return static_cast<std::int64_t>(static_cast<double>(whole));
    }
    return static_cast<std::int64_t>(std::llrint(whole));
}

// Round half to even in the default rounding mode. Empty when the result does not fit.
inline std::optional<std::int64_t> round_to_int64(Extended value) {
    constexpr Extended kBound = 9223372036854775808.0L;  // 2^63
    const Extended rounded = round_even(value);
    if (!(rounded >= -kBound && rounded < kBound)) {
        return std::nullopt;
    }
    return whole_to_int64(rounded);
}

inline std::optional<std::int32_t> round_to_int32(Extended value) {
    constexpr Extended kBound = 2147483648.0L;  // 2^31
    const Extended rounded = round_even(value);
    if (!(rounded >= -kBound && rounded < kBound)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(whole_to_int64(rounded));
}

// Throws OperationAbandoned ("Invalid floating point operation").
[[noreturn]] std::int64_t rounding_out_of_range();

// Round half to even; throws OperationAbandoned ("Invalid floating point operation") when the
// result does not fit a 64-bit count, as the processor's conversion would fault.
inline std::int64_t round_half_even(Extended value) {
    const auto rounded = round_to_int64(value);
    return rounded ? *rounded : rounding_out_of_range();
}

// Cuts toward zero.
Extended trunc_toward_zero(Extended value);

// a / b, abandoning the operation as the floating-point unit would on a zero divisor:
// "Floating point division by zero", or "Invalid floating point operation" for 0 / 0.
Extended divide(Extended dividend, Extended divisor);

// What adding step to sum count times in doubles gives, each sum rounded, as the step engine's
// position takes its steps one by one; in time that grows with the binades the sum crosses, not
// with count.
double add_repeatedly(double sum, double step, std::int64_t count);

// The count of ten-thousandths a text stands for: blanks around it, an optional sign, digits with
// the decimal comma, an optional exponent; extra decimals round half to even. Empty when the text
// is not such a number or the count does not fit a signed 64-bit integer.
std::optional<std::int64_t> parse_ten_thousandths(const QString& text);

// The number-reading rule: parse_ten_thousandths / 10000, or OperationAbandoned with
// "'TEXT' is not a valid floating point value".
double read_number(const QString& text);

// The message of a text that is not a number.
QString not_a_number_message(const QString& text);

// Fixed-point display form: at most four decimals, no trailing zeros, decimal comma ("0,0025").
QString show_fixed4(double value);

// Shortest general form with the decimal comma ("0", "0,1", "1E-5").
QString show_general(double value);

// A copy of the text with every "." replaced by ",".
QString dot_to_comma(const QString& text);

}  // namespace ostrel
