#include "weapons/SetupFigures.h"
#include "weapons/CompareTable.h"

#include "expr/Exception.h"
#include "weapons/RaderGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TWeaponTable BundledTable()
{
    TWeaponTable table;
    table.LoadFromFile(std::string(QUILLMARCH_DATA_DIR) + "/WData.csv");
    return table;
}

TSetup SetupOf(const TWDataCSVTable& weapon, std::vector<std::int32_t> inputs)
{
    TSetup setup{weapon, {}};
    for (std::size_t i = 0; i < AllStats.size(); ++i)
        SetStat(setup.Stats, AllStats[i], inputs.at(i));
    return setup;
}

// What the single-weapon pages show for a setup, each figure from the class
// that owns it on its page.
struct TPages
{
    TDamageFigures Damage;
    double Delay = 0;
    std::optional<TWeaponSpeed::TNextFasterSwing> Next;
    TDamageSpread Spread;
    std::int32_t Overall = 0;
};

TPages PagesOf(const TSetup& setup, const std::string& damageMethod, const std::string& speedMethod,
               std::int32_t rounding)
{
    TWeaponDataAndPCData stats = setup.Stats;
    stats.Weapon = {setup.Weapon.HighDamage, setup.Weapon.LowDamage, setup.Weapon.AverageDamage,
                    setup.Weapon.Type, setup.Weapon.Name};
    TWeaponDamges damages(stats);
    damages.SetDamageMethod(damageMethod);
    damages.SetRoundingMode(rounding);
    damages.SetStats(stats);
    TWeaponSpeed speed;
    speed.SetSpeedMethod(speedMethod);
    const TWeaponSpeedData character{setup.Weapon.Name, setup.Weapon.Speed, stats.DEX, stats.STR,
                                     stats.INT};
    speed.SetWeaponSpeedData(character);
    TPages pages;
    pages.Damage = {damages.HQLow(), damages.HQHigh(), damages.HQAve(), damages.Table()};
    const double weaponSpeed = setup.Weapon.Speed;
    speed.DelaysAt(character, std::span(&weaponSpeed, 1), std::span(&pages.Delay, 1));
    pages.Next = speed.NextFasterSwing(stats.DEX);
    pages.Spread.SetDiceData(setup.Weapon.DiceCount, setup.Weapon.DiceSides,
                             setup.Weapon.DamageBonus);
    pages.Overall = OverallPercent(
        ComputeRaderFactors({RaderDamage(damages.Table()[0][0][2]), pages.Spread.HighProbability(),
                             setup.Weapon.Speed, setup.Weapon.Type}));
    return pages;
}

struct TFormulas
{
    const char* Name;
    std::string Damage;
    std::string Speed;
    std::int32_t Rounding;
};

const std::vector<TFormulas> FormulaCases = {
    {"Standard", DefaultDamageMethod, DefaultSpeedMethod, RoundUp},
    {"EveryVariable", "Damage*TacticsR+STR/7-AnatomyR+LumberjR*3+Plus+DEX/11+INT/13",
     "(15000/((25+2.5*DEXR)*SPEED))+STR/100-INT/300+DEX/250", NoRounding},
    // A delay that grows with DEX, so no faster swing exists.
    {"Rising", DefaultDamageMethod, "DEXR/10+SPEED/SPEED", RoundDown},
};

