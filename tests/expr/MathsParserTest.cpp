#include "expr/MathsParser.h"
#include "tests/expr/FaultText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Default names a..g, x hold 1..7 and 10, so a wrong slot shows in the result.
void SetDistinctValues(TMathsParser& parser)
{
    for (std::size_t i = 0; i < 7; ++i) {
        parser.SetVar(i, static_cast<double>(i + 1));
    }
    parser.SetV8(10);
}

double Evaluate(TMathsParser& parser, const std::string& formula)
{
    parser.SetExpression(formula);
    return parser.Value();
}

double Evaluate(const std::string& formula)
{
    TMathsParser parser;
    SetDistinctValues(parser);
    return Evaluate(parser, formula);
}

std::string Repeat(const std::string& piece, int times, const std::string& separator)
{
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += (i == 0 ? "" : separator) + piece;
    }
    return text;
}

// Test names and failures show a case of any table by its name rather than its bytes.
template <typename TCase>
requires requires(const TCase& c)
{
    c.Name;
}
void PrintTo(const TCase& c, std::ostream* os)
{
    *os << c.Name;
}

struct TValueCase
{
    const char* Name;
    const char* Formula;
    double Expected;
};

using OperatorOrder = testing::TestWithParam<TValueCase>;

TEST_P(OperatorOrder, GivesTheLanguagesResult)
{
    EXPECT_DOUBLE_EQ(Evaluate(GetParam().Formula), GetParam().Expected) << GetParam().Formula;
}

INSTANTIATE_TEST_SUITE_P(
    Table, OperatorOrder,
    testing::Values(
        TValueCase{"Variable", "x", 10}, TValueCase{"Literal", "2", 2},
        TValueCase{"NestedBrackets", "(((5)))", 5}, TValueCase{"BracketAroundVariable", "(x)", 10},
        TValueCase{"ProductWithBracket", "2*(x)", 20}, TValueCase{"LeadingMinus", "-x", -10},
        TValueCase{"MinusInBracket", "(-3)", -3}, TValueCase{"TimesMinus", "2*-3", -6},
        TValueCase{"PowerMinus", "2^-1", 0.5}, TValueCase{"MinusMinus", "2--3", 5},
        TValueCase{"PlusMinus", "2+-3", -1}, TValueCase{"DivideMinus", "3/-4", -0.75},
        TValueCase{"MinusBindsAfterPower", "-2^2", -4},
        TValueCase{"PowerGroupsFromLeft", "2^3^2", 64},
        TValueCase{"PowerNegatesOnlyItsOperand", "2^-3^2", 1.0 / 64},
        TValueCase{"DivideBeforeTimes", "8*2/4", 4},
        TValueCase{"QuotientBeforeTheLaterProduct", "8/2*4", 16},
        TValueCase{"DivisionChainFromLeft", "64/4/2", 8},
        TValueCase{"SubtractionChainFromLeft", "10-3-2", 5},
        TValueCase{"MinusBeforePlus", "1+2-3+4", 4}, TValueCase{"PowerBeforeProduct", "2*3^2", 18},
        TValueCase{"OtherBracketShapes", "[1+2]*{3}", 9},
        TValueCase{"CaseInsensitiveFunctions", "SQRT(16)+Abs(-2)", 6},
        TValueCase{"SpacesIgnored", " 1 +  2 * x ", 21},
        TValueCase{"AllDefaultNames", "a+b*c-d/e+f^g-x", 1 + 2 * 3 - 4.0 / 5 + 279936 - 10},
        TValueCase{"LiteralForms", "1.+.5+007", 8.5}, TValueCase{"Pi", "pi", 3.14159265358979},
        TValueCase{"SineOfHalfPi", "sin(pi/2)", 1},
        TValueCase{"FunctionOfFunction", "abs(sin(0-pi/2))", 1},
        TValueCase{"MinusAfterFunctionBracket", "2*-abs(-3)", -6},
        TValueCase{"PiTimes", "pi*2", 6.28318530717958},
        TValueCase{"TimesPi", "2 * pi", 6.28318530717958},
        TValueCase{"MinusPi", "2*-pi", -6.28318530717958},
        TValueCase{"PiSquared", "pi^2", 9.8696044010893385},
        TValueCase{"SineOfPi", "sin(pi)", 3.2310891488651735e-15}),
    [](const testing::TestParamInfo<TValueCase>& info) { return info.param.Name; });

