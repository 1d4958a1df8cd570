#include "weapons/DamageSpread.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// Any dice count, sides and bonus (32-bit): the bars stay percentages, the
// tallest is HighProbability, and where S^N is small the bars equal a count
// of every outcome.
namespace {

// The straightforward count of all S^N outcomes, for small ones.
std::vector<double> Enumerated(std::int64_t dice, std::int64_t sides, std::int64_t bonus)
{
    std::int64_t total = 1;
    for (std::int64_t i = 0; i < dice; ++i)
        total *= sides;
    std::vector<std::int64_t> counts(TDamageSpread::BarCount, 0);
    std::vector<std::int64_t> faces(static_cast<std::size_t>(dice), 1);
    for (std::int64_t k = 0; k < total; ++k) {
        std::int64_t sum = bonus;
        for (const std::int64_t face : faces)
            sum += face;
        if (sum >= 1 && sum <= TDamageSpread::BarCount)
            ++counts[static_cast<std::size_t>(sum - 1)];
        for (std::size_t d = faces.size(); d-- > 0;) {
            if (faces[d] < sides) {
                ++faces[d];
                break;
            }
            faces[d] = 1;
        }
    }
    std::vector<double> bars(TDamageSpread::BarCount);
    for (std::size_t k = 0; k < bars.size(); ++k)
        bars[k] = static_cast<double>(static_cast<long double>(counts[k]) / total * 100.0L);
    return bars;
}

// An independent, slower count for moderate dice: one die at a time over
// every sum, in long double.
std::vector<long double> Convolved(std::int64_t dice, std::int64_t sides)
{
    std::vector<long double> chance{1.0L};
    for (std::int64_t d = 0; d < dice; ++d) {
        std::vector<long double> next(chance.size() + static_cast<std::size_t>(sides) - 1, 0.0L);
        // Summed afresh for each total: a running window would subtract
        // large sums and lose the tails.
        for (std::size_t from = 0; from < chance.size(); ++from)
            for (std::size_t face = 0; face < static_cast<std::size_t>(sides); ++face)
                next[from + face] += chance[from] / static_cast<long double>(sides);
        chance.swap(next);
    }
    return chance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::int32_t values[3] = {};
    std::memcpy(values, data, size < sizeof values ? size : sizeof values);
    const auto [dice, sides, bonus] = values;

    TDamageSpread spread;
    spread.SetDiceData(dice, sides, bonus);
    double highest = 0, sum = 0;
    for (const double bar : spread.Bars()) {
        if (!(bar >= 0 && bar <= 100))
            std::abort();
        highest = std::fmax(highest, bar);
        sum += bar;
    }
    if (highest != spread.HighProbability() || sum > 100.0000001)
        std::abort();

    if (dice >= 1 && dice <= 64 && sides >= 1 && std::pow(double(sides), double(dice)) <= 20000) {
        const std::vector<double> expected = Enumerated(dice, sides, bonus);
        for (std::size_t k = 0; k < expected.size(); ++k)
            if (std::fabs(expected[k] - spread.Bars()[k]) > 1e-12)
                std::abort();
    }
    // Cross-checks the paths that do not count outcomes exactly.
    if (dice >= 1 && sides >= 2 && std::int64_t{dice} * sides <= 1500) {
        const std::vector<long double> chance = Convolved(dice, sides);
        for (std::size_t k = 0; k < TDamageSpread::BarCount; ++k) {
            const std::int64_t u = std::int64_t{1} + static_cast<std::int64_t>(k) - dice - bonus;
            const double expected =
                u >= 0 && u < static_cast<std::int64_t>(chance.size())
                    ? static_cast<double>(chance[static_cast<std::size_t>(u)] * 100)
                    : 0;
            if (std::fabs(expected - spread.Bars()[k]) > expected * 1e-9 + 1e-280)
                std::abort();
        }
    }
    return 0;
}
