#include "expr/MathsParser.h"
#include "tests/expr/FaultText.h"
#include "tests/expr/RandomFormula.h"
#include "weapons/WeaponD.h"
#include "weapons/WeaponSpeed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

// The evaluation paths that the damage and speed refreshes take: the batch
// results must equal the single evaluations, and no path may allocate. This
// executable replaces the global operator new to count allocations.
namespace {

std::atomic<long> g_allocations{0};

void* Allocate(std::size_t size, std::size_t alignment)
{
    ++g_allocations;
    const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    void* memory = alignment <= alignof(std::max_align_t) ? std::malloc(size == 0 ? 1 : size)
                                                          : std::aligned_alloc(alignment, rounded);
    if (memory == nullptr)
        throw std::bad_alloc();
    return memory;
}

} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size, alignof(std::max_align_t));
}
void* operator new[](std::size_t size)
{
    return Allocate(size, alignof(std::max_align_t));
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

namespace {

const char* const kSpeedNames[8] = {"STR", "SPEED", "DEXR", "d", "e", "f", "DEX", "INT"};

template <typename Action> long AllocationsDuring(Action action)
{
    const long before = g_allocations.load();
    action();
    return g_allocations.load() - before;
}

TEST(EvaluationPaths, AllocationCounterSeesAllocations)
{
    // Called directly, so the compiler may not leave the allocation out.
    static void* volatile memory = nullptr;
    EXPECT_EQ(AllocationsDuring([] { memory = ::operator new(64); }), 1);
    ::operator delete(memory);
}

TEST(EvaluationPaths, EvaluationAllocatesNothing)
{
    TMathsParser parser;
    for (std::size_t i = 0; i < 8; ++i)
        parser.SetVarName(i, kDamageNames[i]);
    parser.SetExpression(DefaultDamageMethod);
    parser.SetV3(1.5);
    std::vector<double> damage(300, 12), out(300);
    TMathsParser::TColumns columns{};
    columns[1] = damage.data();
    double sum = 0;
    const long single = AllocationsDuring([&] {
        for (int i = 0; i < 100; ++i) {
            parser.SetV2(i);
            sum += parser.Value();
        }
    });
    const long firstBatch =
        AllocationsDuring([&] { parser.ValueBatch(columns, out.size(), out.data()); });
    const long laterBatches = AllocationsDuring([&] {
        parser.ValueBatch(columns, out.size(), out.data());
        parser.ValueBatch({}, out.size(), out.data());
    });
    EXPECT_EQ(single, 0);
    EXPECT_EQ(firstBatch, 1) << "the batch scratch, made on the first batch";
    EXPECT_EQ(laterBatches, 0);
    EXPECT_GT(sum, 0);
    EXPECT_LT(sizeof(TMathsParser), 4096U)
        << "a parser that only checks a formula carries no scratch";
}

TEST(EvaluationPaths, RefreshesAllocateNothing)
{
    TWeaponDataAndPCData character;
    character.STR = 100;
    character.Tactics = 100;
    character.Anatomy = 100;
    character.Weapon = {14, 7, 10.5, "AXE", "Battle Axe"};
    TWeaponDamges damages(character);
    damages.SetDamageMethod(DefaultDamageMethod);
    TWeaponSpeed speed;
    speed.SetSpeedMethod(DefaultSpeedMethod);
    const TWeaponSpeedData weapon{"Katana", 46, 90, 100, 25};

    const long allocations = AllocationsDuring([&] {
        for (std::int32_t str = 90; str < 100; ++str) {
            character.STR = str;
            damages.SetStats(character);
            damages.SetRoundingMode(str % 4);
            speed.SetWeaponSpeedData(weapon);
        }
        damages.SetRoundingMode(RoundDown);
    });
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(damages.HQHigh(), 15) << "floor(16 * (1.5 + 0.198 + 0.3 + 0) / 2)";
    EXPECT_EQ(speed.Delays()[0], 13.5) << "15000 / (25 * 46) = 13.04";
}

// The half-second rounding of every delay against the split of modf.
TEST(EvaluationPaths, HalfSecondRoundingSplitsLikeModf)
{
    const auto byModf = [](double value) {
        double whole = 0;
        const double fraction = std::modf(value, &whole);
        return fraction > 0.5 ? whole + 1 : fraction > 0 ? whole + 0.5 : whole;
    };
    std::mt19937_64 random(5);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.5,
                                  -0.5,
                                  3.2,
                                  3.5,
                                  3.7,
                                  -3.2,
                                  -3.7,
                                  1e300,
                                  -1e300,
                                  0x1p52 - 0.5,
                                  0x1p52,
                                  0x1p53 + 2,
                                  1e-310,
                                  -1e-310,
                                  4503599627370495.5,
                                  kInf};
    for (int n = 0; n < 100000; ++n) {
        const double value =
            std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 70));
        values.push_back(n % 2 == 0 ? value : -value);
    }
    for (const double value : values) {
        const double expected = byModf(value), actual = TWeaponSpeed::RoundUpToHalfSecond(value);
        ASSERT_EQ(std::memcmp(&expected, &actual, sizeof expected), 0) << std::hexfloat << value;
    }
}

std::optional<std::string> Fault(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& error) {
        return FaultText(error);
    }
    return std::nullopt;
}

double RandomStat(TFormulaGenerator& generator)
{
    return generator.Pick(10) == 0 ? 0 : generator.Pick(151);
}