TEST(MathsParserOrder, MultiplicationGroupsWithTheLaterQuotient)
{
    // "/" runs before "*", so 3*(1/3) is computed rather than (3*1)/3.
    EXPECT_EQ(Evaluate("3*1/3"), static_cast<double>(3.0L * static_cast<double>(1.0L / 3)));
    // "-" runs before "+": 1e16 + (1 - 1e16) rather than (1e16 + 1) - 1e16.
    EXPECT_EQ(Evaluate("10000000000000000+1-10000000000000000"), 0);
    EXPECT_EQ(Evaluate("(10000000000000000+1)-10000000000000000"), 0);
    EXPECT_EQ(Evaluate("1-10000000000000000+10000000000000000"), 0);
}

TEST(MathsParserNames, LongestNameBindsFirst)
{
    TMathsParser parser;
    parser.SetV1Name("Damage");
    parser.SetV2Name("Dam");
    parser.SetV1(3);
    parser.SetV2(5);
    parser.SetExpression("Damage*Dam");
    EXPECT_EQ(parser.Value(), 15);
    parser.SetExpression("Dam-Damage");
    EXPECT_EQ(parser.Value(), 2);
}

TEST(MathsParserNames, EqualLengthsPreferTheHigherVariable)
{
    TMathsParser parser;
    parser.SetV2Name("ab");
    parser.SetV3Name("bc");
    parser.SetV2(2);
    parser.SetV3(3);
    // "abc" holds both. Taking "bc" (V3) first leaves "a", bound to V1, beside it: two
    // operands side by side. Taking "ab" first would leave "c", which is no longer bound.
    EXPECT_THROW(parser.SetExpression("abc"), EConvertError);
    parser.SetExpression("ab*bc");
    EXPECT_EQ(parser.Value(), 6);
}

TEST(MathsParserNames, DamageFormulaWithTheCallersNames)
{
    TMathsParser parser;
    const char* names[] = {"STR",      "Damage", "TacticsR", "AnatomyR",
                           "LumberjR", "Plus",   "DEX",      "INT"};
    const double values[] = {100, 25, 1.625, 0.5, 0.2, 3, 90, 40};
    for (std::size_t i = 0; i < 8; ++i) {
        parser.SetVarName(i, names[i]);
        parser.SetVar(i, values[i]);
    }
    parser.SetExpression("1*1");
    parser.SetExpression("(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus");
    EXPECT_DOUBLE_EQ(parser.Value(), (25 * (1.625 + 100.0 / 500 + 0.5 + 0.2)) / 2 + 3);
    parser.SetV2(11);
    EXPECT_DOUBLE_EQ(parser.Value(), (11 * (1.625 + 100.0 / 500 + 0.5 + 0.2)) / 2 + 3);
}

TEST(MathsParserNames, BoundAtCompileTime)
{
    TMathsParser parser;
    parser.SetV1(2);
    parser.SetV2(5);
    parser.SetExpression("a*3");
    parser.SetV1Name("b");
    parser.SetV2Name("a");
    EXPECT_EQ(parser.Value(), 6);
    parser.SetExpression("a*3");
    EXPECT_EQ(parser.Value(), 15);
}

TEST(MathsParserNames, EmptyNameDisablesTheVariable)
{
    TMathsParser parser;
    parser.SetV1Name("");
    EXPECT_THROW(parser.SetExpression("a+1"), ESyntaxError);
    parser.SetExpression("b+1");
    EXPECT_EQ(parser.Value(), 1);
}

