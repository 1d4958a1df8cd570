#include "weapons/WeaponRanking.h"

#include "expr/Exception.h"
#include "weapons/DamageSpread.h"
#include "weapons/RaderChartData.h"
#include "weapons/RaderGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TWeaponDataAndPCData Stats(std::int32_t str, std::int32_t dex, std::int32_t intelligence,
                           std::int32_t tactics, std::int32_t anatomy, std::int32_t lumberjack)
{
    TWeaponDataAndPCData stats;
    stats.STR = str;
    stats.DEX = dex;
    stats.INT = intelligence;
    stats.Tactics = tactics;
    stats.Anatomy = anatomy;
    stats.Lumberjack = lumberjack;
    return stats;
}

TWeaponTable BundledTable()
{
    TWeaponTable table;
    table.LoadFromFile(std::string(QUILLMARCH_DATA_DIR) + "/WData.csv");
    return table;
}

TWeaponTable TableOf(const std::string& lines)
{
    TWeaponTable table;
    table.LoadFromBytes("Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n" + lines);
    return table;
}

TWeaponRank Row(int slot, std::string name, std::optional<double> dps, double delay = 1)
{
    TWeaponRank row;
    row.Slot = slot;
    row.Name = std::move(name);
    row.DamagePerSecond = dps;
    row.Delay = delay;
    return row;
}

std::vector<int> Slots(const std::vector<TWeaponRank>& ranking)
{
    std::vector<int> slots;
    for (const TWeaponRank& row : ranking)
        slots.push_back(row.Slot);
    return slots;
}

struct TSettings
{
    const char* Name;
    TWeaponDataAndPCData Stats;
    std::string DamageMethod;
    std::string SpeedMethod;
    std::int32_t Rounding;
};

} // namespace

// Every row must carry the figures the single-weapon pages show for the same
// weapon, stats and settings: the calculator's Normal/Normal and HQ averages,
// the speed table's delay at the character's DEX, the spread's tallest bar
// and the radar's rating built from those.
TEST(WeaponRanking, AgreesWithTheSingleWeaponFigures)
{
    const TWeaponTable table = BundledTable();
    const TSettings settings[] = {
        {"defaults", Stats(100, 100, 100, 100, 100, 100), DefaultDamageMethod, DefaultSpeedMethod,
         RoundUp},
        {"weak character", Stats(35, 10, 20, 0, 1, 99), DefaultDamageMethod, DefaultSpeedMethod,
         RoundDown},
        {"every variable, no rounding", Stats(120, 150, 80, 90, 55, 37),
         "Damage*TacticsR+STR/(INT+1)+AnatomyR*DEX-LumberjR+Plus",
         "(15000+STR-INT)/((25+DEXR)*SPEED)", NoRounding},
        {"half away from zero, DEX 200", Stats(60, 200, 0, 100, 0, 100), DefaultDamageMethod,
         DefaultSpeedMethod, RoundHalfAwayFromZero},
    };
    for (const TSettings& s : settings) {
        SCOPED_TRACE(s.Name);
        TWeaponRanking ranking;
        ranking.SetDamageMethod(s.DamageMethod);
        ranking.SetSpeedMethod(s.SpeedMethod);
        ranking.SetRoundingMode(s.Rounding);
        ranking.SetStats(s.Stats);
        const std::vector<TWeaponRank> rows = ranking.Rank(table);
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(table.Count()));

        TWeaponDamges calculator(s.Stats);
        calculator.SetDamageMethod(s.DamageMethod);
        calculator.SetRoundingMode(s.Rounding);
        TWeaponSpeed speed;
        speed.SetSpeedMethod(s.SpeedMethod);
        TDamageSpread spread;
        bool sawArchery = false, sawAxe = false;
        for (const TWeaponRank& row : rows) {
            const TWDataCSVTable& weapon = table.Weapon(row.Slot);
            SCOPED_TRACE(weapon.Name);
            sawArchery = sawArchery || weapon.Type == "Archery";
            sawAxe = sawAxe || weapon.Type == "AXE";

            calculator.WeaponData() = {weapon.HighDamage, weapon.LowDamage, weapon.AverageDamage,
                                       weapon.Type, weapon.Name};
            calculator.SetStats(s.Stats);
            speed.SetWeaponSpeedData(
                {weapon.Name, weapon.Speed, s.Stats.DEX, s.Stats.STR, s.Stats.INT});
            spread.SetDiceData(weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus);

            EXPECT_EQ(row.Name, weapon.Name);
            EXPECT_EQ(row.Type, weapon.Type);
            EXPECT_EQ(row.Speed, weapon.Speed);
            EXPECT_EQ(row.Average, calculator.Table()[0][0][2]);
            EXPECT_EQ(row.HQAverage, calculator.HQAve());
            EXPECT_EQ(row.Delay, speed.Delays()[static_cast<std::size_t>(s.Stats.DEX)]);
            ASSERT_TRUE(row.DamagePerSecond.has_value());
            EXPECT_EQ(*row.DamagePerSecond, row.Average / row.Delay);
            EXPECT_EQ(row.TopProbability, spread.HighProbability());
            const TRaderChartData radar{RaderDamage(calculator.Table()[0][0][2]),
                                        spread.HighProbability(), weapon.Speed, weapon.Type};
            EXPECT_EQ(row.Overall, OverallPercent(ComputeRaderFactors(radar)));
        }
        EXPECT_TRUE(sawArchery);
        EXPECT_TRUE(sawAxe);
    }
}

