#include "weapons/NumberFormat.h"
#include "weapons/TextEncoding.h"

#include "expr/Exception.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <locale>

namespace {

struct TCommaDecimals : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
};

TEST(NumberFormat, ShortestTextWithFifteenDigits)
{
    // Whatever locale the program runs in, the grid writes "." decimals.
    const std::locale previous =
        std::locale::global(std::locale(std::locale(), new TCommaDecimals));
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    struct Case
    {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {13, "13"},
        {3.5, "3.5"},
        {-2.5, "-2.5"},
        {50.0 / 3, "16.6666666666667"},
        {0.1 + 0.2, "0.3"},
        {-0.0, "0"},
        {0, "0"},
        {0.0001, "0.0001"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {1e20, "1E+20"},
        {1.5e-5, "1.5E-5"},
        {-2.5e-300, "-2.5E-300"},
        {INFINITY, "INF"},
        {-INFINITY, "-INF"},
        {NAN, "NAN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatGeneral(c.value), c.text) << c.text;
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(previous);
}

TEST(TextEncoding, ShiftJisRoundTripAndRejections)
{
    const std::string utf8 = "両手斧です 2d13+3";
    const std::string sjis = EncodeUtf8ToShiftJis(utf8);
    EXPECT_EQ(sjis, "\x97\xbc\x8e\xe8\x95\x80\x82\xc5\x82\xb7 2d13+3");
    EXPECT_EQ(DecodeToUtf8(sjis), utf8);
    EXPECT_EQ(DecodeToUtf8("\xEF\xBB\xBF" + utf8), utf8);
    EXPECT_THROW(EncodeUtf8ToShiftJis("\xF0\x9F\x98\x80"), EConvertError); // no emoji in Shift_JIS
    EXPECT_THROW(DecodeToUtf8("ok\xFF"), EFileError);
    // Overlong and surrogate forms are not UTF-8, whatever else they may be.
    EXPECT_NE(DecodeToUtf8("\xC0\xAF"), "/");
    EXPECT_THROW(DecodeToUtf8("\xEF\xBB\xBF\xED\xA0\x80"), EFileError);
}

} // namespace