// Values 1..7 and 10 as set; NaN where no slot bears the name any more.
TEST(MathsParserNames, SetTogetherNoDefaultNameStaysBehind)
{
    const std::tuple<std::vector<std::string>, const char*, double> rows[] = {
        {{"x"}, "x*2", 2},
        {{"x"}, "a", NAN},
        {{"g", "a"}, "g+a*10", 21},
        {{"", "b"}, "a", NAN},
        {{"STR", "Damage", "TacticsR", "AnatomyR", "LumberjR", "Plus", "DEX", "INT"},
         "STR+Damage*10+TacticsR*100+AnatomyR*1000+LumberjR+Plus+DEX+INT",
         4349},
        {{"STR", "SPEED", "DEXR", "d", "e", "f", "DEX", "INT"},
         "STR+SPEED*10+DEXR*100+d*1000+e+f+DEX+INT",
         4349}};
    for (const auto& [names, formula, expected] : rows) {
        TMathsParser parser;
        SetDistinctValues(parser);
        parser.SetVarNames(names);
        if (std::isnan(expected))
            EXPECT_THROW(parser.SetExpression(formula), ESyntaxError) << formula;
        else
            EXPECT_EQ(Evaluate(parser, formula), expected) << formula;
    }
}

// A refused list names the name and leaves the default names in place.
TEST(MathsParserNames, SetTogetherRefusesNamesTheFormulaCannotHold)
{
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"2"}, "\"2\""},           {{"_a"}, "\"_a\""},
        {{"a", "pi"}, "\"pi\""},    {{"Cost"}, "\"Cost\""},
        {{"a.b"}, "\"a.b\""},       {{"Ärger"}, "\"Ärger\""},
        {{"x", "y", "X"}, "\"X\""}, {{"a", "b", "c", "d", "e", "f", "g", "h", "i"}, "8"}};
    for (const auto& [names, named] : rows) {
        TMathsParser parser;
        SetDistinctValues(parser);
        EXPECT_THROW(parser.SetVarNames(names), EVariableNameError) << named;
        EXPECT_NE(parser.ErrorMessage().find(named), std::string::npos) << parser.ErrorMessage();
        EXPECT_EQ(Evaluate(parser, "a+x"), 11) << named;
    }
}

TEST(MathsParserNames, NameHoldingAFunctionNameIsBroken)
{
    TMathsParser parser;
    parser.SetV1Name("distance");
    EXPECT_THROW(parser.SetExpression("distance"), ESyntaxError);
    parser.SetV1Name("spin");
    EXPECT_THROW(parser.SetExpression("spin"), ESyntaxError);
}

TEST(MathsParserNames, NonAsciiNameBindsByteForByte)
{
    TMathsParser parser;
    parser.SetV1Name("Ärger");
    parser.SetV1(4);
    parser.SetExpression("Ärger*2");
    EXPECT_EQ(parser.Value(), 8);
    // Only ASCII letters are folded, so the upper-case umlaut does not match a lower one.
    EXPECT_THROW(parser.SetExpression("ärger*2"), ESyntaxError);
}

TEST(MathsParserEvaluation, FollowsVariableChanges)
{
    TMathsParser parser;
    parser.SetExpression("x^2+a");
    for (double x : {0.0, 1.5, -3.0, 1e10}) {
        parser.SetV8(x);
        parser.SetV1(x / 2);
        EXPECT_DOUBLE_EQ(parser.Value(), x * x + x / 2) << x;
        EXPECT_DOUBLE_EQ(parser.Value(), x * x + x / 2) << "again " << x;
    }
}

TEST(MathsParserEvaluation, NothingCompiledGivesZero)
{
    TMathsParser parser;
    EXPECT_EQ(parser.Value(), 0);
    EXPECT_EQ(parser.Expression(), "");
    EXPECT_EQ(parser.V1Name(), "a");
    EXPECT_EQ(parser.V8Name(), "x");
}

struct TFunctionCase
{
    const char* Name;
    const char* Formula;
    double (*Reference)(double);
    double Argument;
};

using Functions = testing::TestWithParam<TFunctionCase>;

