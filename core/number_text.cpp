// Number reading and showing: exact decimal parsing to ten-thousandths and the display forms.
#include "core/number_text.h"

#include "core/operation_abandoned.h"

#include <cmath>
#include <limits>

namespace ostrel {

namespace {

bool is_blank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Digits as text, without leading zeros, times 10^exponent is the value; exact arithmetic on the
// digit string keeps "1,00005" a true tie however many digits the text has.
std::optional<std::int64_t> scale_to_count(const QString& digits, long long exponent,
                                           bool negative) {
    QString integer_part;
    QString fraction_part;
    if (exponent >= 0) {
        if (digits.size() + exponent > 19) {
            return std::nullopt;
        }
        integer_part = digits + QString(static_cast<qsizetype>(exponent), u'0');
    } else {
        const long long drop = -exponent;
        if (drop > digits.size()) {
            return 0;  // below half of the last kept decimal
        }
        if (drop == digits.size()) {
            fraction_part = QString(static_cast<qsizetype>(drop - digits.size()), u'0') + digits;
        } else {
            integer_part = digits.left(digits.size() - drop);
            fraction_part = digits.right(drop);
        }
        if (integer_part.size() > 19) {
            return std::nullopt;
        }
    }
    unsigned long long magnitude = 0;
    for (QChar c : integer_part) {
        magnitude = magnitude * 10 + static_cast<unsigned>(c.unicode() - u'0');
    }
    if (!fraction_part.isEmpty()) {
        const int first = fraction_part.front().unicode() - u'0';
        bool rest_zero = true;
        for (qsizetype i = 1; i < fraction_part.size() && rest_zero; ++i) {
            rest_zero = fraction_part[i] == u'0';
        }
        const bool round_up = first > 5 || (first == 5 && (!rest_zero || (magnitude % 2) == 1));
        if (round_up) {
            ++magnitude;
        }
    }
    const unsigned long long limit =
        negative ? 9223372036854775808ULL : static_cast<unsigned long long>(INT64_MAX);
    if (magnitude > limit) {
        return std::nullopt;
    }
    if (negative) {
        return magnitude == 9223372036854775808ULL ? INT64_MIN
                                                   : -static_cast<std::int64_t>(magnitude);
    }
    return static_cast<std::int64_t>(magnitude);
}

}  // namespace

std::int64_t rounding_out_of_range() {
    throw OperationAbandoned(QStringLiteral("Invalid floating point operation"));
}

Extended trunc_toward_zero(Extended value) {
    return std::trunc(value);
}

Extended divide(Extended dividend, Extended divisor) {
    if (divisor == 0) {
        if (dividend == 0 || std::isnan(dividend)) {
            throw OperationAbandoned(QStringLiteral("Invalid floating point operation"));
        }
        throw OperationAbandoned(QStringLiteral("Floating point division by zero"));
    }
    return dividend / divisor;
}

double add_repeatedly(double sum, double step, std::int64_t count) {
    constexpr double kShift = 4503599627370496.0;  // 2^52: adding and taking it away rounds
    if (step == 0 || !std::isfinite(step)) {
        return count > 0 ? sum + step : sum;
    }
    while (count > 0 && std::isfinite(sum)) {
        // Rounding is symmetric: work on the magnitude.
        const bool negative = sum < 0;
        const double magnitude = negative ? -sum : sum;
        const double toward = negative ? -step : step;
        std::int64_t run = 0;
        double jump = 0;
        int exponent = 0;
        std::frexp(magnitude, &exponent);  // magnitude in [2^(exponent-1), 2^exponent)
        const double unit = std::ldexp(1.0, exponent - 53);
        // Inside one binade, clear of its ends, every sum lies on the unit's grid: adding the step
        // adds the step rounded to the grid, the same amount each time, unless the step falls
        // halfway between two grid points (then the sum's own last bit decides).
        const double low = std::ldexp(1.0, exponent - 1) + unit;
        const double high = std::ldexp(1.0, exponent) - unit;
        const double units = toward / unit;
        if (std::isnormal(magnitude) && unit >= std::numeric_limits<double>::min() &&
            magnitude >= low && magnitude <= high && std::fabs(units) < kShift) {
            const double whole = units >= 0 ? (units + kShift) - kShift : (units - kShift) + kShift;
            if (std::fabs(units - whole) != 0.5) {
                const double amount = whole * unit;
                if (amount == 0) {
                    return sum;  // the step is lost in the sum's rounding, every time
                }
                const double room =
                    amount > 0 ? (high - magnitude) / amount : (magnitude - low) / -amount;
                run = room >= static_cast<double>(count) ? count : static_cast<std::int64_t>(room);
                // The quotient was rounded: take off what would leave the binade's inside.
                while (run > 0 && (magnitude + static_cast<double>(run) * amount > high ||
                                   magnitude + static_cast<double>(run) * amount < low)) {
                    --run;
                }
                jump = static_cast<double>(run) * amount;
            }
        }
        if (run > 0) {
            sum = negative ? -(magnitude + jump) : magnitude + jump;
            count -= run;
        } else {
            sum += step;
            --count;
        }
    }
    return count > 0 ? sum + step : sum;
}

std::optional<std::int64_t> parse_ten_thousandths(const QString& text) {
    qsizetype i = 0;
    const qsizetype end_of_text = text.size();
    qsizetype end = end_of_text;
    while (i < end && is_blank(text[i])) {
        ++i;
    }
    while (end > i && is_blank(text[end - 1])) {
        --end;
    }
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    QString digits;
    long long exponent = 0;
    bool any_digit = false;
    bool in_fraction = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            any_digit = true;
            if (!digits.isEmpty() || c != u'0') {
                digits.append(c);
            }
            if (in_fraction) {
                --exponent;
            }
        } else if (c == u',' && !in_fraction) {
            in_fraction = true;
        } else {
            break;
        }
    }
    if (!any_digit) {
        return std::nullopt;
    }
    if (i < end) {
        if (text[i] != u'e' && text[i] != u'E') {
            return std::nullopt;
        }
        ++i;
        bool exponent_negative = false;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) {
            exponent_negative = text[i] == u'-';
            ++i;
        }
        if (i >= end) {
            return std::nullopt;
        }
        long long written = 0;
        for (; i < end; ++i) {
            const QChar c = text[i];
            if (c < u'0' || c > u'9') {
                return std::nullopt;
            }
            // Beyond a few thousand the value is far outside any count anyway.
            written = std::min<long long>(written * 10 + (c.unicode() - u'0'), 100000);
        }
        exponent += exponent_negative ? -written : written;
    }
    if (digits.isEmpty()) {
        return 0;
    }
    return scale_to_count(digits, exponent + 4, negative);
}

