#include "weapons/RaderChartData.h"

#include <gtest/gtest.h>

namespace {

TEST(RaderFactors, AxesReachTheirCornersAtSpeed58AndDamage41)
{
    const TRaderFactors corner = ComputeRaderFactors({41, 20, 58, "Swords"});
    EXPECT_EQ(corner.SpeedFactor, 1);
    EXPECT_EQ(corner.DamageFactor, 1);
    const TRaderFactors centre = ComputeRaderFactors({3, 20, 8, "Swords"});
    EXPECT_EQ(centre.SpeedFactor, 0);
    EXPECT_EQ(centre.DamageFactor, 0);
    EXPECT_EQ(centre.Overall, 0);
}

// With speed 58 (factor 1) the overall is (ws + d * wd) / 20, which shows
// each band's weights on its own.
TEST(RaderFactors, OverallBandsAndStaffWeight)
{
    struct Case
    {
        std::int32_t damage;
        const char* type;
        double speedWeight, damageWeight, scale;
    };
    const Case cases[] = {
        {0, "Swords", 3, 17, 1},   {10, "Swords", 3, 17, 1},   {10, "Staff", 3, 17, 0.8},
        {11, "Swords", 7, 13, 1},  {15, "Staff", 7, 13, 0.8},  {16, "Swords", 9, 11, 1},
        {18, "Staff", 9, 11, 0.8}, {19, "Swords", 10, 10, 1},  {20, "Staff", 10, 10, 0.8},
        {20, "staff", 10, 10, 1},  {35, "Staff", 10, 10, 0.8}, {36, "Swords", 11, 9, 1},
        {40, "Staff", 11, 9, 1},   {-1, "Staff", 11, 9, 1},    {1000, "Mace", 11, 9, 1},
    };
    for (const Case& c : cases) {
        const TRaderFactors factors = ComputeRaderFactors({c.damage, 20, 58, c.type});
        const double d = (c.damage - 3) / 38.0;
        EXPECT_DOUBLE_EQ(factors.Overall, (c.speedWeight + d * c.damageWeight) / 20 * c.scale)
            << c.damage << " " << c.type;
    }
}

TEST(RaderFactors, StabilityIsCappedAt100Only)
{
    struct Case
    {
        double top;
        std::int32_t stability;
    };
    const Case cases[] = {{17, 100}, {10, 50}, {100, 100}, {20, 100}, {16.9, 99},
                          {3, 0},    {2, -7},  {0, -21},   {3.1, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(ComputeRaderFactors({32, c.top, 56, ""}).Stability, c.stability) << c.top;
}

TEST(RaderFactors, ExtremeInputsStayFinite)
{
    const TRaderFactors low = ComputeRaderFactors({INT32_MIN, -1e300, INT32_MIN, ""});
    EXPECT_EQ(low.Stability, INT32_MIN);
    EXPECT_LT(low.SpeedFactor, 0);
    const TRaderFactors high = ComputeRaderFactors({INT32_MAX, 1e300, INT32_MAX, ""});
    EXPECT_EQ(high.Stability, 100);
    EXPECT_GT(high.Overall, 0);
}

} // namespace