TEST_P(Functions, MatchTheStandardLibrary)
{
    TMathsParser parser;
    parser.SetExpression(GetParam().Formula);
    for (double scale : {1.0, -1.0, 0.25}) {
        const double argument = GetParam().Argument * scale;
        parser.SetV8(argument);
        const double expected = GetParam().Reference(argument);
        EXPECT_NEAR(parser.Value(), expected, 4e-16 * std::max(1.0, std::fabs(expected)))
            << GetParam().Formula << " at " << argument;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Functions,
    testing::Values(
        TFunctionCase{"Exp", "exp(x)", [](double v) { return std::exp(v); }, 3.5},
        TFunctionCase{"Ln", "ln(abs(x))", [](double v) { return std::log(std::fabs(v)); }, 7.25},
        TFunctionCase{"Log10", "log10(abs(x))", [](double v) { return std::log10(std::fabs(v)); },
                      1234.5},
        TFunctionCase{"Sin", "sin(x)", [](double v) { return std::sin(v); }, 2.5},
        TFunctionCase{"Cos", "cos(x)", [](double v) { return std::cos(v); }, 2.5},
        TFunctionCase{"Tan", "tan(x)", [](double v) { return std::tan(v); }, 1.2},
        TFunctionCase{"Abs", "abs(x)", [](double v) { return std::fabs(v); }, 6.5},
        TFunctionCase{"Arcsin", "arcsin(x)", [](double v) { return std::asin(v); }, 0.75},
        TFunctionCase{"Arccos", "arccos(x)", [](double v) { return std::acos(v); }, 0.75},
        TFunctionCase{"Arctan", "arctan(x)", [](double v) { return std::atan(v); }, 12.0},
        TFunctionCase{"Sqrt", "sqrt(abs(x))", [](double v) { return std::sqrt(std::fabs(v)); },
                      2.0}),
    [](const testing::TestParamInfo<TFunctionCase>& info) { return info.param.Name; });

TEST(MathsParserFunctions, SineAndCosineVanishBeyondTheProcessorRange)
{
    TMathsParser parser;
    parser.SetExpression("sin(x)+cos(x)");
    parser.SetV8(std::ldexp(1.0, 63));
    EXPECT_EQ(parser.Value(), 0);
    parser.SetV8(-std::ldexp(1.0, 64));
    EXPECT_EQ(parser.Value(), 0);
    parser.SetV8(std::nextafter(std::ldexp(1.0, 63), 0.0));
    EXPECT_NE(parser.Value(), 0);
}

TEST(MathsParserFunctions, ErrorFunctionApproximation)
{
    EXPECT_NEAR(Evaluate("erfc(0)"), 1.00000003, 1e-12);
    EXPECT_NEAR(Evaluate("erf(0)"), -0.00000003, 1e-12);
    TMathsParser parser;
    parser.SetExpression("erfc(x)");
    TMathsParser complement;
    complement.SetExpression("erf(x)");
    for (double x = -4; x <= 4; x += 0.125) {
        parser.SetV8(x);
        complement.SetV8(x);
        // The approximation is documented to stay within 1.2e-7 of the true function.
        EXPECT_NEAR(parser.Value(), std::erfc(x), 1.2e-7 * std::erfc(x) + 1e-15) << x;
        EXPECT_NEAR(complement.Value(), std::erf(x), 2e-7) << x;
    }
    parser.SetV8(1.5);
    const double positive = parser.Value();
    parser.SetV8(-1.5);
    EXPECT_DOUBLE_EQ(parser.Value(), 2 - positive);
}

TEST(MathsParserFunctions, FunctionNameWithoutBracketIsNoCall)
{
    EXPECT_THROW(Evaluate("sin2"), EConvertError);
    EXPECT_THROW(Evaluate("2sin(0)"), EConvertError);
}

TEST(MathsParserPower, Rules)
{
    TMathsParser parser;
    parser.SetExpression("a^b");
    struct TRow
    {
        double Base;
        double Exponent;
        double Expected;
    };
    const TRow rows[] = {
        {0, 0, 1},
        {-5, 0, 1},
        {0, 2.5, 0},
        {0, 3, 0},
        {-2, 3, -8},
        {-2, -1, -0.5},
        {2, -2, 0.25},
        {-1, 2147483647, -1},
        {1, 2147483648.0, 1},
        {2, 0.5, std::sqrt(2.0)},
        {10, -400, 0},
        // Exact in extended precision, so square-and-multiply rounds only once.
        {3, 40, 12157665459056928801.0},
    };
    for (const TRow& row : rows) {
        parser.SetV1(row.Base);
        parser.SetV2(row.Exponent);
        EXPECT_DOUBLE_EQ(parser.Value(), row.Expected) << row.Base << "^" << row.Exponent;
    }
}

struct TFaultCase
{
    const char* Name;
    const char* Formula;
    double X;
    const char* ClassName;
    const char* Message;
    std::size_t Position;
};

using EvaluationFaults = testing::TestWithParam<TFaultCase>;

// Value() and a batch whose x is a column, so that the wide kernels meet the fault too.
TEST_P(EvaluationFaults, RaiseFromValueAtTheFaultingOperation)
{
    const TFaultCase& row = GetParam();
    const std::string expected =
        std::string(row.ClassName) + ": " + row.Message + " at " + std::to_string(row.Position);
    TMathsParser parser;
    parser.SetExpression(row.Formula);
    parser.SetV8(row.X);
    try {
        const double value = parser.Value();
        ADD_FAILURE() << row.Formula << " gave " << value;
    } catch (const EMathError& error) {
        EXPECT_EQ(FaultText(error), expected);
        EXPECT_EQ(parser.ErrorMessage(), row.Message);
    }
    TMathsParser::TColumns columns{};
    columns[7] = &row.X;
    double out = 0;
    try {
        parser.ValueBatch(columns, 1, &out);
        ADD_FAILURE() << row.Formula << " gave " << out << " in a batch";
    } catch (const EMathError& error) {
        EXPECT_EQ(FaultText(error), expected);
    }
}

constexpr const char* kZeroDivide = "Floating point division by zero";
constexpr const char* kInvalidOp = "Invalid floating point operation";
constexpr const char* kOverflow = "Floating point overflow";

INSTANTIATE_TEST_SUITE_P(
    Table, EvaluationFaults,
    testing::Values(
        TFaultCase{"DivideByZero", "1/0", 0, "EZeroDivide", kZeroDivide, 1},
        TFaultCase{"DivideByNegativeZero", "x/-0", 2, "EZeroDivide", kZeroDivide, 1},
        TFaultCase{"ZeroByZero", "x/0", 0, "EInvalidOp", kInvalidOp, 1},
        TFaultCase{"LnOfZero", "ln(x)", 0, "EZeroDivide", kZeroDivide, 0},
        TFaultCase{"Log10OfZero", "log10(x)", 0, "EZeroDivide", kZeroDivide, 0},
        TFaultCase{"LnOfNegative", "ln(x)", -1, "EInvalidOp", kInvalidOp, 0},
        TFaultCase{"Log10OfNegative", "log10(x)", -1, "EInvalidOp", kInvalidOp, 0},
        TFaultCase{"SqrtOfNegative", "sqrt(x)", -1e-300, "EInvalidOp", kInvalidOp, 0},
        TFaultCase{"ArcsinBeyondOne", "arcsin(x)", 1.0000001, "EInvalidOp", kInvalidOp, 0},
        TFaultCase{"ArccosBeyondMinusOne", "arccos(x)", -1.5, "EInvalidOp", kInvalidOp, 0},
        TFaultCase{"ZeroToNegativePower", "x^-1", 0, "EZeroDivide", kZeroDivide, 1},
        TFaultCase{"ZeroToNegativeFraction", "x^-0.5", 0, "EZeroDivide", kZeroDivide, 1},
        TFaultCase{"NegativeToFraction", "x^0.5", -8, "EInvalidOp", kInvalidOp, 1},
        TFaultCase{"NegativeToHugeIntegral", "x^2147483648", -1, "EInvalidOp", kInvalidOp, 1},
        TFaultCase{"PowerOverflow", "x^400", 10, "EOverflow", kOverflow, 1},
        TFaultCase{"TinyToNegativePower", "x^-20", 1e-300, "EOverflow", kOverflow, 1},
        TFaultCase{"ExpOverflow", "exp(x)", 710, "EOverflow", kOverflow, 0},
        TFaultCase{"ProductOverflow", "x*x", 1e200, "EOverflow", kOverflow, 1},
        TFaultCase{"SumOverflow", "x+x", 1.7e308, "EOverflow", kOverflow, 1},
        TFaultCase{"QuotientOverflow", "x/0.5", 1.7e308, "EOverflow", kOverflow, 1},
        // A later step turns the first fault's inf into NaN or a
        // finite value; the first faulting step still names the fault.
        TFaultCase{"OverflowBeforeInvalid", "x*x-x*x", 1e200, "EOverflow", kOverflow, 1},
        // The innermost bracket on the right is reduced, and so run, first.
        TFaultCase{"OverflowLaterCancelled", "(x*x)/(x*x)", 1e200, "EOverflow", kOverflow, 8},
        TFaultCase{"ZeroDivideBeforeProduct", "(1/x)*0", 0, "EZeroDivide", kZeroDivide, 2},
        TFaultCase{"ZeroDivideLaterDivided", "1/(1/x)", 0, "EZeroDivide", kZeroDivide, 4},
        // Spaces, upper case and the rewriting of "+-" and "(-" keep their places.
        TFaultCase{"AmongSpaces", " 2 +-  SQRT ( x )", -1, "EInvalidOp", kInvalidOp, 7},
        TFaultCase{"AfterLeadingMinus", "(-x)^0.5 + pi", 4, "EInvalidOp", kInvalidOp, 4},
        TFaultCase{"InfiniteVariable", "0*x", kInf, "EOverflow", kOverflow, 2},
        TFaultCase{"NaNVariable", "1 + (x) - x", kNaN, "EInvalidOp", kInvalidOp, 5}),
    [](const testing::TestParamInfo<TFaultCase>& info) { return info.param.Name; });

// Steps after one that is an exact tie or lies near a halfway point between
// two doubles take that step's extended result rounded to double.
TEST(MathsParserEvaluation, StepsAfterOneNeedingExtendedPrecision)
{
    const auto step = [](long double value) { return static_cast<double>(value); };
    const double tie = step(20.0L * 2.05);
    EXPECT_EQ(Evaluate("20*2.05+0.25"), step(tie + 0.25L));
    EXPECT_EQ(Evaluate("((20*2.05)*3)/7"), step(step(tie * 3.0L) / 7.0L));
    const double sum = step(1.0L + 0x1p-53);
    EXPECT_EQ(sum, 1.0);
    const double rounded = step(0x1p53L + 1.0L);
    EXPECT_EQ(Evaluate("(9007199254740992+1)*2"), step(rounded * 2.0L));
    EXPECT_EQ(Evaluate("(1+0.000000000000000111022302462515654)*3-3"),
              step(step(step(1.0L + 0.000000000000000111022302462515654) * 3.0L) - 3.0L));
}

TEST(MathsParserFaults, UnusedNonFiniteVariableIsHarmless)
{
    TMathsParser parser;
    parser.SetExpression("a+1");
    parser.SetV8(kNaN);
    parser.SetV7(kInf);
    EXPECT_EQ(parser.Value(), 1);
}

TEST(MathsParserFaults, ResultsBelowTheDoubleRangeBecomeZero)
{
    EXPECT_EQ(Evaluate("exp(0-800)"), 0);
    EXPECT_EQ(Evaluate("0.1^400"), 0);
}

TEST(MathsParserFaults, FaultLeavesTheProgramUsable)
{
    TMathsParser parser;
    parser.SetExpression("1/x");
    EXPECT_THROW(parser.Value(), EZeroDivide);
    parser.SetV8(4);
    EXPECT_EQ(parser.Value(), 0.25);
}

struct TCompileErrorCase
{
    const char* Name;
    const char* Formula;
    const char* ClassName;
    const char* Message;
    std::size_t Position;
};

using CompileErrors = testing::TestWithParam<TCompileErrorCase>;

TEST_P(CompileErrors, RaiseWithMessageAtTheFault)
{
    const TCompileErrorCase& row = GetParam();
    TMathsParser parser;
    try {
        parser.SetExpression(row.Formula);
        ADD_FAILURE() << row.Formula << " compiled";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.ClassName(), row.ClassName) << row.Formula;
        EXPECT_EQ(error.what(), std::string(row.Message)) << row.Formula;
        EXPECT_EQ(error.Position(), row.Position) << row.Formula;
        EXPECT_EQ(parser.ErrorMessage(), row.Message);
    }
}