// Every figure of a setup equals what the pages show for the same inputs,
// for all kinds of weapons and characters at once: DEX below, inside, at
// the end of and beyond the speed grid's range, skills at 0 and 100.
TEST(SetupFigures, EqualThePagesForTheSameInputs)
{
    const TWeaponTable table = BundledTable();
    std::vector<TSetup> setups;
    const std::vector<std::vector<std::int32_t>> characters = {
        {100, 25, 100, 100, 100, 100}, {0, 0, 0, 0, 0, 0},        {250, 200, 75, 37, 99, 64},
        {55, 199, 10, 100, 0, 100},    {90, 260, 120, 80, 80, 1}, {120, 180, 100, 50, 50, 50}};
    // Every weapon, the characters taken in turn.
    for (int slot = 1; slot <= table.Count(); ++slot)
        setups.push_back(
            SetupOf(table.Weapon(slot), characters[static_cast<std::size_t>(slot) % 6]));

    for (const TFormulas& formulas : FormulaCases) {
        SCOPED_TRACE(formulas.Name);
        TSetupCalculator calculator;
        calculator.SetDamageMethod(formulas.Damage);
        calculator.SetSpeedMethod(formulas.Speed);
        calculator.SetRoundingMode(formulas.Rounding);
        const std::vector<TSetupFigures> figures = calculator.Figures(setups);
        ASSERT_EQ(figures.size(), setups.size());
        for (std::size_t i = 0; i < setups.size(); ++i) {
            SCOPED_TRACE(SetupLabel(setups[i]));
            const TPages pages =
                PagesOf(setups[i], formulas.Damage, formulas.Speed, formulas.Rounding);
            const TSetupFigures& f = figures[i];
            EXPECT_EQ(f.Setup.Weapon.Name, setups[i].Weapon.Name);
            EXPECT_EQ(f.Damage.HQLow, pages.Damage.HQLow);
            EXPECT_EQ(f.Damage.HQHigh, pages.Damage.HQHigh);
            EXPECT_EQ(f.Damage.HQAve, pages.Damage.HQAve);
            EXPECT_EQ(f.Damage.Table, pages.Damage.Table);
            EXPECT_EQ(f.Delay, pages.Delay);
            EXPECT_EQ(f.NextFasterSwing.has_value(), pages.Next.has_value());
            if (f.NextFasterSwing && pages.Next) {
                EXPECT_EQ(f.NextFasterSwing->MoreDex, pages.Next->MoreDex);
                EXPECT_EQ(f.NextFasterSwing->Delay, pages.Next->Delay);
            }
            EXPECT_EQ(f.Bars, pages.Spread.Bars());
            EXPECT_EQ(f.TopProbability, pages.Spread.HighProbability());
            EXPECT_EQ(f.Overall, pages.Overall);
            if (pages.Delay > 0)
                EXPECT_EQ(f.DamagePerSecond, f.NormalAverage() / pages.Delay);
            else
                EXPECT_FALSE(f.DamagePerSecond);
        }
    }
}

// A sweep point and a stat gain are the figures of the changed setup
// computed on their own.
TEST(SetupFigures, SweepAndGainsEqualSeparateSetups)
{
    const TWeaponTable table = BundledTable();
    TSetupCalculator calculator;
    for (const int slot : {1, table.Count() / 2, table.Count()}) {
        const TSetup setup = SetupOf(table.Weapon(slot), {80, 40, 60, 90, 95, 30});
        SCOPED_TRACE(SetupLabel(setup));
        const std::vector<std::int32_t> values = {0, 41, 99, 100, 201, 250};
        for (const TStat stat : AllStats) {
            const std::vector<TSetupSummary> points = calculator.Sweep(setup, stat, values);
            for (std::size_t i = 0; i < values.size(); ++i) {
                TSetup changed = setup;
                SetStat(changed.Stats, stat, values[i]);
                const TSetupFigures alone = calculator.Figures(std::span(&changed, 1))[0];
                EXPECT_EQ(points[i].Average, alone.NormalAverage()) << StatName(stat) << values[i];
                EXPECT_EQ(points[i].HQAverage, alone.Damage.HQAve);
                EXPECT_EQ(points[i].Delay, alone.Delay);
                EXPECT_EQ(points[i].DamagePerSecond, alone.DamagePerSecond);
            }
        }

        const TSetupFigures before = calculator.Figures(std::span(&setup, 1))[0];
        const std::vector<TStatGain> gains = calculator.Gains(setup);
        for (const TStatGain& gain : gains) {
            TSetup changed = setup;
            SetStat(changed.Stats, gain.Stat, gain.To);
            const TSetupFigures after = calculator.Figures(std::span(&changed, 1))[0];
            EXPECT_EQ(gain.Before.DamagePerSecond, before.DamagePerSecond);
            EXPECT_EQ(gain.After.Average, after.NormalAverage());
            EXPECT_EQ(gain.After.DamagePerSecond, after.DamagePerSecond);
            EXPECT_EQ(gain.After.Delay, after.Delay);
        }
        for (std::size_t i = 1; i < gains.size(); ++i)
            EXPECT_GE(gains[i - 1].DamagePerSecondGain().value_or(-1e300),
                      gains[i].DamagePerSecondGain().value_or(-1e300));
    }
}

// Steps stop at an input's end and are not repeated: Tactics 95 has +1 and
// "+10" landing on 100, Anatomy 100 none, STR 245 ends at 250.
TEST(SetupFigures, GainStepsAtTheEnds)
{
    const TWeaponTable table = BundledTable();
    TSetupCalculator calculator;
    const std::vector<TStatGain> gains =
        calculator.Gains(SetupOf(table.Weapon(1), {245, 0, 250, 95, 100, 99}));
    std::vector<std::string> steps;
    for (const TStat stat : AllStats)
        for (const TStatGain& gain : gains)
            if (gain.Stat == stat)
                steps.push_back(std::string(StatName(stat)) + " " + std::to_string(gain.From) +
                                "-" + std::to_string(gain.To));
    std::sort(steps.begin(), steps.end());
    EXPECT_EQ(steps, (std::vector<std::string>{"DEX 0-1", "DEX 0-10", "DEX 0-250",
                                               "Lumberjack 99-100", "STR 245-246", "STR 245-250",
                                               "Tactics 95-100", "Tactics 95-96"}));
}