// Only an "AXE" gains from Lumberjack; "Archery" differs from other types
// only at the higher accuracy levels, which the ranking does not show.
TEST(WeaponRanking, LumberjackCountsForAxesOnly)
{
    const TWeaponTable table = TableOf("0,Axe,10,30,20,37,AXE,2,10,0,\n"
                                       "1,Sword,10,30,20,37,Swords,2,10,0,\n"
                                       "2,Bow,10,30,20,37,Archery,2,10,0,\n");
    TWeaponRanking ranking;
    ranking.SetRoundingMode(NoRounding);
    ranking.SetStats(Stats(100, 100, 100, 100, 0, 100));
    const std::vector<TWeaponRank> rows = ranking.Rank(table);
    ASSERT_EQ(rows.size(), 3u);
    // (20 x (1.5 + 0.2 + 0 + 0.3)) / 2, and without the 0.3 for the others.
    EXPECT_DOUBLE_EQ(rows[0].Average, 20);
    EXPECT_DOUBLE_EQ(rows[1].Average, 17);
    EXPECT_EQ(rows[2].Average, rows[1].Average);
    // HQ: Damage = trunc(20 x 1.2) = 24.
    EXPECT_DOUBLE_EQ(rows[0].HQAverage, 24);
    EXPECT_DOUBLE_EQ(rows[1].HQAverage, 20.4);
}

// DEX has no upper limit; beyond the speed table's 200 the delay is still the
// formula's at the character's DEX.
TEST(WeaponRanking, DelayBeyondTheSpeedTable)
{
    const TWeaponTable table = TableOf("0,Sword,10,30,20,40,Swords,2,10,0,\n");
    TWeaponRanking ranking;
    ranking.SetStats(Stats(100, 250, 100, 100, 0, 0));
    // 15000 / ((25 + 625) x 40) = 0.58 -> 1.
    EXPECT_EQ(ranking.Rank(table).at(0).Delay, 1);
    ranking.SetStats(Stats(100, 0, 100, 100, 0, 0));
    EXPECT_EQ(ranking.Rank(table).at(0).Delay, 15);
}

TEST(WeaponRanking, NoDamagePerSecondWithoutAPositiveDelay)
{
    const TWeaponTable table = TableOf("0,Sword,10,30,20,40,Swords,2,10,0,\n");
    TWeaponRanking ranking;
    for (const char* formula : {"0*SPEED", "-5-SPEED"}) {
        SCOPED_TRACE(formula);
        ranking.SetSpeedMethod(formula);
        EXPECT_FALSE(ranking.Rank(table).at(0).DamagePerSecond.has_value());
    }
}

TEST(WeaponRanking, EmptyTableGivesNoRows)
{
    TWeaponRanking ranking;
    EXPECT_TRUE(ranking.Rank(TWeaponTable{}).empty());
    EXPECT_TRUE(ranking.Rank(TableOf("")).empty());
}