constexpr const char* kBracketMessage =
    "Number of bracket is miss-matching. Review your expression.";
constexpr const char* kSyntaxMessage = "The expression is improper. Please check it.";

TCompileErrorCase Bracket(const char* name, const char* formula, std::size_t position)
{
    return {name, formula, "EMissMatchingBracket", kBracketMessage, position};
}

TCompileErrorCase Syntax(const char* name, const char* formula, std::size_t position)
{
    return {name, formula, "ESyntaxError", kSyntaxMessage, position};
}

TCompileErrorCase Convert(const char* name, const char* formula, const char* message,
                          std::size_t position)
{
    return {name, formula, "EConvertError", message, position};
}

INSTANTIATE_TEST_SUITE_P(
    Table, CompileErrors,
    testing::Values(
        Bracket("UnclosedBracket", "(1+2", 0), Bracket("UnclosedAfterClosed", "(1)+((2)", 4),
        Bracket("ExtraClose", "1+2)", 3), Bracket("ShapesCountAlike", "[1+2)*{3", 6),
        // Equal counts in the wrong order are a typo, not a formula.
        Bracket("ClosedBeforeOpened", "1)+(2", 1), Bracket("VariablesMisnested", "x)*(a", 1),
        Bracket("BracketsInsideOut", ")1+2(", 0), Syntax("UnknownName", "2+y", 2),
        Syntax("UnknownNameAfterSpaces", " 2 +  yy", 6), Syntax("StrayLetter", "2+x?", 3),
        Syntax("Utf8Text", "2×3", 1), Syntax("Tab", "1\t+2", 1),
        // Against pi a number, a variable or pi again would merge into one operand.
        Syntax("NumberBeforePi", "2pi", 1), Syntax("SpaceBeforePi", "2 pi", 2),
        Syntax("NumberAfterPi", "pi2", 0), Syntax("PointAfterPi", "pi.5", 0),
        Syntax("VariableBeforePi", "x pi", 2), Syntax("VariableAfterPi", "PIa", 0),
        Syntax("PiTwice", "pipi", 0), Syntax("ControlCharacterIsNoPi", "1+\x01*2", 2),
        Convert("TwoDecimalPoints", "1+ 1.2.3", "'1.2.3' is not a valid floating point value", 3),
        Convert("LonePoint", ".+1", "'.' is not a valid floating point value", 0),
        Convert("OperatorsWithoutOperand", "3*/2", "'0*' is not a valid integer value", 2),
        Convert("EmptyBrackets", "1+()", "'' is not a valid integer value", 2),
        Convert("FunctionWithoutBracket", "1*(sin2)", "'@$#11' is not a valid integer value", 3),
        Convert("FunctionBeforeOperator", "sqrt*2", "'@#' is not a valid integer value", 0),
        Convert("JuxtaposedOperands", "2(3)", "'1011' is not a valid integer value", 1),
        Convert("ExponentNotation", "1e5", "'100511' is not a valid integer value", 1),
        Convert("OperatorBeforePlus", "3^+2", "'+1' is not a valid integer value", 1),
        Convert("OperatorBeforeTimes", "3**2", "'*1' is not a valid integer value", 1),
        Convert("PlusAfterOpening", "(+2)", "'' is not a valid integer value", 1),
        Convert("TrailingOperator", "2+", "'' is not a valid integer value", 1),
        Convert("LeadingMinusAlone", "(-)", "'' is not a valid integer value", 1),
        Convert("ThreeMinus", "2---3", "'-1' is not a valid integer value", 1),
        Convert("EmptyFormula", "", "'' is not a valid integer value", 0)),
    [](const testing::TestParamInfo<TCompileErrorCase>& info) { return info.param.Name; });