// A fault of the formula in any setup raises the evaluator's own exception
// and keeps what was computed before.
TEST(SetupFigures, FaultKeepsThePreviousFigures)
{
    const TWeaponTable table = BundledTable();
    TSetupCalculator calculator;
    calculator.SetDamageMethod("Damage/STR");
    std::vector<TSetup> setups = {SetupOf(table.Weapon(1), {10, 25, 100, 100, 100, 0}),
                                  SetupOf(table.Weapon(2), {20, 25, 100, 100, 100, 0})};
    std::vector<TSetupFigures> figures;
    calculator.Figures(setups, figures);
    setups[1].Stats.STR = 0;
    EXPECT_THROW(calculator.Figures(setups, figures), EZeroDivide);
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_EQ(figures[1].Setup.Stats.STR, 20);
}

// The compare table's rows at their borders: the shortest delay and the
// highest figure are best, ties all best, inputs never; differences carry
// their sign in the cell's own format.
TEST(CompareTable, BestMarksAndDifferences)
{
    const auto figures = [](double hqAve, double delay, std::optional<double> dps, int str) {
        TSetupFigures f;
        f.Damage.HQAve = hqAve;
        f.Delay = delay;
        f.DamagePerSecond = dps;
        f.Setup.Stats.STR = str;
        return f;
    };
    const std::vector<TSetupFigures> columns = {figures(43, 3.5, 12.2857, 100),
                                                figures(45, 4, std::nullopt, 120),
                                                figures(45, 3, 13.6189, 90)};
    EXPECT_EQ(BestColumns(columns, TCompareRow::HQAverage), (std::vector<bool>{false, true, true}));
    EXPECT_EQ(BestColumns(columns, TCompareRow::Delay), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(BestColumns(columns, TCompareRow::DamagePerSecond),
              (std::vector<bool>{false, false, true}));
    EXPECT_EQ(BestColumns(columns, TCompareRow::STR), (std::vector<bool>{false, false, false}));

    EXPECT_EQ(CompareDifferenceText(columns[0], columns[1], TCompareRow::HQAverage), "+2");
    EXPECT_EQ(CompareDifferenceText(columns[0], columns[2], TCompareRow::Delay), "-0.5");
    EXPECT_EQ(CompareDifferenceText(columns[0], columns[2], TCompareRow::DamagePerSecond), "+1.33");
    EXPECT_EQ(CompareDifferenceText(columns[0], columns[1], TCompareRow::DamagePerSecond), "");
    EXPECT_EQ(CompareDifferenceText(columns[0], columns[2], TCompareRow::STR), "-10");
    EXPECT_EQ(CompareDifferenceText(columns[0], columns[0], TCompareRow::Delay), "0");
    EXPECT_EQ(CompareCellText(columns[1], TCompareRow::DamagePerSecond), "-");
}

} // namespace

namespace {

// A setup's line of text: the name up to the last "@", six inputs in range.
TEST(SetupKey, ParsesOnlyWholeSetups)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Katana@100,25,100,100,100,0", "Katana@100,25,100,100,100,0"},
        {"War Axe@0,0,0,0,0,0", "War Axe@0,0,0,0,0,0"},
        {"a@b@250,1,2,3,4,5", "a@b@250,1,2,3,4,5"},
        {"Katana@100,25,100,100,100,101", ""},
        {"Katana@100,25,100,101,100,0", ""},
        {"Katana@-1,25,100,100,100,0", ""},
        {"Katana@100,25,100,100,100", ""},
        {"Katana@100,25,100,100,100,0,", ""},
        {"Katana@100,25,100,100,100,0,1", ""},
        {"Katana@100,,100,100,100,0", ""},
        {"Katana@100,2x,100,100,100,0", ""},
        {"Katana@ 100,25,100,100,100,0", ""},
        {"Katana@99999999999,25,100,100,100,0", ""},
        {"@100,25,100,100,100,0", ""},
        {"Katana", ""},
    };
    for (const auto& [text, expected] : cases) {
        const std::optional<TSetupKey> key = ParseSetupKey(text);
        EXPECT_EQ(key ? SetupKeyText(*key) : "", expected) << text;
    }
}

} // namespace
