#include "expr/MathsParser.h"
#include "tests/expr/FaultText.h"
#include "tests/expr/RandomFormula.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

// The batch evaluation must give, row by row, exactly what Value() gives:
// the same bits, or the same exception for the first row that faults.
namespace {

struct TOutcome
{
    double Value = 0;
    std::optional<std::string> Fault; // class name, message and position
    std::string ErrorMessage;
};

TOutcome Single(TMathsParser& parser)
{
    TOutcome outcome;
    try {
        outcome.Value = parser.Value();
    } catch (const Exception& error) {
        outcome.Fault = FaultText(error);
    }
    outcome.ErrorMessage = parser.ErrorMessage();
    return outcome;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TMathsParser DamageParser()
{
    TMathsParser parser;
    for (std::size_t i = 0; i < 8; ++i) {
        parser.SetVarName(i, kDamageNames[i]);
    }
    return parser;
}

// Runs `rows` rows both ways and compares. Returns whether the batch faulted.
bool Compare(TMathsParser& parser, const std::vector<std::vector<double>>& data,
             const TMathsParser::TColumns& columns, std::size_t rows, const std::string& label)
{
    const std::array<double, 8> saved = {parser.V1(), parser.V2(), parser.V3(), parser.V4(),
                                         parser.V5(), parser.V6(), parser.V7(), parser.V8()};
    std::vector<TOutcome> expected;
    std::optional<std::size_t> firstFault;
    for (std::size_t r = 0; r < rows && !firstFault; ++r) {
        for (std::size_t i = 0; i < 8; ++i) {
            parser.SetVar(i, columns[i] != nullptr ? data[i][r] : saved[i]);
        }
        expected.push_back(Single(parser));
        if (expected.back().Fault) {
            firstFault = r;
        }
    }
    for (std::size_t i = 0; i < 8; ++i) {
        parser.SetVar(i, saved[i]);
    }

    std::vector<double> out(rows, -12345.0);
    std::optional<std::string> batchFault;
    try {
        parser.ValueBatch(columns, rows, out.data());
    } catch (const Exception& error) {
        batchFault = FaultText(error);
    }
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_TRUE(SameBits(parser.Var(i), saved[i])) << label << ": V" << i + 1 << " changed";
    }

    if (firstFault) {
        EXPECT_EQ(batchFault, expected.back().Fault)
            << label << ", first fault in row " << *firstFault;
        EXPECT_EQ(parser.ErrorMessage(), expected.back().ErrorMessage) << label;
        return true;
    }
    EXPECT_FALSE(batchFault) << label << ": " << batchFault.value_or("");
    for (std::size_t r = 0; r < rows; ++r) {
        if (!SameBits(out[r], expected[r].Value)) {
            ADD_FAILURE() << label << ", row " << r << ": batch " << out[r] << ", single "
                          << expected[r].Value;
            break;
        }
    }
    return false;
}

double RandomValue(TFormulaGenerator& generator, bool allowNonFinite)
{
    static const double kSpecial[] = {0.0,  -0.0,  1.0,    -1.0, 2.0, 0.5,
                                      -3.7, 1e300, 1e-300, 1e18, 100, 0.25};
    const int kind = generator.Pick(allowNonFinite ? 1000 : 990);
    if (kind >= 995) {
        return kind % 2 ? kNaN : -kInf;
    }
    if (kind >= 990) {
        return kInf;
    }
    if (kind < 300) {
        return kSpecial[generator.Pick(12)];
    }
    std::uniform_real_distribution<double> uniform(-10.0, 10.0);
    return uniform(generator.Random());
}

TEST(MathsParserBatch, MatchesSingleEvaluationOnRandomFormulas)
{
    TFormulaGenerator generator(20240611, kDamageNames);
    TMathsParser parser = DamageParser();
    int compiled = 0, faulted = 0, passed = 0;
    for (int n = 0; n < 1500; ++n) {
        const std::string formula = generator.Formula();
        try {
            parser.SetExpression(formula);
        } catch (const Exception&) {
            continue;
        }
        ++compiled;
        const std::size_t rows = n % 10 == 0 ? 1 + generator.Pick(700)
                                             : 1 + static_cast<std::size_t>(generator.Pick(201));
        std::vector<std::vector<double>> data(8, std::vector<double>(rows));
        TMathsParser::TColumns columns{};
        const bool allowNonFinite = generator.Pick(4) == 0;
        for (std::size_t i = 0; i < 8; ++i) {
            parser.SetVar(i, RandomValue(generator, false));
            if (generator.Pick(3) != 0) {
                for (double& value : data[i]) {
                    value = RandomValue(generator, allowNonFinite);
                }
                columns[i] = data[i].data();
            }
        }
        if (Compare(parser, data, columns, rows, formula)) {
            ++faulted;
        } else {
            ++passed;
        }
    }
    // The generator must exercise both outcomes, or the comparison proves little.
    EXPECT_GT(compiled, 1000);
    EXPECT_GT(faulted, 100);
    EXPECT_GT(passed, 300);
}

// Named cases where the fault of the first faulting row differs from the
// fault found first in operation order.
struct TFaultCase
{
    const char* Name;
    const char* Formula;
    std::vector<double> A; // column of variable a
    std::vector<double> B; // column of variable b
    const char* Expected;  // class of the first faulting row's exception
};
// Test names and failures show the case by its name rather than its bytes.
void PrintTo(const TFaultCase& c, std::ostream* os)
{
    *os << c.Name;
}

class MathsParserBatchFault : public ::testing::TestWithParam<TFaultCase>
{
};

TEST_P(MathsParserBatchFault, RaisesTheFirstFaultingRowsException)
{
    const TFaultCase& c = GetParam();
    TMathsParser parser;
    parser.SetExpression(c.Formula);
    std::vector<std::vector<double>> data(8, std::vector<double>(c.A.size()));
    data[0] = c.A;
    data[1] = c.B;
    TMathsParser::TColumns columns{};
    columns[0] = data[0].data();
    columns[1] = data[1].data();
    std::vector<double> out(c.A.size());
    try {
        parser.ValueBatch(columns, c.A.size(), out.data());
        ADD_FAILURE() << "no exception";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.ClassName(), c.Expected);
    }
    EXPECT_TRUE(Compare(parser, data, columns, c.A.size(), c.Name));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MathsParserBatchFault,
    ::testing::Values(
        // Row 1 fails at the square root (the first operation); row 0 only at
        // the later division: row 0's division by zero wins.
        TFaultCase{"EarlierRowLaterOperation", "sqrt(b)+1/a", {0, 1}, {1, -1}, "EZeroDivide"},
        TFaultCase{"ZeroOverZero", "b+a/b", {0, 1}, {0, 0}, "EInvalidOp"},
        TFaultCase{"NegatedDivisor", "a/-b", {1, 2, 3}, {2, 1, 0}, "EZeroDivide"},
        TFaultCase{"OverflowInProduct", "a*b", {1, 1e300}, {2, 1e300}, "EOverflow"},
        TFaultCase{"NaNVariableBeforeOperations", "1/b+a", {kNaN, 1}, {0, 1}, "EInvalidOp"},
        TFaultCase{"InfiniteVariable", "a+b", {1, 2, -kInf}, {1, 1, 1}, "EOverflow"},
        TFaultCase{"NegativeBaseFractionalPower", "a^b", {2, -2}, {0.5, 0.5}, "EInvalidOp"},
        TFaultCase{"LogarithmOfZero", "ln(a)*b", {1, 0}, {1, 1}, "EZeroDivide"},
        TFaultCase{"ArcsinBeyondOne", "arcsin(a)", {0.5, 1.0000001}, {0, 0}, "EInvalidOp"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MathsParserBatch, ConstantPartFaultsForRowZero)
{
    TMathsParser parser;
    parser.SetExpression("a+1/b");
    parser.SetV2(0);
    const std::vector<double> a = {1, 2, kNaN};
    TMathsParser::TColumns columns{};
    columns[0] = a.data();
    double out[3];
    // Row 2's NaN comes first in Value()'s order, but row 0 already fails at 1/b.
    EXPECT_THROW(parser.ValueBatch(columns, 3, out), EZeroDivide);
}

TEST(MathsParserBatch, BlocksBeyondTheFirstAndTheirFaults)
{
    TMathsParser parser;
    parser.SetExpression("(15000/((25+2.5*a)*b))");
    parser.SetV2(40);
    const std::size_t rows = 3 * TMathsParser::BatchRows + 17;
    std::vector<std::vector<double>> data(8, std::vector<double>(rows));
    for (std::size_t r = 0; r < rows; ++r) {
        data[0][r] = static_cast<double>(r) - 500;
    }
    TMathsParser::TColumns columns{};
    columns[0] = data[0].data();
    // Row 490 gives 25 + 2.5 * -10 = 0, in the second block.
    EXPECT_TRUE(Compare(parser, data, columns, rows, "zero divisor in block 2"));
    for (std::size_t r = 0; r < rows; ++r) {
        data[0][r] = static_cast<double>(r);
    }
    EXPECT_FALSE(Compare(parser, data, columns, rows, "four blocks"));
}

TEST(MathsParserBatch, WithoutColumnsEveryRowIsValue)
{
    TMathsParser parser = DamageParser();
    parser.SetExpression("(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus");
    for (std::size_t i = 0; i < 8; ++i) {
        parser.SetVar(i, 1.25 + static_cast<double>(i));
    }
    const double single = parser.Value();
    std::vector<double> out(5);
    parser.ValueBatch({}, out.size(), out.data());
    for (double value : out) {
        EXPECT_TRUE(SameBits(value, single));
    }
    // The result slot may be a variable's own column.
    parser.SetExpression("Damage");
    const std::vector<double> damage = {3, -4, 5.5};
    TMathsParser::TColumns columns{};
    columns[1] = damage.data();
    parser.ValueBatch(columns, damage.size(), out.data());
    EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 3), damage);
}

} // namespace

