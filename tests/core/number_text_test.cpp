// Number reading and showing: ties, signs, exponents, commas, range, and the display forms.
#include "core/number_text.h"
#include "core/operation_abandoned.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <random>

namespace ostrel {
namespace {

std::optional<std::int64_t> q(const char* text) {
    return parse_ten_thousandths(QString::fromUtf8(text));
}

TEST(NumberReading, ReadsCommaDecimalsWithSignsBlanksAndExponents) {
    EXPECT_EQ(q("12,5"), 125000);
    EXPECT_EQ(q("-0,0025"), -25);
    EXPECT_EQ(q("+3"), 30000);
    EXPECT_EQ(q("  7,5  "), 75000);
    EXPECT_EQ(q("\t7,5"), 75000);
    EXPECT_EQ(q("1,25E+01"), 125000);
    EXPECT_EQ(q("125e-1"), 125000);
    EXPECT_EQ(q("5,"), 50000);
    EXPECT_EQ(q(",5"), 5000);
    EXPECT_EQ(q("-0"), 0);
    EXPECT_EQ(q("0000000000000000000000000012"), 120000);
    EXPECT_EQ(q("1e-400"), 0);
}

TEST(NumberReading, RoundsExtraDecimalsHalfToEven) {
    EXPECT_EQ(q("1,23456"), 12346);
    EXPECT_EQ(q("0,00005"), 0);
    EXPECT_EQ(q("0,00015"), 2);
    EXPECT_EQ(q("0,00025"), 2);
    EXPECT_EQ(q("-0,00025"), -2);
    EXPECT_EQ(q("-0,00035"), -4);
    // A tie only when every digit after it is zero.
    EXPECT_EQ(q("0,000250000000000000000001"), 3);
    EXPECT_EQ(q("2,5e-4"), 2);
}

TEST(NumberReading, RefusesWhatIsNotANumber) {
    for (const char* text : {"", " ", "abc", "1.5", "1,5,5", "--1", "+", ",", "1e", "1e+", "1 5",
                             "e_sped", "12,5mm", "0x10", "1e400", "inf", "nan"}) {
        EXPECT_FALSE(q(text).has_value()) << text;
    }
}

TEST(NumberReading, CountOutsideSigned64BitsFails) {
    EXPECT_EQ(q("922337203685477,5807"), INT64_MAX);
    EXPECT_FALSE(q("922337203685477,5808").has_value());
    EXPECT_EQ(q("-922337203685477,5808"), INT64_MIN);
    EXPECT_FALSE(q("-922337203685477,5809").has_value());
    EXPECT_FALSE(q("123456789012345678901234567890").has_value());
    EXPECT_FALSE(q("1e15").has_value());
    EXPECT_TRUE(q("1e14").has_value());
}

TEST(NumberReading, ReadNumberAbandonsWithTheTextInTheMessage) {
    EXPECT_DOUBLE_EQ(read_number(QStringLiteral("0,0025")), 0.0025);
    try {
        read_number(QStringLiteral("2.5"));
        FAIL() << "a point is not the decimal comma";
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'2.5' is not a valid floating point value"));
    }
}

TEST(NumberShowing, FixedFourDropsTrailingZerosAndRoundsToNearest) {
    EXPECT_EQ(show_fixed4(12.5), QStringLiteral("12,5"));
    EXPECT_EQ(show_fixed4(0.0025), QStringLiteral("0,0025"));
    EXPECT_EQ(show_fixed4(0), QStringLiteral("0"));
    EXPECT_EQ(show_fixed4(100), QStringLiteral("100"));
    EXPECT_EQ(show_fixed4(-0.5), QStringLiteral("-0,5"));
    EXPECT_EQ(show_fixed4(-0.00001), QStringLiteral("0"));
    EXPECT_EQ(show_fixed4(1.00005), QStringLiteral("1,0001"));  // just above the tie as a double
    // No double is an exact tie of ten-thousandths: the double's own value decides.
    EXPECT_EQ(show_fixed4(0.00025), QStringLiteral("0,0003"));  // stored just above 2.5e-4
    EXPECT_EQ(show_fixed4(0.00015), QStringLiteral("0,0001"));  // stored just below 1.5e-4
    EXPECT_EQ(show_fixed4(0.1 + 0.2), QStringLiteral("0,3"));
    EXPECT_EQ(show_fixed4(1e30), QStringLiteral("1E30"));  // beyond the fixed range
}

TEST(NumberShowing, GeneralFormAndDotToComma) {
    EXPECT_EQ(show_general(0), QStringLiteral("0"));
    EXPECT_EQ(show_general(0.1), QStringLiteral("0,1"));
    EXPECT_EQ(show_general(0.00125), QStringLiteral("0,00125"));
    EXPECT_EQ(show_general(1e-5), QStringLiteral("1E-5"));
    EXPECT_EQ(dot_to_comma(QStringLiteral("1.2.3")), QStringLiteral("1,2,3"));
    EXPECT_EQ(dot_to_comma(QStringLiteral("абв")), QStringLiteral("абв"));
}

TEST(Rounding, HalfToEvenInExtendedPrecision) {
    EXPECT_EQ(round_half_even(2.5L), 2);
    EXPECT_EQ(round_half_even(3.5L), 4);
    EXPECT_EQ(round_half_even(-2.5L), -2);
    EXPECT_EQ(round_half_even(-3.5L), -4);
    EXPECT_EQ(round_half_even(0.5L * 5), 2);
    EXPECT_EQ(round_to_int32(2147483647.4L), 2147483647);
    EXPECT_FALSE(round_to_int32(2147483647.5L).has_value());
    EXPECT_EQ(round_to_int32(-2147483648.4L), INT32_MIN);
    EXPECT_FALSE(round_to_int64(1e30L).has_value());
    EXPECT_THROW(round_half_even(1e30L), OperationAbandoned);
    EXPECT_EQ(trunc_toward_zero(0.7L), 0);
    EXPECT_EQ(trunc_toward_zero(-0.7L), 0);
    EXPECT_EQ(trunc_toward_zero(-1.7L), -1);
}

TEST(Rounding, DivisionByZeroGivesTheFloatingPointMessages) {
    try {
        divide(1, 0);
        FAIL();
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Floating point division by zero"));
    }
    try {
        divide(0, 0);
        FAIL();
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid floating point operation"));
    }
    EXPECT_EQ(divide(1, 4), 0.25L);
}

TEST(Rounding, RepeatedAdditionLandsWhereTheOneByOneSumsDo) {
    struct Case {
        double start, step;
        std::int64_t count;
    };
    // Motor ratios from the field, starts on and off the grid, runs through zero and across
    // binades, a dyadic step that falls halfway between grid points, a step lost in a huge sum.
    const Case cases[] = {
        {0, 0.0025, 300000},       {0, -0.0025, 300000},
        {17.3, -0.0025, 20000},    {-3.1, 0.0123, 4000},
        {0.1, 0.5, 70000},         {1e-3, -1e-6, 50000},
        {4096.0000001, 0.0025, 9}, {9007199254740990.0, 0.5, 40},
        {1e17, 0.0025, 1000},      {2.5e-310, 0.0025, 1000},
        {1e300, 1e300, 3},         {0, 0, 10},
    };
    for (const Case& c : cases) {
        double one_by_one = c.start;
        for (std::int64_t i = 0; i < c.count; ++i) {
            one_by_one += c.step;
        }
        const double repeated = add_repeatedly(c.start, c.step, c.count);
        EXPECT_EQ(std::memcmp(&repeated, &one_by_one, sizeof repeated), 0)
            << c.start << " + " << c.count << " x " << c.step << ": " << repeated << " vs "
            << one_by_one;
    }
    EXPECT_EQ(add_repeatedly(1.5, 0.25, 0), 1.5);
    // And any ratio from any start.
    std::mt19937_64 random(15);
    std::uniform_real_distribution<double> start(-2000, 2000);
    std::uniform_real_distribution<double> exponent(-6, 1);
    for (int i = 0; i < 300; ++i) {
        const double from = start(random);
        const double step = (i % 2 == 0 ? 1 : -1) * std::pow(10.0, exponent(random));
        const auto count = static_cast<std::int64_t>(random() % 60000);
        double one_by_one = from;
        for (std::int64_t k = 0; k < count; ++k) {
            one_by_one += step;
        }
        EXPECT_EQ(add_repeatedly(from, step, count), one_by_one)
            << from << " + " << count << " x " << step;
    }
}

}  // namespace
}  // namespace ostrel
