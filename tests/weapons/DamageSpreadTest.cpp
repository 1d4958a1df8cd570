#include "weapons/DamageSpread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// Every face tuple, one by one: the plain definition of the spread.
std::vector<std::uint64_t> EnumeratedCounts(int dice, int sides, int bonus, std::uint64_t& total)
{
    std::vector<std::uint64_t> counts(TDamageSpread::BarCount + 1, 0);
    std::vector<int> faces(static_cast<std::size_t>(dice), 1);
    total = 0;
    for (;;) {
        int sum = bonus;
        for (const int face : faces)
            sum += face;
        ++total;
        if (sum >= 1 && sum <= TDamageSpread::BarCount)
            ++counts[static_cast<std::size_t>(sum)];
        std::size_t i = 0;
        while (i < faces.size() && faces[i] == sides)
            faces[i++] = 1;
        if (i == faces.size())
            return counts;
        ++faces[i];
    }
}

TEST(DamageSpread, MatchesEnumerationOfEveryOutcome)
{
    for (int dice = 1; dice <= 5; ++dice)
        for (int sides = 1; sides <= 9; ++sides)
            for (int bonus = -12; bonus <= 50; bonus += 7) {
                std::uint64_t total = 0;
                const auto counts = EnumeratedCounts(dice, sides, bonus, total);
                TDamageSpread spread;
                spread.SetDiceData(dice, sides, bonus);
                double highest = 0;
                for (int k = 1; k <= TDamageSpread::BarCount; ++k) {
                    const auto expected = static_cast<double>(
                        static_cast<long double>(counts[static_cast<std::size_t>(k)]) / total *
                        100.0L);
                    ASSERT_EQ(spread.Bars()[static_cast<std::size_t>(k - 1)], expected)
                        << dice << "d" << sides << "+" << bonus << " damage " << k;
                    highest = std::max(highest, expected);
                }
                EXPECT_EQ(spread.HighProbability(), highest)
                    << dice << "d" << sides << "+" << bonus;
            }
}

TEST(DamageSpread, TwoDiceOfSixSides)
{
    TDamageSpread spread;
    spread.SetDiceData(2, 6, 0);
    EXPECT_DOUBLE_EQ(spread.Bars()[6], 100.0 / 6);
    EXPECT_DOUBLE_EQ(spread.Bars()[1], 100.0 / 36);
    EXPECT_EQ(spread.Bars()[0], 0);
    for (std::size_t k = 13; k <= 60; ++k)
        EXPECT_EQ(spread.Bars()[k - 1], 0) << k;
    EXPECT_EQ(spread.HighProbability(), spread.Bars()[6]);
}

TEST(DamageSpread, TiesAndShifts)
{
    TDamageSpread spread;
    spread.SetDiceData(1, 4, 2);
    for (std::size_t k = 3; k <= 6; ++k)
        EXPECT_EQ(spread.Bars()[k - 1], 25) << k;
    EXPECT_EQ(spread.Bars()[1], 0);
    EXPECT_EQ(spread.Bars()[6], 0);
    EXPECT_EQ(spread.HighProbability(), 25);

    spread.SetDiceData(2, 2, 0); // 2, 3, 3, 4
    EXPECT_EQ(spread.HighProbability(), 50);
}

TEST(DamageSpread, NoDiceGiveNoBars)
{
    TDamageSpread spread;
    const std::int32_t cases[][3] = {{0, 6, 1}, {-3, 6, 1}, {2, 0, 1}, {2, -6, 1}, {0, 0, 0}};
    for (const auto& c : cases) {
        spread.SetDiceData(2, 6, 0);
        spread.SetDiceData(c[0], c[1], c[2]);
        for (const double bar : spread.Bars())
            EXPECT_EQ(bar, 0);
        EXPECT_EQ(spread.HighProbability(), 0);
        EXPECT_EQ(spread.DiceCount(), c[0]);
    }
}

TEST(DamageSpread, TotalsOutsideTheBarsAreDropped)
{
    TDamageSpread spread;
    spread.SetDiceData(1, 6, 57); // 58..63
    for (std::size_t k = 1; k <= 57; ++k)
        EXPECT_EQ(spread.Bars()[k - 1], 0) << k;
    for (std::size_t k = 58; k <= 60; ++k)
        EXPECT_DOUBLE_EQ(spread.Bars()[k - 1], 100.0 / 6) << k;

    spread.SetDiceData(1, 6, -5); // -4..1
    EXPECT_DOUBLE_EQ(spread.Bars()[0], 100.0 / 6);
    EXPECT_EQ(spread.Bars()[1], 0);

    spread.SetDiceData(3, 6, 60);
    EXPECT_EQ(spread.HighProbability(), 0);
    spread.SetDiceData(3, 6, -18);
    EXPECT_EQ(spread.HighProbability(), 0);
}

