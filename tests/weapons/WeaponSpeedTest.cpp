#include "weapons/WeaponSpeed.h"

#include <gtest/gtest.h>

namespace {

TWeaponSpeedData Weapon(std::int32_t speed, std::int32_t dex = 0)
{
    TWeaponSpeedData data;
    data.Name = "Katana";
    data.Speed = speed;
    data.DEX = dex;
    return data;
}

// The ranges must tile 0..200, each holding one delay that differs from its
// neighbours', and flow through columns 1..7 of the first row pair, then
// columns 0..7 of each following pair.
void ExpectRangesMatchDelays(const TWeaponSpeed& speed)
{
    const auto& ranges = speed.Ranges();
    ASSERT_FALSE(ranges.empty());
    int next = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const TSpeedRange& range = ranges[i];
        EXPECT_EQ(range.From, next) << i;
        ASSERT_LE(range.From, range.To) << i;
        for (int n = range.From; n <= range.To; ++n)
            EXPECT_EQ(speed.Delays()[static_cast<std::size_t>(n)], range.Delay) << n;
        if (i > 0) {
            EXPECT_NE(ranges[i - 1].Delay, range.Delay) << i;
        }
        const int position = static_cast<int>(i) + 1;
        EXPECT_EQ(range.Column, position % 8) << i;
        EXPECT_EQ(range.Row, position / 8 * 2) << i;
        next = range.To + 1;
    }
    EXPECT_EQ(ranges.back().To, MaxDex);
}

TEST(WeaponSpeed, CreationHoldsOneRangeOfOnes)
{
    const TWeaponSpeed speed;
    EXPECT_EQ(speed.SpeedMethod(), "1*1");
    ASSERT_EQ(speed.Ranges().size(), 1u);
    const TSpeedRange& range = speed.Ranges()[0];
    EXPECT_EQ(range.From, 0);
    EXPECT_EQ(range.To, 200);
    EXPECT_EQ(range.Delay, 1);
    EXPECT_EQ(range.Column, 1);
    EXPECT_EQ(range.Row, 0);
}

TEST(WeaponSpeed, RoundsUpToHalfSeconds)
{
    struct Case
    {
        double value, delay;
    };
    const Case cases[] = {{3.2, 3.5}, {3.5, 3.5}, {3.7, 4},       {3, 3},
                          {0, 0},     {0.2, 0.5}, {3.5000001, 4}, {14.9999, 15},
                          {-3.2, -3}, {-3.7, -3}, {-0.5, 0},      {1e300, 1e300}};
    for (const Case& c : cases)
        EXPECT_EQ(TWeaponSpeed::RoundUpToHalfSecond(c.value), c.delay) << c.value;
}

TEST(WeaponSpeed, DefaultFormula)
{
    TWeaponSpeed speed;
    speed.SetSpeedMethod(DefaultSpeedMethod);
    speed.SetWeaponSpeedData(Weapon(40, 77));
    // 15000 / ((25 + 2.5 n) * 40) = 150 / (10 + n): 15, 13.6, 12.5, 11.5, ...
    EXPECT_EQ(speed.Delays()[0], 15);
    EXPECT_EQ(speed.Delays()[1], 14);
    EXPECT_EQ(speed.Delays()[2], 12.5);
    EXPECT_EQ(speed.Delays()[3], 12);
    EXPECT_EQ(speed.Delays()[140], 1);   // exactly 1
    EXPECT_EQ(speed.Delays()[139], 1.5); // 1.0067
    EXPECT_EQ(speed.Delays()[200], 1);
    ExpectRangesMatchDelays(speed);
    const TSpeedRange& last = speed.Ranges().back();
    EXPECT_EQ(last.From, 140);
    EXPECT_EQ(last.Delay, 1);
}

TEST(WeaponSpeed, ConstantFormulaGivesOneRange)
{
    TWeaponSpeed speed;
    speed.SetSpeedMethod("7.3");
    ASSERT_EQ(speed.Ranges().size(), 1u);
    EXPECT_EQ(speed.Ranges()[0].From, 0);
    EXPECT_EQ(speed.Ranges()[0].To, 200);
    EXPECT_EQ(speed.Ranges()[0].Delay, 7.5);
}

TEST(WeaponSpeed, RangesWrapAfterColumnSevenAndAreNeverLost)
{
    TWeaponSpeed speed;
    const auto* storage = speed.Ranges().data();
    speed.SetSpeedMethod("DEXR/2");
    ASSERT_EQ(speed.Ranges().size(), 201u); // 0, 0.5, 1, ... each its own delay
    ExpectRangesMatchDelays(speed);
    EXPECT_EQ(speed.Ranges()[6].Column, 7);
    EXPECT_EQ(speed.Ranges()[7].Column, 0);
    EXPECT_EQ(speed.Ranges()[7].Row, 2);
    EXPECT_EQ(speed.Ranges().back().Row, 50); // far beyond the 19 rows of the first grid
    EXPECT_EQ(speed.Ranges().data(), storage);

    speed.SetSpeedMethod("(DEXR-50)/20");
    ExpectRangesMatchDelays(speed);
}

TEST(WeaponSpeed, CharacterAndWeaponReachTheFormula)
{
    TWeaponSpeed speed;
    TWeaponSpeedData data = Weapon(2, 3);
    data.STR = 1;
    data.INT = 4;
    speed.SetSpeedMethod("STR*1000+SPEED*100+DEX*10+INT+DEXR/1000");
    speed.SetWeaponSpeedData(data);
    EXPECT_EQ(speed.WeaponSpeedData().Name, "Katana");
    EXPECT_EQ(speed.Delays()[0], 1234);
    EXPECT_EQ(speed.Delays()[200], 1234.5);
}

// 10 - DEXR/200 rounds up to 9.5 s from DEX 100 and first reaches 9 s at DEX 200
// itself, so the search must look at the last DEX too.
TEST(WeaponSpeed, NextFasterSwingAtDex200)
{
    TWeaponSpeed speed;
    speed.SetSpeedMethod("10-DEXR/200");
    const auto next = speed.NextFasterSwing(100);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->MoreDex, 100);
    EXPECT_EQ(next->Delay, 9);
}

TEST(WeaponSpeed, RaisingFormulaKeepsTheLastGoodResults)
{
    TWeaponSpeed speed;
    speed.SetSpeedMethod(DefaultSpeedMethod);
    speed.SetWeaponSpeedData(Weapon(40));
    const auto delays = speed.Delays();
    const auto ranges = speed.Ranges();

    EXPECT_THROW(speed.SetSpeedMethod("1/(DEXR-100)"), EMathError);
    EXPECT_EQ(speed.Delays(), delays);
    ASSERT_EQ(speed.Ranges().size(), ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i)
        EXPECT_EQ(speed.Ranges()[i].To, ranges[i].To);

    speed.SetSpeedMethod(DefaultSpeedMethod);
    EXPECT_THROW(speed.SetWeaponSpeedData(Weapon(0)), EMathError);
    EXPECT_EQ(speed.Delays(), delays);

    EXPECT_THROW(speed.SetSpeedMethod("(DEXR"), EMissMatchingBracket);
    EXPECT_EQ(speed.SpeedMethod(), DefaultSpeedMethod);
}

} // namespace
