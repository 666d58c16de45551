#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "generator/NumberReading.h"

namespace pellarin {
namespace {

struct Reading {
    const char16_t* text;
    double value;
};

class LeadingNumber : public ::testing::TestWithParam<Reading> {};

TEST_P(LeadingNumber, Reads) { EXPECT_EQ(ReadLeadingNumber(GetParam().text), GetParam().value); }

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumber,
    ::testing::Values(Reading{u"", 0}, Reading{u"99", 99}, Reading{u"12abc", 12}, Reading{u"99.5", 99.5},
                      Reading{u"  4 0 ", 40}, Reading{u"-40000", -40000}, Reading{u"+7", 7},
                      Reading{u"1e2", 100}, Reading{u"1E+2x", 100}, Reading{u"25e-1", 2.5}, Reading{u"12e", 12},
                      Reading{u"12e+", 12}, Reading{u".5", 0.5}, Reading{u"5.", 5}, Reading{u"1.2.3", 1.2},
                      Reading{u"abc", 0}, Reading{u"-", 0}, Reading{u".", 0}, Reading{u"nan", 0},
                      Reading{u"inf", 0}, Reading{u"0x10", 0}, Reading{u"１２", 0}, Reading{u"1e999", kInf},
                      Reading{u"-1e999", -kInf}, Reading{u"1e-999", 0}, Reading{u"0e99999999999999999999", 0},
                      Reading{u"1e99999999999999999999", kInf}, Reading{u"00012", 12},
                      Reading{u"0.000000000000000000000000000000000000001e39", 1}));

TEST(LeadingNumberLong, HugeDigitStringsAreInfiniteNotFatal) {
    const std::u16string digits(100000, u'9');
    EXPECT_EQ(ReadLeadingNumber(digits), kInf);
    EXPECT_EQ(ReadLeadingNumber(u"-" + digits), -kInf);
    const std::u16string small = u"0." + std::u16string(100000, u'0') + u"1";
    EXPECT_EQ(ReadLeadingNumber(small), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"1" + std::u16string(300, u'0')), 1e300);
}

TEST(HalfEvenRounding, RoundsAndRefusesOutOfRange) {
    EXPECT_EQ(ToInt16HalfEven(2.5), 2);
    EXPECT_EQ(ToInt16HalfEven(3.5), 4);
    EXPECT_EQ(ToInt16HalfEven(-2.5), -2);
    EXPECT_EQ(ToInt16HalfEven(-3.5), -4);
    EXPECT_EQ(ToInt16HalfEven(2.4999), 2);
    EXPECT_EQ(ToInt16HalfEven(0.5), 0);
    EXPECT_EQ(ToInt16HalfEven(32767.0), 32767);
    EXPECT_EQ(ToInt16HalfEven(32767.4), 32767);
    EXPECT_EQ(ToInt16HalfEven(32767.5), std::nullopt);
    EXPECT_EQ(ToInt16HalfEven(-32768.5), -32768);
    EXPECT_EQ(ToInt16HalfEven(-32768.6), std::nullopt);
    EXPECT_EQ(ToInt16HalfEven(-40000), std::nullopt);
    EXPECT_EQ(ToInt16HalfEven(kInf), std::nullopt);
    EXPECT_EQ(ToInt16HalfEven(-kInf), std::nullopt);
    EXPECT_EQ(ToInt16HalfEven(std::nan("")), std::nullopt);
}

}  // namespace
}  // namespace pellarin