QString not_a_number_message(const QString& text) {
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

double read_number(const QString& text) {
    const auto count = parse_ten_thousandths(text);
    if (!count) {
        throw OperationAbandoned(not_a_number_message(text));
    }
    return static_cast<double>(static_cast<Extended>(*count) / 10000.0L);
}

QString show_fixed4(double value) {
    const auto count = round_to_int64(static_cast<Extended>(value) * 10000.0L);
    if (!count) {
        return show_general(value);
    }
    const bool negative = *count < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(*count)
                                                  : static_cast<unsigned long long>(*count);
    QString text = QString::number(magnitude / 10000);
    unsigned long long fraction = magnitude % 10000;
    if (fraction != 0) {
        QString decimals = QStringLiteral("%1").arg(fraction, 4, 10, QChar(u'0'));
        while (decimals.endsWith(u'0')) {
            decimals.chop(1);
        }
        text += u',' + decimals;
    }
    return negative ? u'-' + text : text;
}

QString show_general(double value) {
    if (value == 0) {
        return QStringLiteral("0");
    }
    QString text = QString::number(value, 'g', 15).toUpper();
    text.replace(u'.', u',');
    // "1E-05" -> "1E-5": the exponent without padding zeros.
    const qsizetype e = text.indexOf(u'E');
    if (e >= 0) {
        qsizetype digits_start = e + 1;
        if (digits_start < text.size() &&
            (text[digits_start] == u'-' || text[digits_start] == u'+')) {
            if (text[digits_start] == u'+') {
                text.remove(digits_start, 1);
            } else {
                ++digits_start;
            }
        }
        while (digits_start + 1 < text.size() && text[digits_start] == u'0') {
            text.remove(digits_start, 1);
        }
    }
    return text;
}

QString dot_to_comma(const QString& text) {
    QString copy = text;
    copy.replace(u'.', u',');
    return copy;
}

}  // namespace ostrel