// The damage refresh against the single evaluations it stands for, in the
// order of the results, over random formulas, characters and weapons.
TEST(EvaluationPaths, DamageRefreshEqualsSingleEvaluations)
{
    TFormulaGenerator generator(7331, kDamageNames);
    static const std::int32_t Bonuses[] = {0, 5, 10, 15, 20, 25};
    static const std::int32_t Pluses[] = {0, 1, 3, 5, 7, 9};
    static const char* const Types[] = {"Swords", "AXE", "Archery"};
    int faults = 0, compared = 0;
    for (int n = 0; n < 400; ++n) {
        TWeaponDataAndPCData data;
        data.STR = static_cast<std::int32_t>(RandomStat(generator));
        data.DEX = static_cast<std::int32_t>(RandomStat(generator));
        data.INT = static_cast<std::int32_t>(RandomStat(generator)) - 20;
        data.Tactics = static_cast<std::int32_t>(RandomStat(generator));
        data.Anatomy = static_cast<std::int32_t>(RandomStat(generator));
        data.Lumberjack = static_cast<std::int32_t>(RandomStat(generator));
        data.Weapon = {RandomStat(generator) / 3, RandomStat(generator) / 7,
                       RandomStat(generator) / 5, Types[generator.Pick(3)], "W"};
        const std::string formula = generator.Formula();
        const std::int32_t mode = generator.Pick(4);

        TMathsParser single;
        for (std::size_t i = 0; i < 8; ++i)
            single.SetVarName(i, kDamageNames[i]);
        if (Fault([&] { single.SetExpression(formula); }))
            continue;
        TWeaponDamges damages(data);
        damages.SetRoundingMode(mode);

        const std::int32_t anatomy = damages.AnatomyBonus(), lumberjack = damages.LumberjackBonus();
        std::vector<double> expected;
        const auto evaluate = [&](double base, bool hq, std::int32_t tactics, std::int32_t plus) {
            const double damage = base == 0 ? 1 : hq ? std::trunc(base * 1.2) : base;
            const double values[8] = {static_cast<double>(data.STR),
                                      damage,
                                      (static_cast<double>(data.Tactics) + 50 + tactics) / 100,
                                      anatomy / 100.0,
                                      lumberjack / 100.0,
                                      static_cast<double>(plus),
                                      static_cast<double>(data.DEX),
                                      static_cast<double>(data.INT)};
            for (std::size_t i = 0; i < 8; ++i)
                single.SetVar(i, values[i]);
            expected.push_back(TWeaponDamges::Round(single.Value(), mode));
        };
        const std::optional<std::string> expectedFault = Fault([&] {
            const TWeaponBaseData& w = data.Weapon;
            for (const double base : {w.LowDamage, w.HighDamage, w.AverageDamage})
                evaluate(base, true, 0, 0);
            for (const std::int32_t bonus : Bonuses)
                for (const std::int32_t plus : Pluses)
                    for (const double base : {w.LowDamage, w.HighDamage, w.AverageDamage})
                        evaluate(base, false, data.Weapon.Type == "Archery" ? 0 : bonus, plus);
        });

        const TDamageTable before = damages.Table();
        const std::optional<std::string> fault = Fault([&] { damages.SetDamageMethod(formula); });
        ASSERT_EQ(fault, expectedFault) << formula;
        if (fault) {
            ++faults;
            EXPECT_EQ(damages.Table(), before) << formula;
            continue;
        }
        ++compared;
        std::vector<double> actual = {damages.HQLow(), damages.HQHigh(), damages.HQAve()};
        for (const auto& accuracy : damages.Table())
            for (const auto& level : accuracy)
                actual.insert(actual.end(), level.begin(), level.end());
        ASSERT_EQ(actual.size(), expected.size());
        EXPECT_EQ(std::memcmp(actual.data(), expected.data(), actual.size() * sizeof(double)), 0)
            << formula;
    }
    EXPECT_GT(faults, 30);
    EXPECT_GT(compared, 100);
}

TEST(EvaluationPaths, SpeedRefreshEqualsSingleEvaluations)
{
    TFormulaGenerator generator(4242, kSpeedNames);
    int faults = 0, compared = 0;
    for (int n = 0; n < 400; ++n) {
        const TWeaponSpeedData data{"W", static_cast<std::int32_t>(RandomStat(generator)) - 10,
                                    static_cast<std::int32_t>(RandomStat(generator)),
                                    static_cast<std::int32_t>(RandomStat(generator)),
                                    static_cast<std::int32_t>(RandomStat(generator))};
        const std::string formula = generator.Formula();
        TMathsParser single;
        for (std::size_t i = 0; i < 8; ++i)
            single.SetVarName(i, kSpeedNames[i]);
        if (Fault([&] { single.SetExpression(formula); }))
            continue;
        single.SetV1(data.STR);
        single.SetV2(data.Speed);
        single.SetV7(data.DEX);
        single.SetV8(data.INT);
        std::vector<double> expected;
        const std::optional<std::string> expectedFault = Fault([&] {
            for (int dex = 0; dex <= MaxDex; ++dex) {
                single.SetV3(dex);
                expected.push_back(TWeaponSpeed::RoundUpToHalfSecond(single.Value()));
            }
        });

        TWeaponSpeed speed;
        std::optional<std::string> fault = Fault([&] { speed.SetWeaponSpeedData(data); });
        ASSERT_FALSE(fault) << "1*1 cannot fault";
        fault = Fault([&] { speed.SetSpeedMethod(formula); });
        ASSERT_EQ(fault, expectedFault) << formula;
        if (fault) {
            ++faults;
            EXPECT_EQ(speed.Delays()[MaxDex], 1) << "the 1*1 table stays";
            continue;
        }
        ++compared;
        EXPECT_EQ(
            std::memcmp(speed.Delays().data(), expected.data(), expected.size() * sizeof(double)),
            0)
            << formula;
    }
    EXPECT_GT(faults, 30);
    EXPECT_GT(compared, 100);
}

} // namespace
