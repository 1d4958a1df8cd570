#include "weapons/DamageSpread.h"

#include <algorithm>
#include <limits>
#include <vector>

// The dice are counted by adding one die at a time to the distribution of
// the dice before it. Only partial sums that can still end in 1..60 are kept:
// a sum never shrinks, and the dice still to come add at least one each and
// at most S each. For the weapons of the table that is at most 60 values per
// die, a few kilobytes and a few thousand additions.
//
// Counts are exact (64-bit) while S^N fits; beyond that the distribution is
// carried as long double probabilities. Dice so far out of the table's range
// that the kept sums would exceed MaxWindow values, or the additions
// MaxWork, are not computed: every bar stays 0 and so does HighProbability.
namespace {

using TCount = std::uint64_t;

constexpr std::int64_t MaxWindow = std::int64_t{1} << 16;
constexpr std::int64_t MaxWork = std::int64_t{1} << 23;
// A probability mass below this cannot leave a trace in a double percentage.
constexpr long double NegligibleMass = 1e-330L;

// Work on u = sum of (face - 1): each die adds 0 .. S-1, and a total of
// damage t means u = t - N - P.
struct TProblem
{
    std::int64_t Dice;
    std::int64_t Sides;
    std::int64_t Bonus;
    std::int64_t Low;  // smallest u that lands on damage 1
    std::int64_t High; // largest u that lands on damage 60

    // The u values worth keeping after `placed` dice.
    std::int64_t WindowLow(std::int64_t placed) const
    {
        return std::max<std::int64_t>(0, Low - (Dice - placed) * (Sides - 1));
    }
    std::int64_t WindowHigh(std::int64_t placed) const
    {
        return std::min(High, placed * (Sides - 1));
    }
    std::int64_t Width(std::int64_t placed) const
    {
        return std::max<std::int64_t>(0, WindowHigh(placed) - WindowLow(placed) + 1);
    }
    // The width is concave in `placed`, so its largest value lies next to
    // where one of the two bounds stops being the clamp.
    std::int64_t LargestWidth() const
    {
        const std::int64_t step = Sides - 1;
        const std::int64_t bends[] = {High / step, Dice - Low / step};
        std::int64_t largest = std::max(Width(1), Width(Dice));
        for (const std::int64_t bend : bends)
            for (std::int64_t placed = bend - 1; placed <= bend + 1; ++placed)
                if (placed >= 1 && placed <= Dice)
                    largest = std::max(largest, Width(placed));
        return largest;
    }
};

using TPercents = std::array<long double, TDamageSpread::BarCount>;

// Returns false when the work would exceed the bounds.
template <typename T>
bool Convolve(const TProblem& problem, T perDie, long double scale, TPercents& percent)
{
    const std::int64_t largest = problem.LargestWidth();
    if (largest > MaxWindow)
        return false;
    // Sized once, so no die reallocates.
    std::vector<T> previous, next, prefix;
    previous.reserve(static_cast<std::size_t>(largest));
    next.reserve(static_cast<std::size_t>(largest));
    prefix.reserve(static_cast<std::size_t>(largest) + 1);
    previous.push_back(T(1));
    std::int64_t previousLow = 0, work = 0;
    for (std::int64_t placed = 1; placed <= problem.Dice; ++placed) {
        const std::int64_t low = problem.WindowLow(placed), high = problem.WindowHigh(placed);
        if (low > high)
            return true;
        const std::int64_t width = high - low + 1;
        const auto previousWidth = static_cast<std::int64_t>(previous.size());
        work += width + previousWidth;
        if (work > MaxWork)
            return false;

        prefix.assign(previous.size() + 1, T(0));
        for (std::size_t i = 0; i < previous.size(); ++i)
            prefix[i + 1] = prefix[i] + previous[i];

        next.assign(static_cast<std::size_t>(width), T(0));
        T mass(0);
        for (std::int64_t u = low; u <= high; ++u) {
            // The last die showed 0 .. S-1, so the sum before it was u-S+1 .. u.
            const std::int64_t from = std::max(u - (problem.Sides - 1), previousLow) - previousLow;
            const std::int64_t to = std::min(u, previousLow + previousWidth - 1) - previousLow;
            if (from > to)
                continue;
            T sum =
                prefix[static_cast<std::size_t>(to + 1)] - prefix[static_cast<std::size_t>(from)];
            if constexpr (!std::numeric_limits<T>::is_integer) {
                // Few terms are added directly: the difference of two long
                // double prefixes would lose the tiny probabilities of the tails.
                if (to - from < 64) {
                    sum = T(0);
                    for (std::int64_t i = from; i <= to; ++i)
                        sum += previous[static_cast<std::size_t>(i)];
                    work += to - from;
                }
            }
            next[static_cast<std::size_t>(u - low)] = sum * perDie;
            mass += next[static_cast<std::size_t>(u - low)];
        }
        if constexpr (!std::numeric_limits<T>::is_integer) {
            if (mass < NegligibleMass)
                return true;
        }
        previous.swap(next);
        previousLow = low;
    }
    for (std::size_t i = 0; i < previous.size(); ++i) {
        const std::int64_t total =
            previousLow + static_cast<std::int64_t>(i) + problem.Dice + problem.Bonus;
        if (total >= 1 && total <= TDamageSpread::BarCount)
            percent[static_cast<std::size_t>(total - 1)] =
                static_cast<long double>(previous[i]) / scale * 100.0L;
    }
    return true;
}

// S^N when it fits in a count, else 0.
TCount OutcomeCount(std::int64_t dice, std::int64_t sides)
{
    TCount total = 1;
    for (std::int64_t i = 0; i < dice; ++i) {
        if (total > std::numeric_limits<TCount>::max() / static_cast<TCount>(sides))
            return 0;
        total *= static_cast<TCount>(sides);
    }
    return total;
}

// False when the dice lie too far outside the table's range to compute.
bool ComputePercents(std::int64_t dice, std::int64_t sides, std::int64_t bonus, TPercents& percent)
{
    const TProblem problem{dice, sides, bonus, 1 - bonus - dice,
                           TDamageSpread::BarCount - bonus - dice};
    if (problem.High < 0 || problem.Low > dice * (sides - 1))
        return true; // every total lies outside 1..60
    if (sides == 1) {
        percent[static_cast<std::size_t>(dice + bonus - 1)] = 100.0L;
        return true;
    }
    if (const TCount total = OutcomeCount(dice, sides); total != 0)
        return Convolve<TCount>(problem, 1, static_cast<long double>(total), percent);
    return Convolve<long double>(problem, 1.0L / sides, 1.0L, percent);
}

} // namespace

void TDamageSpread::SetDiceData(std::int32_t count, std::int32_t sides, std::int32_t bonus)
{
    m_count = count;
    m_sides = sides;
    m_bonus = bonus;

    TPercents percent{};
    if (count < 1 || sides < 1 || !ComputePercents(count, sides, bonus, percent))
        percent.fill(0);

    double highest = 0;
    for (std::size_t k = 0; k < m_bars.size(); ++k) {
        m_bars[k] = static_cast<double>(percent[k]);
        if (m_bars[k] > highest)
            highest = m_bars[k];
    }
    m_highProbability = highest;
}
