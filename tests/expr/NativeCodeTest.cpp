#include "expr/MathsParser.h"
#include "tests/expr/FaultText.h"
#include "tests/expr/RandomFormula.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

// The machine code against the interpreter it stands in for: the same bits,
// or the same exception class, text and position.
namespace {

std::string Outcome(TMathsParser& parser)
{
    try {
        const double value = parser.Value();
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return std::to_string(bits);
    } catch (const Exception& error) {
        return FaultText(error) + " / " + parser.ErrorMessage();
    }
}

} // namespace

TEST(NativeCode, OnWhereItCanBeMadeAndKeptByARejectedFormula)
{
    TMathsParser parser;
    parser.SetExpression("a*2");
    parser.SetV1(3);
    const char* off = std::getenv("QUILLMARCH_NO_NATIVE");
    const bool allowed = off == nullptr || *off == '\0' || std::strcmp(off, "0") == 0;
#if defined(__x86_64__)
    EXPECT_EQ(parser.NativeCode(), allowed);
#else
    EXPECT_FALSE(parser.NativeCode());
#endif
    EXPECT_THROW(parser.SetExpression("a*"), EConvertError);
    EXPECT_EQ(parser.NativeCode(), allowed);
    TMathsParser copy = parser;
    copy.SetV1(4);
    EXPECT_EQ(parser.Value(), 6);
    EXPECT_EQ(copy.Value(), 8) << "a copy runs the shared code on its own variables";
    parser.SetNativeCode(false);
    EXPECT_FALSE(parser.NativeCode());
    EXPECT_EQ(parser.Value(), 6);
}

// Rows in order on one parser, so that a fault's flags meet the row after it.
TEST(NativeCode, BordersAndFaults)
{
    struct TRow
    {
        const char* Name;
        const char* Formula;
        double A, B;
        const char* Expected; // a value's bits in decimal, or the exception class
    };
    const TRow rows[] = {
        {"x/0", "a/b", 1, 0, "EZeroDivide"},
        {"clean after a fault", "a+b", 1, 2, "4613937818241073152"}, // 3
        {"0/0", "a/b", 0, 0, "EInvalidOp"},
        {"product beyond double", "a*b", 1e200, 1e200, "EOverflow"},
        {"underflow to 0", "a*b", 1e-200, 1e-200, "0"},
        {"subnormal quotient", "a/2", 0x1p-1073, 0, "1"},
        {"rounded twice: to 64 bits a tie, then to even", "a+b", 1, 0x1p-53 + 0x1p-75,
         "4607182418800017408"},                                        // 1
        {"negated right operand", "a*-b", 0, 5, "9223372036854775808"}, // -0
        {"sqrt of a negative", "sqrt(a)", -1, 0, "EInvalidOp"},
        {"ln 0", "ln(a)+b", 0, 1, "EZeroDivide"},
        {"0 to a negative power", "a^-b", 0, 1, "EZeroDivide"},
        {"fault after a function", "sqrt(a)*b", 1e300, 1e300, "EOverflow"},
        {"inf unread", "a+1", 1, kInf, "4611686018427387904"}, // 2
        {"NaN read", "a+b", 1, kNaN, "EInvalidOp"},
    };
    TMathsParser native, interpreter;
    interpreter.SetNativeCode(false);
    for (const TRow& row : rows) {
        for (TMathsParser* parser : {&native, &interpreter}) {
            parser->SetExpression(row.Formula);
            parser->SetV1(row.A);
            parser->SetV2(row.B);
        }
        const std::string outcome = Outcome(native);
        EXPECT_EQ(outcome, Outcome(interpreter)) << row.Name;
        EXPECT_EQ(outcome.substr(0, outcome.find(':')), row.Expected) << row.Name;
    }
}

TEST(NativeCode, AgreesWithTheInterpreterOnRandomFormulas)
{
    const double edges[] = {0,      -0.0,      1,     -1,     0.1,  2.5,   1e-310, -5e-324, 1e308,
                            -1e308, 0x1p-1022, 1e154, 1e-160, 3e15, -7.25, kInf,   kNaN};
    TFormulaGenerator generator(2029, kDamageNames);
    TMathsParser native, interpreter;
    interpreter.SetNativeCode(false);
    native.SetVarNames({std::begin(kDamageNames), std::end(kDamageNames)});
    interpreter.SetVarNames({std::begin(kDamageNames), std::end(kDamageNames)});
    int values = 0, faults = 0;
    for (int n = 0; n < 4000; ++n) {
        const std::string formula = generator.Formula();
        try {
            interpreter.SetExpression(formula);
        } catch (const Exception&) {
            continue;
        }
        native.SetExpression(formula);
        for (int row = 0; row < 8; ++row) {
            for (std::size_t i = 0; i < 8; ++i) {
                const double value =
                    generator.Pick(3) == 0
                        ? std::ldexp(generator.Pick(2001) - 1000.0, generator.Pick(40) - 20)
                        : edges[generator.Pick(static_cast<int>(std::size(edges)))];
                native.SetVar(i, value);
                interpreter.SetVar(i, value);
            }
            const std::string outcome = Outcome(native);
            ASSERT_EQ(outcome, Outcome(interpreter)) << formula;
            ++(outcome[0] == 'E' ? faults : values);
        }
    }
    EXPECT_GT(values, 5000);
    EXPECT_GT(faults, 1000);
}
