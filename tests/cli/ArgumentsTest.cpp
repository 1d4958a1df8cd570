#include "cli/Arguments.h"
#include "cli/TextLayout.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct TIntCase
{
    const char* Name;
    const char* Text;
    std::optional<std::int32_t> Expected;
};

TEST(CliArguments, Int32AcceptsDecimalOnlyWithinRange)
{
    const TIntCase cases[] = {
        {"plain", "42", 42},
        {"leading zero stays decimal", "010", 10},
        {"plus sign", "+5", 5},
        {"blanks around", " 7 ", 7},
        {"largest", "2147483647", 2147483647},
        {"smallest", "-2147483648", INT32_MIN},
        {"one past largest", "2147483648", std::nullopt},
        {"one past smallest", "-2147483649", std::nullopt},
        {"hex", "0x10", std::nullopt},
        {"fraction", "1.5", std::nullopt},
        {"exponent", "1e3", std::nullopt},
        {"empty", "", std::nullopt},
        {"sign only", "-", std::nullopt},
        {"double sign", "+-3", std::nullopt},
        {"inner blank", "1 2", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Expected) {
            EXPECT_EQ(ParseInt32(c.Text, "--x"), *c.Expected);
        } else {
            EXPECT_THROW(ParseInt32(c.Text, "--x"), EArgumentError);
        }
    }
}

TEST(CliArguments, FiniteRejectsInfinityAndNaN)
{
    EXPECT_EQ(ParseFinite("-2.5", "--x"), -2.5);
    EXPECT_EQ(ParseFinite("1e3", "--x"), 1000);
    EXPECT_EQ(ParseFinite("+0.1", "--x"), 0.1);
    for (const char* text : {"inf", "-inf", "nan", "1e999", "", "1,5", "abc"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseFinite(text, "--x"), EArgumentError);
    }
}

TEST(CliArguments, ListsKeepEmptyItemsAndCheckTheirCount)
{
    EXPECT_EQ(SplitList("a,,c"), (std::vector<std::string>{"a", "", "c"}));
    EXPECT_EQ(SplitList(""), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitList("a,"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(ParseInt32List("1,-2,3", 3, "--stats"), (std::vector<std::int32_t>{1, -2, 3}));
    EXPECT_THROW(ParseInt32List("1,2", 3, "--stats"), EArgumentError);
    EXPECT_THROW(ParseInt32List("1,2,3,4", 3, "--stats"), EArgumentError);
    EXPECT_THROW(ParseInt32List("1,,3", 3, "--stats"), EArgumentError);
    EXPECT_EQ(ParseFiniteList("1,2.5", 8, "--values"), (std::vector<double>{1, 2.5}));
    EXPECT_THROW(ParseFiniteList("1,2,3,4,5,6,7,8,9", 8, "--values"), EArgumentError);
}

TEST(CliTextLayout, WideCharactersTakeTwoColumns)
{
    EXPECT_EQ(DisplayWidth("0\u301C12"), 5u);
    EXPECT_EQ(DisplayWidth("\u30AB\u30BF\u30CA"), 6u);
    EXPECT_EQ(DisplayWidth("Katana"), 6u);
    // A lone continuation byte or a cut sequence still counts, byte by byte.
    EXPECT_EQ(DisplayWidth("\x80"
                           "a\xE3\x80"),
              4u);
}

TEST(CliTextLayout, TableAlignsColumnsByDisplayWidth)
{
    TTextTable table;
    table.SetAlignment({TAlign::Left, TAlign::Right});
    table.AddRow({"0\u301C12", "3.5sec"});
    table.AddRow({"13", "15sec"});
    table.AddRow({"ab", ""});
    EXPECT_EQ(table.Render(), "0\u301C12  3.5sec\n"
                              "13      15sec\n"
                              "ab\n");
}

} // namespace
