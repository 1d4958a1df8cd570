#include "expr/MathsParser.h"
#include "tests/expr/FaultText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

// The machine code against the interpreter: random formulas from the
// language's grammar, random values at the edges of the double range (huge,
// tiny, subnormal, negative zero, inf and NaN, also in variables the formula
// does not read). Both must give the same bits, or raise the same class with
// the same text; anything else aborts.
namespace {

constexpr double kEdges[] = {0,
                             -0.0,
                             1,
                             -1,
                             0.5,
                             2,
                             3e15,
                             1e154,
                             -1e154,
                             1e300,
                             -1e308,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             -std::numeric_limits<double>::denorm_min(),
                             0x0.fffffffffffffp-1022,
                             1e-300,
                             3e-162,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};

const char* const kFunctions[] = {"exp",    "ln",     "log10",  "sin", "cos",  "tan", "abs",
                                  "arcsin", "arccos", "arctan", "erf", "erfc", "sqrt"};
const char* const kNumbers[] = {"0", "1", "2", "0.5", "3", "10", "500", "0.1", "pi", "1.5", "1.25"};
const char* const kNames[] = {"a", "b", "c", "d", "e", "f", "g", "x"};

std::string Sum(FuzzedDataProvider& input, int depth);

std::string Operand(FuzzedDataProvider& input, int depth)
{
    switch (input.ConsumeIntegralInRange(0, depth > 3 ? 2 : 4)) {
    case 0:
        return kNames[input.ConsumeIntegralInRange(0, 7)];
    case 1:
        return kNumbers[input.ConsumeIntegralInRange(0, 10)];
    case 2:
        return std::to_string(input.ConsumeIntegral<std::uint32_t>()) + "." +
               std::to_string(input.ConsumeIntegralInRange(0, 999));
    case 3:
        return "(" + Sum(input, depth + 1) + ")";
    default:
        return std::string(kFunctions[input.ConsumeIntegralInRange(0, 12)]) + "(" +
               Sum(input, depth + 1) + ")";
    }
}

std::string Sum(FuzzedDataProvider& input, int depth)
{
    std::string text = input.ConsumeIntegralInRange(0, 5) == 0 ? "-" : "";
    const int operands = input.ConsumeIntegralInRange(1, 5);
    for (int i = 0; i < operands; ++i) {
        if (i > 0) {
            text += "^/*-+"[input.ConsumeIntegralInRange(0, 4)];
            if (input.ConsumeIntegralInRange(0, 5) == 0)
                text += '-';
        }
        text += Operand(input, depth);
    }
    return text;
}

double Value(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return input.ConsumeFloatingPoint<double>();
    case 1: {
        const auto bits = input.ConsumeIntegral<std::uint64_t>();
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    default:
        return kEdges[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kEdges) - 1)];
    }
}

std::string Outcome(TMathsParser& parser)
{
    try {
        const double value = parser.Value();
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return std::to_string(bits);
    } catch (const Exception& error) {
        return FaultText(error);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string formula = Sum(input, 0);
    TMathsParser native, interpreter;
    interpreter.SetNativeCode(false);
    try {
        interpreter.SetExpression(formula);
    } catch (const Exception&) {
        return 0;
    }
    native.SetExpression(formula);
#if defined(__x86_64__)
    // Without the machine code the comparison would prove nothing.
    if (!native.NativeCode() && std::getenv("QUILLMARCH_NO_NATIVE") == nullptr) {
        std::fprintf(stderr, "no machine code for '%s'\n", formula.c_str());
        std::abort();
    }
#endif
    const int rows = input.ConsumeIntegralInRange(1, 8);
    for (int row = 0; row < rows; ++row) {
        for (std::size_t i = 0; i < 8; ++i) {
            const double value = Value(input);
            native.SetVar(i, value);
            interpreter.SetVar(i, value);
        }
        const std::string expected = Outcome(interpreter);
        const std::string actual = Outcome(native);
        if (actual != expected) {
            std::fprintf(stderr, "machine code and interpreter disagree on '%s': %s, not %s\n",
                         formula.c_str(), actual.c_str(), expected.c_str());
            std::abort();
        }
    }
    return 0;
}
