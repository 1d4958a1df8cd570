#include "weapons/WeaponD.h"

#include <gtest/gtest.h>

namespace {

TWeaponDataAndPCData Character(std::int32_t str, std::int32_t tactics, std::int32_t anatomy,
                               std::int32_t lumberjack, const std::string& type = "Swords")
{
    TWeaponDataAndPCData data;
    data.STR = str;
    data.Tactics = tactics;
    data.Anatomy = anatomy;
    data.Lumberjack = lumberjack;
    data.Weapon.LowDamage = 10;
    data.Weapon.HighDamage = 20;
    data.Weapon.AverageDamage = 15;
    data.Weapon.Type = type;
    return data;
}

// A calculator showing one variable, unrounded, for the given character.
TWeaponDamges Showing(const std::string& formula, const TWeaponDataAndPCData& data)
{
    TWeaponDamges calc(data);
    calc.SetRoundingMode(NoRounding);
    calc.SetDamageMethod(formula);
    calc.SetStats(data);
    return calc;
}

TEST(WeaponDamges, CreationComputesOnesAndFloorsAfterwards)
{
    const TWeaponDamges calc(Character(100, 100, 100, 100, "AXE"));
    EXPECT_EQ(calc.HQLow(), 1);
    EXPECT_EQ(calc.HQHigh(), 1);
    EXPECT_EQ(calc.HQAve(), 1);
    for (const auto& row : calc.Table())
        for (const auto& cell : row)
            for (const double value : cell)
                EXPECT_EQ(value, 1);
    EXPECT_EQ(calc.RoundingMode(), RoundDown);
    EXPECT_EQ(calc.DamageMethod(), "1*1");
}

TEST(WeaponDamges, SkillBonuses)
{
    struct Case
    {
        std::int32_t skill, bonus;
    };
    const Case cases[] = {{0, 0},    {1, 1},    {5, 1},    {6, 2},   {99, 20},
                          {100, 30}, {101, 21}, {200, 40}, {-7, -1}, {-5, -1}};
    for (const Case& c : cases) {
        TWeaponDamges axe =
            Showing("AnatomyR*1000+LumberjR", Character(0, 0, c.skill, c.skill, "AXE"));
        EXPECT_EQ(axe.AnatomyBonus(), c.bonus) << c.skill;
        EXPECT_EQ(axe.LumberjackBonus(), c.bonus) << c.skill;
        EXPECT_DOUBLE_EQ(axe.Table()[0][0][0], c.bonus * 10 + c.bonus / 100.0) << c.skill;

        for (const char* type : {"Swords", "axe", "AXE ", "Archery"}) {
            TWeaponDamges other = Showing("LumberjR", Character(0, 0, c.skill, c.skill, type));
            EXPECT_EQ(other.LumberjackBonus(), 0) << type;
            EXPECT_EQ(other.Table()[2][3][1], 0) << type;
        }
    }
}

TEST(WeaponDamges, HighQualityTruncatesTwelveTenths)
{
    struct Case
    {
        double base, damage;
    };
    const Case cases[] = {{11, 13},   {5, 6}, {10, 12}, {29, 34},
                          {17.5, 21}, {0, 1}, {0.5, 0}, {-11, -13}};
    for (const Case& c : cases) {
        TWeaponDataAndPCData data = Character(0, 0, 0, 0);
        data.Weapon.LowDamage = c.base;
        data.Weapon.HighDamage = c.base;
        data.Weapon.AverageDamage = c.base;
        TWeaponDamges calc = Showing("Damage+TacticsR*1000+Plus*100", data);
        EXPECT_EQ(calc.HQLow(), c.damage + 500) << c.base;
        EXPECT_EQ(calc.HQHigh(), c.damage + 500) << c.base;
        EXPECT_EQ(calc.HQAve(), c.damage + 500) << c.base;
    }
}

TEST(WeaponDamges, ZeroBaseDamageCountsAsOne)
{
    TWeaponDataAndPCData data = Character(0, 0, 0, 0);
    data.Weapon.LowDamage = 0;
    const TWeaponDamges calc = Showing("Damage", data);
    for (std::size_t a = 0; a < 6; ++a) {
        EXPECT_EQ(calc.Table()[a][5][0], 1);
        EXPECT_EQ(calc.Table()[a][5][1], 20);
        EXPECT_EQ(calc.Table()[a][5][2], 15);
    }
    EXPECT_EQ(calc.HQLow(), 1);
}

TEST(WeaponDamges, AccuracyRowsAndDamageColumns)
{
    const TWeaponDamges swords = Showing("TacticsR*100+Plus/100", Character(0, 70, 0, 0, "Swords"));
    const TWeaponDamges archery =
        Showing("TacticsR*100+Plus/100", Character(0, 70, 0, 0, "Archery"));
    const double pluses[] = {0, 1, 3, 5, 7, 9};
    for (std::size_t a = 0; a < 6; ++a)
        for (std::size_t d = 0; d < 6; ++d)
            for (std::size_t f = 0; f < 3; ++f) {
                EXPECT_DOUBLE_EQ(swords.Table()[a][d][f], 120 + 5.0 * a + pluses[d] / 100);
                EXPECT_DOUBLE_EQ(archery.Table()[a][d][f], 120 + pluses[d] / 100);
            }
}

TEST(WeaponDamges, StatsReachTheFormula)
{
    TWeaponDataAndPCData data = Character(3, 0, 0, 0);
    data.DEX = 5;
    data.INT = 7;
    const TWeaponDamges calc = Showing("STR*10000+DEX*100+INT", data);
    EXPECT_EQ(calc.Table()[4][2][1], 30507);
    EXPECT_EQ(calc.HQAve(), 30507);
}

TEST(WeaponDamges, DefaultFormulaExample)
{
    TWeaponDamges calc(Character(100, 100, 100, 0));
    calc.SetDamageMethod(DefaultDamageMethod);
    calc.SetStats(Character(100, 100, 100, 0));
    EXPECT_EQ(calc.Table()[0][0][0], 10);
    // Supremely/Vanquishing: (20 * (1.75 + 0.2 + 0.3)) / 2 + 9 = 31.5, floored.
    EXPECT_EQ(calc.Table()[5][5][1], 31);
    // HQ high: Damage 24, (24 * 2) / 2 = 24.
    EXPECT_EQ(calc.HQHigh(), 24);
}

TEST(WeaponDamges, RoundingModes)
{
    struct Case
    {
        std::int32_t mode;
        double positive, negative;
    };
    const Case cases[] = {
        {RoundUp, 13, -12},        {RoundDown, 12, -13}, {RoundHalfAwayFromZero, 13, -13},
        {NoRounding, 12.5, -12.5}, {-1, 12.5, -12.5},    {4, 12.5, -12.5}};
    TWeaponDataAndPCData data = Character(0, 0, 0, 0);
    data.Weapon.LowDamage = 12.5;
    data.Weapon.HighDamage = -12.5;
    TWeaponDamges calc(data);
    calc.SetDamageMethod("Damage");
    for (const Case& c : cases) {
        calc.SetRoundingMode(c.mode);
        EXPECT_EQ(calc.Table()[1][1][0], c.positive) << c.mode;
        EXPECT_EQ(calc.Table()[1][1][1], c.negative) << c.mode;
        EXPECT_EQ(TWeaponDamges::Round(12.5, c.mode), c.positive) << c.mode;
    }
    EXPECT_EQ(TWeaponDamges::Round(0.49999999999999994, RoundHalfAwayFromZero), 0);
    EXPECT_EQ(TWeaponDamges::Round(-0.5, RoundHalfAwayFromZero), -1);
    EXPECT_EQ(TWeaponDamges::Round(2.4, RoundHalfAwayFromZero), 2);
}

TEST(WeaponDamges, RaisingFormulaKeepsTheLastGoodResults)
{
    TWeaponDataAndPCData data = Character(0, 0, 0, 0);
    TWeaponDamges calc = Showing("Damage+Plus", data);
    const TDamageTable table = calc.Table();
    const double hqLow = calc.HQLow();

    // Fails only at the last damage level, after the HQ values and many cells.
    EXPECT_THROW(calc.SetDamageMethod("1/(Plus-9)"), EMathError);
    EXPECT_EQ(calc.DamageMethod(), "1/(Plus-9)");
    EXPECT_EQ(calc.Table(), table);
    EXPECT_EQ(calc.HQLow(), hqLow);

    // A rejected formula changes nothing, and the previous one still works.
    calc.SetDamageMethod("Damage*2");
    const TDamageTable doubled = calc.Table();
    EXPECT_THROW(calc.SetDamageMethod("(Damage*3"), EMissMatchingBracket);
    EXPECT_THROW(calc.SetDamageMethod("Damage*y"), ESyntaxError);
    EXPECT_EQ(calc.DamageMethod(), "Damage*2");
    EXPECT_EQ(calc.Table(), doubled);
    data.Weapon.LowDamage = 7;
    calc.WeaponData() = data.Weapon;
    calc.SetStats(data);
    EXPECT_EQ(calc.Table()[0][0][0], 14);

    // A stat that makes the formula fail keeps the results of the previous stats.
    calc.SetDamageMethod("Damage/(STR-5)");
    const TDamageTable before = calc.Table();
    data.STR = 5;
    EXPECT_THROW(calc.SetStats(data), EZeroDivide);
    EXPECT_EQ(calc.Table(), before);
}

} // namespace