TEST(MathsParserRejection, KeepsThePreviousProgram)
{
    const std::string tooManySlots = Repeat("1", 46, "+");
    for (const std::string& bad : {std::string("(1+2"), std::string("2+y"), std::string("1.2.3+7"),
                                   std::string("3*/2"), tooManySlots}) {
        TMathsParser parser;
        parser.SetExpression("x*2+5");
        parser.SetV8(3);
        EXPECT_THROW(parser.SetExpression(bad), Exception) << bad;
        EXPECT_EQ(parser.Expression(), "x*2+5");
        EXPECT_EQ(parser.Value(), 11) << bad;
        parser.SetV8(4);
        EXPECT_EQ(parser.Value(), 13) << bad;
    }
}

TEST(MathsParserRejection, ErrorMessageTracksTheLastError)
{
    TMathsParser parser;
    EXPECT_EQ(parser.ErrorMessage(), "");
    EXPECT_THROW(parser.SetExpression("2+y"), ESyntaxError);
    EXPECT_EQ(parser.ErrorMessage(), kSyntaxMessage);
    EXPECT_THROW(parser.SetExpression("(1"), EMissMatchingBracket);
    EXPECT_EQ(parser.ErrorMessage(), kBracketMessage);
}

TEST(MathsParserLimits, EightyNineSlotsFitAndNinetyDoNot)
{
    struct TRow
    {
        const char* Name;
        std::string Formula;
        bool Fits;
        double Expected;
    };
    const TRow rows[] = {
        {"45 literals, 44 sums", Repeat("1", 45, "+"), true, 45},
        {"46 literals, 45 sums", Repeat("1", 46, "+"), false, 0},
        {"no literal, 89 sums", Repeat("a", 90, "+"), true, 90},
        {"no literal, 90 sums", Repeat("a", 91, "+"), false, 0},
        {"45 literals, 44 sums, a call", "abs(" + Repeat("1", 45, "+") + ")", false, 0},
        {"89 literals", Repeat("1", 89, "a"), false, 0},
        {"90 literals", Repeat("1", 90, "a"), false, 0},
        {"nested brackets cost nothing", Repeat("(", 60, "") + "a+1" + Repeat(")", 60, ""), true,
         2},
    };
    for (const TRow& row : rows) {
        TMathsParser parser;
        parser.SetV1(1);
        if (row.Fits) {
            parser.SetExpression(row.Formula);
            EXPECT_EQ(parser.Value(), row.Expected) << row.Name;
        } else {
            // 89 literals fit the slots but cannot be combined, so they fail as juxtaposed.
            EXPECT_THROW(parser.SetExpression(row.Formula), Exception) << row.Name;
        }
    }
    TMathsParser parser;
    EXPECT_THROW(parser.SetExpression(Repeat("1", 89, "a")), EConvertError);
    try {
        parser.SetExpression(Repeat("1", 90, "a"));
        ADD_FAILURE() << "90 literals compiled";
    } catch (const ESyntaxError& error) {
        EXPECT_EQ(error.Position(), 178u) << "the 90th literal";
    }
}