// Beyond small exact counts each bar is computed on its own; a plain
// convolution over every sum is the reference. The rows reach each way of
// computing a bar: the binomial edge below S, two sides as a plain binomial,
// inclusion-exclusion up to 34 dice, for the lowest sums of more and where
// its terms fall fast, the tilted Fourier inversion in the middle and tails
// of more dice (few sides, many, and wide enough for the moments), windows
// straddling the middle of the range and either end of it.
TEST(DamageSpread, ManyDiceAgreeWithPlainConvolution)
{
    const std::int32_t cases[][3] = {
        {41, 3, -40},     {13, 40, -12},    {25, 5, -24},     {60, 2, -59},     {200, 2, -150},
        {34, 30, -480},   {34, 30, -40},    {3, 5000, -4990}, {2, 9000, -9000}, {1, 3000, -1500},
        {120, 30, -1800}, {120, 30, -1000}, {50, 4, -100},    {36, 60, -30},    {90, 20, -100},
        {300, 3, -580},   {582, 4, -581},   {40, 100, -309},  {40, 200, -3980}};
    for (const auto& c : cases) {
        std::vector<long double> chance{1.0L};
        for (int die = 0; die < c[0]; ++die) {
            std::vector<long double> next(chance.size() + static_cast<std::size_t>(c[1]), 0.0L);
            for (std::size_t s = 0; s < chance.size(); ++s)
                for (int face = 1; face <= c[1]; ++face)
                    next[s + static_cast<std::size_t>(face)] += chance[s] / c[1];
            chance.swap(next);
        }
        TDamageSpread spread;
        spread.SetDiceData(c[0], c[1], c[2]);
        for (int k = 1; k <= TDamageSpread::BarCount; ++k) {
            const long double sum = k - c[2];
            const double expected =
                sum >= 0 && sum < chance.size()
                    ? static_cast<double>(chance[static_cast<std::size_t>(sum)] * 100)
                    : 0;
            EXPECT_NEAR(spread.Bars()[static_cast<std::size_t>(k - 1)], expected, expected * 1e-12)
                << c[0] << "d" << c[1] << " damage " << k;
        }
    }
}

TEST(DamageSpread, AbsurdDiceFinishAndStayInBounds)
{
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    const std::int32_t cases[][3] = {
        {Max, Max, Max},       {Max, Max, Min},         {Min, Min, Min},
        {Max, 2, -Max},        {Max, 1, 60 - Max},      {1, Max, 0},
        {1, Max, Min},         {2, Max, Min},           {Max, Max, 0},
        {1000, 1000, -500000}, {60, 60, -1800},         {Max, 2, Min},
        {64, 2, -63},          {3, 1 << 20, -(1 << 20)}};
    for (const auto& c : cases) {
        TDamageSpread spread;
        spread.SetDiceData(c[0], c[1], c[2]);
        long double sum = 0;
        for (const double bar : spread.Bars()) {
            EXPECT_TRUE(bar >= 0 && bar <= 100) << c[0] << " " << c[1] << " " << c[2];
            sum += bar;
        }
        EXPECT_LE(sum, 100.0L + 1e-9L);
        EXPECT_LE(spread.HighProbability(), 100);
    }

    TDamageSpread spread;
    spread.SetDiceData(Max, 1, 60 - Max);
    EXPECT_EQ(spread.Bars()[59], 100);
    spread.SetDiceData(1, Max, 0);
    EXPECT_DOUBLE_EQ(spread.Bars()[0], 100.0 / Max);
    EXPECT_DOUBLE_EQ(spread.Bars()[59], 100.0 / Max);
    spread.SetDiceData(1, Max, -1000);
    EXPECT_DOUBLE_EQ(spread.Bars()[30], 100.0 / Max);
}

// Far beyond any convolution: the folding c(u) = c(M - u) must give mirrored
// bars, and two dice of two sides per die of one give the binomial.
TEST(DamageSpread, HugeDiceAreSymmetricAndBinomial)
{
    // The middle of the range stays within a 32-bit bonus.
    const std::int64_t cases[][2] = {{100000, 2},     {91, 2050},      {1000, 1000},
                                     {1431655765, 2}, {1073741790, 3}, {40, 100000000},
                                     {3, 1400000000}};
    for (const auto& [dice, sides] : cases) {
        const std::int64_t span = dice * (sides - 1);
        // Bars 1..60 cover u = span/2 - 29 .. span/2 + 30; the mirror bonus
        // puts u' = span - u on the same bars in reverse.
        const std::int64_t low = span / 2 - 29, high = low + 59;
        const auto bonus = static_cast<std::int32_t>(1 - dice - low);
        const auto mirror = static_cast<std::int32_t>(1 - dice - (span - high));
        TDamageSpread spread, mirrored;
        spread.SetDiceData(static_cast<std::int32_t>(dice), static_cast<std::int32_t>(sides),
                           bonus);
        mirrored.SetDiceData(static_cast<std::int32_t>(dice), static_cast<std::int32_t>(sides),
                             mirror);
        EXPECT_GT(spread.HighProbability(), 0) << dice << "d" << sides;
        for (std::size_t k = 0; k < 60; ++k)
            EXPECT_NEAR(spread.Bars()[k], mirrored.Bars()[59 - k], spread.Bars()[k] * 1e-12)
                << dice << "d" << sides << " bar " << k + 1;
        if (sides != 2)
            continue;
        for (std::size_t k = 0; k < 60; ++k) {
            const long double u = static_cast<long double>(low) + k, n = dice;
            const long double logChoose = std::lgamma(n + 1) - std::lgamma(u + 1) -
                                          std::lgamma(n - u + 1) - n * std::log(2.0L);
            const double expected = static_cast<double>(std::exp(logChoose) * 100);
            EXPECT_NEAR(spread.Bars()[k], expected, expected * (dice > 1e6 ? 1e-8 : 1e-11))
                << dice << "d2 bar " << k + 1;
        }
    }
}

} // namespace