// A fault raises once, for the first weapon that meets it, and the previous
// rows stay; a rejected formula leaves the old one in use.
TEST(WeaponRanking, FaultsLeaveThePreviousRows)
{
    const TWeaponTable table = TableOf("0,Dagger,2,10,6,55,Fencing,2,5,0,\n"
                                       "1,Club,10,30,20,40,Mace,2,10,0,\n"
                                       "2,Mace,10,30,20,40,Mace,2,10,0,\n");
    TWeaponRanking ranking;
    std::vector<TWeaponRank> rows = ranking.Rank(table);
    const std::vector<TWeaponRank> before = rows;

    ranking.SetDamageMethod("1/(Damage-20)");
    EXPECT_THROW(ranking.Rank(table, rows), EZeroDivide);
    ASSERT_EQ(rows.size(), before.size());
    EXPECT_EQ(rows[1].Average, before[1].Average);

    ranking.SetDamageMethod(DefaultDamageMethod);
    ranking.SetSpeedMethod("SPEED/(SPEED-40)");
    EXPECT_THROW(ranking.Rank(table, rows), EZeroDivide);
    EXPECT_EQ(rows[0].Delay, before[0].Delay);

    EXPECT_THROW(ranking.SetSpeedMethod("(SPEED"), EMissMatchingBracket);
    EXPECT_THROW(ranking.SetDamageMethod("Damage+"), Exception);
    EXPECT_EQ(ranking.SpeedMethod(), "SPEED/(SPEED-40)");
    EXPECT_EQ(ranking.DamageMethod(), DefaultDamageMethod);
}

// The settings are taken even when the ranking's placeholder character (all
// zero) could not use them; only the real rows decide.
TEST(WeaponRanking, SettingsFaultOnlyForRealRows)
{
    const TWeaponTable table = TableOf("0,Sword,10,30,20,40,Swords,2,10,0,\n");
    TWeaponRanking ranking;
    ranking.SetDamageMethod("Damage/STR");
    ranking.SetSpeedMethod("SPEED/INT");
    ranking.SetRoundingMode(NoRounding);
    EXPECT_EQ(ranking.RoundingMode(), NoRounding);
    ranking.SetStats(Stats(4, 100, 8, 100, 0, 0));
    const TWeaponRank row = ranking.Rank(table).at(0);
    EXPECT_EQ(row.Average, 5);
    EXPECT_EQ(row.Delay, 5);
    ranking.SetStats(Stats(0, 100, 8, 100, 0, 0));
    EXPECT_THROW(ranking.Rank(table), EZeroDivide);
}

// The batch entry points serve the ranking without disturbing the
// single-weapon figures of the objects they run on.
TEST(WeaponRanking, BatchesLeaveTheirObjectsAlone)
{
    TWeaponDamges calculator(Stats(100, 100, 100, 100, 100, 0));
    calculator.SetDamageMethod(DefaultDamageMethod);
    calculator.SetRoundingMode(NoRounding);
    calculator.WeaponData() = {30, 10, 20, "Swords", "Sword"};
    calculator.SetStats(Stats(100, 100, 100, 100, 100, 0));
    const TDamageTable table = calculator.Table();
    const double hq = calculator.HQAve();

    const TWeaponDamges::TAverageInput inputs[] = {{40, true}, {0, false}};
    double hqAverages[2], averages[2];
    calculator.AverageDamages(Stats(10, 10, 10, 10, 10, 10), inputs, hqAverages, averages);
    EXPECT_EQ(calculator.Table(), table);
    EXPECT_EQ(calculator.HQAve(), hq);
    // A zero base evaluates as Damage = 1: (1 x (0.6 + 0.02 + 0.02)) / 2.
    EXPECT_DOUBLE_EQ(averages[1], 0.32);
    // The axe's Lumberjack 10 adds 0.02: (40 x 0.66) / 2, and HQ 48 x 0.66 / 2.
    EXPECT_DOUBLE_EQ(averages[0], 13.2);
    EXPECT_DOUBLE_EQ(hqAverages[0], 15.84);

    TWeaponSpeed speed;
    speed.SetSpeedMethod(DefaultSpeedMethod);
    speed.SetWeaponSpeedData({"Sword", 40, 100, 50, 60});
    const auto delays = speed.Delays();
    const double speeds[] = {10, 80};
    double out[2];
    speed.DelaysAt({"", 1, 7, 999, 999}, speeds, out);
    // 15000 / ((25 + 17.5) x 10) = 35.29 -> 35.5.
    EXPECT_EQ(out[0], 35.5);
    EXPECT_EQ(speed.Delays(), delays);
    // A formula reading STR must still see the last data's STR afterwards.
    speed.SetSpeedMethod("STR+0*DEXR");
    EXPECT_EQ(speed.Delays()[0], 50);
}

