#include "expr/MathsParser.h"
#include "tests/expr/FaultText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Compiles a formula with random variable names and evaluates it with random
// values, once per row and as one batch. A rejected formula or a faulting
// evaluation (anything derived from Exception) is fine; a crash, a sanitizer
// report, a batch that disagrees with the single evaluations (class, text
// and position of a fault included) or a fault placed outside the formula is not.
namespace {

struct TOutcome
{
    double Value = 0;
    std::string Fault;
};

TOutcome Single(TMathsParser& parser)
{
    try {
        return {parser.Value(), {}};
    } catch (const Exception& error) {
        return {0, FaultText(error)};
    }
}

[[noreturn]] void Disagree(const std::string& formula, const std::string& what)
{
    std::fprintf(stderr, "batch and single evaluation disagree on '%s': %s\n", formula.c_str(),
                 what.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    TMathsParser parser;
    for (std::size_t i = 0; i < 8; ++i)
        if (input.ConsumeBool())
            parser.SetVarName(i, input.ConsumeRandomLengthString(12));
    const std::string formula = input.ConsumeRandomLengthString(400);
    // A rejected formula names a byte of it, or the end, where the closing
    // bracket added around it stands: a name holding brackets can leave that
    // one alone.
    try {
        parser.SetExpression(formula);
    } catch (const Exception& error) {
        if (error.Position() > formula.size())
            Disagree(formula, std::string("fault outside the formula, at ") +
                                  std::to_string(error.Position()) + ": " + error.what());
        return 0;
    }

    const std::size_t rows = input.ConsumeIntegralInRange<std::size_t>(1, 300);
    std::vector<std::vector<double>> data8(8);
    TMathsParser::TColumns columns{};
    for (std::size_t i = 0; i < 8; ++i) {
        parser.SetVar(i, input.ConsumeFloatingPoint<double>());
        if (input.ConsumeBool()) {
            data8[i].resize(rows);
            // Few distinct values, so that a short input still fills the rows.
            const double a = input.ConsumeFloatingPoint<double>();
            const double b = input.ConsumeFloatingPoint<double>();
            const auto step = input.ConsumeIntegralInRange<int>(1, 7);
            for (std::size_t r = 0; r < rows; ++r)
                data8[i][r] = (r / static_cast<std::size_t>(step)) % 2 == 0 ? a : b + r;
            columns[i] = data8[i].data();
        }
    }

    std::vector<TOutcome> expected;
    std::vector<double> saved(8);
    for (std::size_t i = 0; i < 8; ++i)
        saved[i] = parser.Var(i);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t i = 0; i < 8; ++i)
            parser.SetVar(i, columns[i] != nullptr ? data8[i][r] : saved[i]);
        expected.push_back(Single(parser));
        if (!expected.back().Fault.empty())
            break;
    }
    for (std::size_t i = 0; i < 8; ++i)
        parser.SetVar(i, saved[i]);

    std::vector<double> out(rows);
    std::string fault;
    try {
        parser.ValueBatch(columns, rows, out.data());
    } catch (const Exception& error) {
        fault = FaultText(error);
    }
    if (fault != expected.back().Fault)
        Disagree(formula, "fault '" + fault + "' instead of '" + expected.back().Fault + "'");
    if (fault.empty())
        for (std::size_t r = 0; r < rows; ++r)
            if (std::memcmp(&out[r], &expected[r].Value, sizeof(double)) != 0)
                Disagree(formula, "row " + std::to_string(r));
    return 0;
}