TEST(MathsParserLimits, NormalisedTextUpTo256Characters)
{
    TMathsParser parser;
    // "1." and zeros: 254 characters, 256 with the outer brackets.
    const std::string longest = "1." + std::string(252, '0');
    parser.SetExpression(longest);
    EXPECT_EQ(parser.Value(), 1);
    try {
        parser.SetExpression(" " + longest + "0");
        ADD_FAILURE() << "257 characters compiled";
    } catch (const ESyntaxError& error) {
        EXPECT_EQ(error.Position(), 255u) << "the last zero is one too many";
    }
    // Spaces are removed before counting.
    parser.SetExpression(std::string(300, ' ') + "2 +" + std::string(300, ' ') + "x");
    EXPECT_EQ(parser.Value(), 2);
    EXPECT_THROW(parser.SetExpression(std::string(5000, '(') + std::string(5000, ')')),
                 ESyntaxError);
}

TEST(MathsParserRobustness, ArbitraryBytesNeverBreakTheParser)
{
    std::mt19937 random(20240611);
    const std::string alphabet = "0123456789.+-*/^()[]{} axpisncoqrtlgebfd@#$!&%\xc3\xa9\xff";
    TMathsParser parser;
    parser.SetV1(0.5);
    parser.SetV8(2);
    int compiled = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) {
            text += random() % 8 == 0 ? static_cast<char>(random() % 256)
                                      : alphabet[random() % alphabet.size()];
        }
        try {
            parser.SetExpression(text);
            ++compiled;
            EXPECT_EQ(parser.Expression(), text);
            const double value = parser.Value();
            EXPECT_TRUE(std::isfinite(value)) << text;
        } catch (const Exception& error) {
            EXPECT_FALSE(parser.ErrorMessage().empty());
            EXPECT_EQ(parser.ErrorMessage(), error.what());
        }
    }
    EXPECT_GT(compiled, 100);
}

} // namespace