TEST(WeaponRankingSort, DamagePerSecondBestFirstWithTiesInTableOrder)
{
    std::vector<TWeaponRank> rows = {Row(1, "a", 5), Row(2, "b", std::nullopt), Row(3, "c", 9),
                                     Row(4, "d", 10), Row(5, "e", 9)};
    std::reverse(rows.begin(), rows.end());
    SortRanking(rows, TRankColumn::DamagePerSecond, true);
    EXPECT_EQ(Slots(rows), (std::vector<int>{4, 3, 5, 1, 2}));
    // Reversed, the missing figure still goes last.
    SortRanking(rows, TRankColumn::DamagePerSecond, false);
    EXPECT_EQ(Slots(rows), (std::vector<int>{1, 3, 5, 4, 2}));
}

TEST(WeaponRankingSort, NumbersAsNumbersTextsByBytes)
{
    std::vector<TWeaponRank> rows = {Row(1, "Zweihander", 1, 10), Row(2, "axe", 1, 9),
                                     Row(3, "Bow", 1, 1.5)};
    SortRanking(rows, TRankColumn::Delay, false);
    EXPECT_EQ(Slots(rows), (std::vector<int>{3, 2, 1}));
    SortRanking(rows, TRankColumn::Name, false);
    EXPECT_EQ(Slots(rows), (std::vector<int>{3, 1, 2}));
}

TEST(WeaponRankingSort, ColumnKeysAndBestFirstOrders)
{
    for (int i = 0; i < RankColumnCount; ++i) {
        const auto column = static_cast<TRankColumn>(i);
        EXPECT_EQ(RankColumnFromKey(RankColumnKey(column)), column) << i;
    }
    EXPECT_EQ(RankColumnFromKey("dps"), TRankColumn::DamagePerSecond);
    EXPECT_FALSE(RankColumnFromKey("DPS").has_value());
    EXPECT_FALSE(RankColumnFromKey("").has_value());
    EXPECT_FALSE(BestFirstIsDescending(TRankColumn::Name));
    EXPECT_FALSE(BestFirstIsDescending(TRankColumn::Delay));
    EXPECT_TRUE(BestFirstIsDescending(TRankColumn::DamagePerSecond));
    EXPECT_TRUE(BestFirstIsDescending(TRankColumn::Speed));
}

// Speed 40 with the standard formula: 15000 / ((25 + 2.5 n) x 40) reaches
// 3.5 s (rounded up from 3.5 or less, above 3) from DEX 33 on.
TEST(WeaponSpeedNextFasterSwing, AtRangeBorders)
{
    TWeaponSpeed speed;
    speed.SetSpeedMethod(DefaultSpeedMethod);
    speed.SetWeaponSpeedData({"Sword", 40, 0, 0, 0});
    const TSpeedRange* range = speed.RangeOf(57);
    ASSERT_NE(range, nullptr);
    const int from = range->From, to = range->To;
    ASSERT_GT(from, 0);
    const double before = speed.Delays()[static_cast<std::size_t>(from - 1)];

    // The last DEX of the slower range needs one point.
    auto next = speed.NextFasterSwing(from - 1);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->MoreDex, 1);
    EXPECT_EQ(next->Delay, range->Delay);
    EXPECT_LT(range->Delay, before);
    // The first DEX of a range needs the whole range and one more.
    next = speed.NextFasterSwing(from);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->MoreDex, to - from + 1);
    EXPECT_LT(next->Delay, range->Delay);
    EXPECT_EQ(speed.RangeOf(from - 1)->To, from - 1);

    // The last range has nothing faster within DEX 200; nor has DEX beyond it.
    const TSpeedRange& last = speed.Ranges().back();
    EXPECT_FALSE(speed.NextFasterSwing(last.From).has_value());
    EXPECT_FALSE(speed.NextFasterSwing(MaxDex).has_value());
    EXPECT_FALSE(speed.NextFasterSwing(MaxDex + 1).has_value());
    EXPECT_EQ(speed.RangeOf(MaxDex + 1), nullptr);
    EXPECT_EQ(speed.RangeOf(-1), nullptr);
}

// A formula that slows down again must not report a longer delay as faster.
TEST(WeaponSpeedNextFasterSwing, SkipsSlowerDelays)
{
    TWeaponSpeed speed;
    // Falls to 1 s at DEX 100, then rises again to 6 s.
    speed.SetSpeedMethod("abs(DEXR-100)/20+1");
    EXPECT_FALSE(speed.NextFasterSwing(150).has_value());
    // From DEX 95 (1.25 -> 1.5) the next shorter delay is DEX 100's 1 s,
    // even though DEX 101..105 are slower again.
    const auto next = speed.NextFasterSwing(95);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->MoreDex, 5);
    EXPECT_EQ(next->Delay, 1);
}