namespace {

// A double with `bits` significant bits and the given binary exponent.
double RandomDouble(std::mt19937_64& random, int bits, int exponent)
{
    const std::uint64_t significand = (random() >> (64 - bits)) | (std::uint64_t{1} << (bits - 1));
    return std::ldexp(static_cast<double>(significand), exponent - bits + 1) *
           (random() % 2 == 0 ? 1 : -1);
}

// Value() may compute in double where that rounds as the extended-precision
// operation would; these operands put the exact results close to the points
// halfway between two doubles, where the two roundings can part.
TEST(MathsParserSingle, ArithmeticRoundsLikeExtendedPrecision)
{
    std::mt19937_64 random(99);
    struct TOperator
    {
        const char* Formula;
        long double (*Reference)(long double, long double);
    };
    const TOperator operators[] = {
        {"a+b", [](long double a, long double b) { return a + b; }},
        {"a-b", [](long double a, long double b) { return a - b; }},
        {"a*b", [](long double a, long double b) { return a * b; }},
        {"a/b", [](long double a, long double b) { return a / b; }},
        {"a*-b", [](long double a, long double b) { return a * -b; }},
        {"a/-b", [](long double a, long double b) { return a / -b; }},
    };
    for (const TOperator& op : operators) {
        TMathsParser parser;
        parser.SetExpression(op.Formula);
        int checked = 0;
        for (int n = 0; n < 200000; ++n) {
            double a = 0, b = 0;
            const int kind = static_cast<int>(random() % 4);
            if (kind == 0) {
                // Operand lengths whose exact product or sum lies just past 64 bits.
                const int bitsA = 1 + static_cast<int>(random() % 53);
                const int bitsB = 1 + static_cast<int>(random() % 53);
                a = RandomDouble(random, bitsA, static_cast<int>(random() % 40) - 20);
                b = RandomDouble(random, bitsB, static_cast<int>(random() % 40) - 20);
            } else if (kind == 1) {
                // b a little more or less than half a unit of a.
                a = RandomDouble(random, 53, static_cast<int>(random() % 40) - 20);
                const double ulp = std::ldexp(1.0, std::ilogb(a) - 52);
                const double offset = std::ldexp(static_cast<double>(random() % 17) - 8,
                                                 -10 - static_cast<int>(random() % 4));
                b = ulp * (0.5 + offset);
            } else if (kind == 2) {
                // Anywhere in the double range, subnormals and overflow included.
                a = RandomDouble(random, 53, static_cast<int>(random() % 2100) - 1070);
                b = RandomDouble(random, 53, static_cast<int>(random() % 2100) - 1070);
            } else {
                a = RandomDouble(random, 53, static_cast<int>(random() % 8));
                b = RandomDouble(random, 1 + static_cast<int>(random() % 20),
                                 static_cast<int>(random() % 8));
            }
            if (!std::isfinite(a) || !std::isfinite(b) || b == 0) {
                continue;
            }
            const double expected = static_cast<double>(op.Reference(a, b));
            parser.SetV1(a);
            parser.SetV2(b);
            if (!std::isfinite(expected)) {
                EXPECT_THROW(parser.Value(), EMathError) << op.Formula << " " << a << " " << b;
                continue;
            }
            const double actual = parser.Value();
            ++checked;
            if (!SameBits(actual, expected)) {
                ADD_FAILURE() << op.Formula << " with a = " << std::hexfloat << a << ", b = " << b
                              << ": " << actual << " instead of " << expected;
                break;
            }
        }
        EXPECT_GT(checked, 150000) << op.Formula;
    }
}

// Integers a and b (below 2^53) whose exact product, or whose quotient a / b,
// lies within a 64-bit step of a point halfway between two doubles: the
// cases where rounding twice and rounding once differ.
__extension__ using TWide = unsigned __int128;

bool NearHalfway(TWide exact)
{
    int length = 0;
    for (TWide rest = exact; rest != 0; rest >>= 1) {
        ++length;
    }
    if (length < 66) {
        return false;
    }
    const TWide one = 1;
    const TWide below = exact & ((one << (length - 53)) - 1);
    const TWide half = one << (length - 54);
    const TWide distance = below > half ? below - half : half - below;
    return distance <= one << (length - 64);
}

struct TOperands
{
    double A;
    double B;
};

std::vector<TOperands> HalfwayOperands(bool division, std::size_t count)
{
    std::mt19937_64 random(division ? 7 : 8);
    std::vector<TOperands> found;
    while (found.size() < count) {
        const std::uint64_t a = (random() >> 11) | (std::uint64_t{1} << 52);
        const int bitsB = 2 + static_cast<int>(random() % 52);
        const std::uint64_t b = (random() >> (64 - bitsB)) | (std::uint64_t{1} << (bitsB - 1)) | 1;
        const TWide exact =
            division ? (static_cast<TWide>(a) << 74) / b : static_cast<TWide>(a) * b;
        if (!NearHalfway(exact)) {
            continue;
        }
        const int scale = static_cast<int>(random() % 60) - 30;
        found.push_back({std::ldexp(static_cast<double>(a), scale) * (random() % 2 ? -1 : 1),
                         std::ldexp(static_cast<double>(b), -scale / 2)});
    }
    return found;
}

// The batch evaluation computes whole columns in double where the processor
// allows and must then round exactly like Value(): operands at the hard
// points, each operand as a column or the same for every row.
TEST(MathsParserBatch, ArithmeticAtHalfwayPointsRoundsLikeExtendedPrecision)
{
    struct TCase
    {
        const char* Formula;
        bool Division;
        long double (*Reference)(long double, long double);
        double (*Plain)(double, double);
    };
    const TCase cases[] = {
        {"a*b", false, [](long double a, long double b) { return a * b; },
         [](double a, double b) { return a * b; }},
        {"a*-b", false, [](long double a, long double b) { return a * -b; },
         [](double a, double b) { return a * -b; }},
        {"a/b", true, [](long double a, long double b) { return a / b; },
         [](double a, double b) { return a / b; }},
        {"a/-b", true, [](long double a, long double b) { return a / -b; },
         [](double a, double b) { return a / -b; }},
        {"a+b", false, [](long double a, long double b) { return a + b; },
         [](double a, double b) { return a + b; }},
        {"a-b", false, [](long double a, long double b) { return a - b; },
         [](double a, double b) { return a - b; }},
    };
    constexpr std::size_t kRows = 203;
    for (const TCase& test : cases) {
        std::vector<TOperands> operands = HalfwayOperands(test.Division, 400);
        if (test.Formula[1] == '+' || test.Formula[1] == '-') {
            // b just more or less than half a unit of a.
            std::mt19937_64 random(3);
            for (TOperands& pair : operands) {
                const double ulp = std::ldexp(1.0, std::ilogb(pair.A) - 52);
                const double offset = std::ldexp(static_cast<double>(random() % 9) - 4,
                                                 -11 - static_cast<int>(random() % 5));
                pair.B = ulp * (0.5 + offset) * (random() % 2 ? -1 : 1);
            }
        }
        TMathsParser parser;
        parser.SetExpression(test.Formula);
        // Operands where a plain double operation would be wrong: the cases
        // the evaluator must notice.
        int parted = 0;
        for (const TOperands& pair : operands) {
            parted +=
                static_cast<double>(test.Reference(pair.A, pair.B)) != test.Plain(pair.A, pair.B);
        }
        EXPECT_GT(parted, 20) << test.Formula;
        std::vector<double> a(kRows), b(kRows), out(kRows);
        for (std::size_t first = 0; first < operands.size(); first += kRows) {
            for (std::size_t r = 0; r < kRows; ++r) {
                const TOperands& pair = operands[(first + r) % operands.size()];
                a[r] = pair.A;
                b[r] = pair.B;
            }
            for (int shape = 0; shape < 3; ++shape) {
                TMathsParser::TColumns columns{};
                columns[0] = shape == 2 ? nullptr : a.data();
                columns[1] = shape == 1 ? nullptr : b.data();
                parser.SetV1(a[7]);
                parser.SetV2(b[7]);
                parser.ValueBatch(columns, kRows, out.data());
                for (std::size_t r = 0; r < kRows; ++r) {
                    const double left = columns[0] != nullptr ? a[r] : a[7];
                    const double right = columns[1] != nullptr ? b[r] : b[7];
                    const double expected = static_cast<double>(test.Reference(left, right));
                    if (!SameBits(out[r], expected)) {
                        ADD_FAILURE() << test.Formula << " shape " << shape
                                      << " with a = " << std::hexfloat << left << ", b = " << right
                                      << ": " << out[r] << " instead of " << expected;
                        break;
                    }
                }
            }
        }
    }
}

// Exact values halfway between two doubles (20 * 2.05 is one) round alike
// either way, and are common; both paths must give the tie to the even double.
TEST(MathsParserBatch, ExactTiesRoundToEven)
{
    struct TCase
    {
        const char* Formula;
        double A;
        double B;
        long double (*Reference)(long double, long double);
    };
    const auto multiply = [](long double a, long double b) { return a * b; };
    const auto add = [](long double a, long double b) { return a + b; };
    const auto subtract = [](long double a, long double b) { return a - b; };
    const TCase cases[] = {
        {"a*b", 20, 2.05, multiply},
        {"a*b", 10, 2.05, multiply},
        {"a*b", 1 + 0x1p-52, 1.5, multiply},
        {"a*b", -(1 + 0x1p-51), 1.5, multiply},
        {"a+b", 1, 0x1p-53, add},
        {"a+b", 1 + 0x1p-52, 0x1p-53, add},
        {"a+b", 0x1p60, 128, add},
        {"a-b", 1 + 0x1p-52, -0x1p-53, subtract},
        {"a-b", -0x1p60, 384, subtract},
    };
    for (const TCase& test : cases) {
        const double expected = static_cast<double>(test.Reference(test.A, test.B));
        TMathsParser parser;
        parser.SetExpression(test.Formula);
        parser.SetV1(test.A);
        parser.SetV2(test.B);
        EXPECT_TRUE(SameBits(parser.Value(), expected)) << test.Formula << " " << test.A;
        const std::vector<double> a(9, test.A), b(9, test.B);
        std::vector<double> out(9);
        parser.ValueBatch({a.data(), b.data()}, out.size(), out.data());
        for (double value : out) {
            EXPECT_TRUE(SameBits(value, expected)) << test.Formula << " " << test.A;
        }
    }
}

} // namespace
