#include "weapons/DamageSpread.h"
#include "weapons/RaderGeometry.h"
#include "weapons/SetupFigures.h"
#include "weapons/WeaponD.h"
#include "weapons/WeaponSpeed.h"
#include "weapons/WeaponTable.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

// Comparing setups against what one weapon click computes today, with the
// formulas compiled once beforehand as the window keeps them.
namespace {

const TWeaponTable& Bundled()
{
    static const TWeaponTable table = [] {
        TWeaponTable t;
        t.LoadFromFile(QUILLMARCH_DATA_DIR "/WData.csv");
        return t;
    }();
    return table;
}

// The current setup and six pins: seven different weapons and characters.
std::vector<TSetup> SevenSetups()
{
    std::vector<TSetup> setups;
    for (int i = 0; i < 7; ++i) {
        TSetup setup{Bundled().Weapon(1 + i * 5 % Bundled().Count()), {}};
        setup.Stats.STR = 80 + 10 * i;
        setup.Stats.DEX = 25 + 15 * i;
        setup.Stats.INT = 100;
        setup.Stats.Tactics = 100;
        setup.Stats.Anatomy = 90 + i;
        setup.Stats.Lumberjack = 100 - i;
        setups.push_back(setup);
    }
    return setups;
}

// One weapon click: the damage page, the spread, the swing delays and the
// next faster swing, the radar; a different weapon each time, so the spread
// is computed as the window computes it.
void Click(benchmark::State& state)
{
    const std::vector<TSetup> setups = SevenSetups();
    const auto damages = std::make_unique<TWeaponDamges>(TWeaponDataAndPCData{});
    damages->SetDamageMethod(DefaultDamageMethod);
    damages->SetRoundingMode(RoundUp);
    const auto speed = std::make_unique<TWeaponSpeed>();
    speed->SetSpeedMethod(DefaultSpeedMethod);
    TDamageSpread spread;
    std::size_t next = 0;
    for (auto _ : state) {
        const TSetup& setup = setups[next++ % setups.size()];
        const TWDataCSVTable& weapon = setup.Weapon;
        damages->WeaponData() = {weapon.HighDamage, weapon.LowDamage, weapon.AverageDamage,
                                 weapon.Type, weapon.Name};
        damages->SetStats(setup.Stats);
        spread.SetDiceData(weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus);
        speed->SetWeaponSpeedData(
            {weapon.Name, weapon.Speed, setup.Stats.DEX, setup.Stats.STR, setup.Stats.INT});
        benchmark::DoNotOptimize(speed->NextFasterSwing(setup.Stats.DEX));
        benchmark::DoNotOptimize(OverallPercent(
            ComputeRaderFactors({RaderDamage(damages->Table()[0][0][2]), spread.HighProbability(),
                                 weapon.Speed, weapon.Type})));
    }
}
BENCHMARK(Click);

// The compare page: six pins, and the current setup beside them, every
// figure of each.
void Compare(benchmark::State& state)
{
    std::vector<TSetup> setups = SevenSetups();
    setups.resize(static_cast<std::size_t>(state.range(0)));
    const auto calculator = std::make_unique<TSetupCalculator>();
    std::vector<TSetupFigures> figures;
    for (auto _ : state) {
        calculator->Figures(setups, figures);
        benchmark::DoNotOptimize(figures.data());
    }
}
BENCHMARK(Compare)->Arg(6)->Arg(7);

// Six setups swept over STR 0..250.
void Sweep6x251(benchmark::State& state)
{
    const std::vector<TSetup> setups = SevenSetups();
    const auto calculator = std::make_unique<TSetupCalculator>();
    std::vector<std::int32_t> values(251);
    std::iota(values.begin(), values.end(), 0);
    for (auto _ : state)
        for (std::size_t i = 0; i < 6; ++i)
            benchmark::DoNotOptimize(calculator->Sweep(setups[i], TStat::STR, values).data());
}
BENCHMARK(Sweep6x251)->Unit(benchmark::kMicrosecond);

void Gains(benchmark::State& state)
{
    const std::vector<TSetup> setups = SevenSetups();
    const auto calculator = std::make_unique<TSetupCalculator>();
    for (auto _ : state)
        benchmark::DoNotOptimize(calculator->Gains(setups[0]).data());
}
BENCHMARK(Gains)->Unit(benchmark::kMicrosecond);

} // namespace
