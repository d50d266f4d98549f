// Number conversions of settings and localisation: the leading-number scan,
// strict conversion, rounding and range, and the written form.
#include <gtest/gtest.h>

#include <cmath>

#include "QtPrinters.h"
#include "documents/VbNumbers.h"

namespace {

TEST(VbNumbers, LeadingNumberScan) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"1980", 1980},  {" 1980", 1980},  {"\t-1", -1},     {"+7", 7},       {"12abc", 12},
        {"2.5", 2.5},    {".5e3", 500},    {"1.", 1},        {"1e", 1},       {"1e+", 1},
        {"1E2x", 100},   {"1.5.3", 1.5},   {"", 0},          {"abc", 0},      {"-", 0},
        {".", 0},        {"--5", 0},       {"1 000", 1},     {"1,5", 1},      {"0x10", 0},
        {"1e-400", 0},   {"-0", 0},        {"00", 0},        {"007", 7},
    };
    for (const Case& c : cases) {
        const auto v = vb::Val(QString::fromLatin1(c.text));
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
    }
    EXPECT_FALSE(vb::Val("1e400").has_value());
    EXPECT_FALSE(vb::Val("-1e999").has_value());
    EXPECT_FALSE(vb::Val(QString(400, u'9')).has_value());
}

TEST(VbNumbers, StrictConversionToInteger) {
    struct Case {
        const char* text;
        int expected;  // -99999: fails
    } cases[] = {
        {"12", 12},      {" 12 ", 12},    {"12.5", 12},     {"13.5", 14},     {"-3", -3},
        {"1e3", 1000},   {"32767", 32767}, {"-32768", -32768}, {"32768", -99999}, {"12abc", -99999},
        {"", -99999},    {"  ", -99999},  {"1 2", -99999},   {"-", -99999},     {"&H10", -99999},
    };
    for (const Case& c : cases) {
        const auto v = vb::CIntStrict(QString::fromLatin1(c.text));
        if (c.expected == -99999) EXPECT_FALSE(v.has_value()) << c.text;
        else {
            ASSERT_TRUE(v.has_value()) << c.text;
            EXPECT_EQ(*v, c.expected) << c.text;
        }
    }
}

TEST(VbNumbers, RoundingAndRange) {
    EXPECT_EQ(vb::ToInteger(2.5), 2);
    EXPECT_EQ(vb::ToInteger(3.5), 4);
    EXPECT_EQ(vb::ToInteger(-2.5), -2);
    EXPECT_EQ(vb::ToInteger(32767.4), 32767);
    EXPECT_FALSE(vb::ToInteger(32767.5).has_value());
    EXPECT_FALSE(vb::ToInteger(NAN).has_value());
    EXPECT_EQ(vb::ToLong(150000), 150000);
    EXPECT_FALSE(vb::ToLong(3000000000.0).has_value());
    EXPECT_EQ(vb::ToSingle(120.25), 120.25f);
    EXPECT_FALSE(vb::ToSingle(1e39).has_value());
}

TEST(VbNumbers, WrittenForm) {
    EXPECT_EQ(vb::Str(int64_t{1980}), " 1980");
    EXPECT_EQ(vb::Str(int64_t{0}), " 0");
    EXPECT_EQ(vb::Str(int64_t{-1}), "-1");
    EXPECT_EQ(vb::Str(1980.0f), " 1980");
    EXPECT_EQ(vb::Str(9000.5f), " 9000.5");
    EXPECT_EQ(vb::Str(0.25f), " .25");
    EXPECT_EQ(vb::Str(-0.5f), "-.5");
    EXPECT_EQ(vb::Str(-0.0f), " 0");
    EXPECT_EQ(vb::Str(-150.0f), "-150");
    EXPECT_EQ(vb::Str(1e7f), " 1E+07");
    // Whatever is written reads back as the same single.
    for (float f : {0.1f, 1980.3f, -12345.678f, 3.4e38f, 1e-6f, 123456789.0f}) {
        const auto v = vb::Val(vb::Str(f));
        ASSERT_TRUE(v.has_value()) << f;
        EXPECT_EQ(static_cast<float>(*v), f) << vb::Str(f).toStdString();
    }
}

}  // namespace
