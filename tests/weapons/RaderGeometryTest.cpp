#include "weapons/RaderGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ostream>

void PrintTo(const TRaderPoint& p, std::ostream* os)
{
    *os << "(" << p.X << ", " << p.Y << ")";
}

namespace {

struct TriangleCase
{
    const char* Name;
    int Width, Height;
    TRaderPoint T, L, R, C;
};
// Test names and failures show the case by its name rather than its bytes.
void PrintTo(const TriangleCase& c, std::ostream* os)
{
    *os << c.Name;
}

class RaderTriangle : public testing::TestWithParam<TriangleCase>
{
};

TEST_P(RaderTriangle, CornersAndCentreFollowTheTruncRules)
{
    const TriangleCase& c = GetParam();
    const TRaderGeometry g = ComputeRaderGeometry(c.Width, c.Height, 12, TRaderFactors{0, 0, 0, 0});
    EXPECT_EQ(g.T, c.T);
    EXPECT_EQ(g.L, c.L);
    EXPECT_EQ(g.R, c.R);
    EXPECT_EQ(g.C, c.C);
}

// Worked by hand: h = base - apex; half base = h / sqrt(3); centre one third
// of the height above the base, truncated toward zero at every step.
INSTANTIATE_TEST_SUITE_P(
    Sizes, RaderTriangle,
    testing::Values(
        // Square uses the wide rule: apex 20, base H - 20; 260/sqrt3 = 150.11,
        // so L.x = trunc(-0.11) = 0: toward zero, not down.
        TriangleCase{"Square300", 300, 300, {150, 20}, {0, 280}, {300, 280}, {150, 193}},
        // 400/sqrt3 = 230.94; centre 420 - 461/2/sqrt3 = 286.9.
        TriangleCase{"Wide500x440", 500, 440, {250, 20}, {19, 420}, {480, 420}, {250, 286}},
        // Tall: apex trunc(250 - 150) = 100, base trunc(250 + 150 - 20) = 380;
        // 280/sqrt3 = 161.66 -> L = trunc(-11.66) = -11, R = 311.
        TriangleCase{"Tall300x500", 300, 500, {150, 100}, {-11, 380}, {311, 380}, {150, 287}},
        // Odd width: W/2 = 150.5, apex 109.5, base 390.5, h = 281 -> 162.24.
        TriangleCase{"TallOdd301x520", 301, 520, {150, 109}, {-11, 390}, {312, 390}, {150, 296}}),
    [](const testing::TestParamInfo<TriangleCase>& info) { return info.param.Name; });

TEST(RaderPolygon, FactorOneReachesTheCornersAndZeroStaysAtTheCentre)
{
    const TRaderGeometry full = ComputeRaderGeometry(300, 300, 12, TRaderFactors{1, 1, 1, 0});
    EXPECT_EQ(full.P[0], full.T);
    EXPECT_EQ(full.P[1].X, full.L.X);
    EXPECT_EQ(full.P[1].Y, full.L.Y);
    EXPECT_EQ(full.P[2], full.R);
    EXPECT_EQ(full.P[3], full.P[0]);

    const TRaderGeometry none = ComputeRaderGeometry(300, 300, 12, TRaderFactors{0, 0, 0, 0});
    for (const TRaderPoint& p : none.P)
        EXPECT_EQ(p, none.C);
}

TEST(RaderPolygon, FractionsTruncateTowardZero)
{
    // C = (150, 193), T.y = 20, L = (0, 280), R = (300, 280).
    const TRaderGeometry g = ComputeRaderGeometry(300, 300, 12, TRaderFactors{0.5, 0.25, 0.3, 0});
    EXPECT_EQ(g.P[0], (TRaderPoint{150, 193 - 86})); // 173 * 0.5 = 86.5
    EXPECT_EQ(g.P[1], (TRaderPoint{105, 219}));      // 150 - 45; 87 * 0.3 + 193 = 219.1
    EXPECT_EQ(g.P[2], (TRaderPoint{187, 214}));      // 37.5 + 150; 21.75 + 193

    // A negative factor goes through the centre; the truncation still goes toward zero.
    const TRaderGeometry back = ComputeRaderGeometry(300, 300, 12, TRaderFactors{-0.5, -0.1, 0, 0});
    EXPECT_EQ(back.P[0].Y, 193 + 86);
    EXPECT_EQ(back.P[2], (TRaderPoint{135, 184})); // -15 + 150; -8.7 + 193 = 184.3
}

TEST(RaderPolygon, HugeFactorsStayDefined)
{
    const TRaderGeometry g =
        ComputeRaderGeometry(300, 300, 12, TRaderFactors{1e30, -1e30, 1e30, 0});
    EXPECT_LT(g.P[0].Y, -1000000);
    EXPECT_LT(g.P[2].X, -1000000);
    EXPECT_LT(g.P[1].X, -1000000);
    EXPECT_GT(g.P[1].Y, 1000000);
}

struct GaugeCase
{
    const char* Name;
    int Stability;
    int BarTop;
};
// Test names and failures show the case by its name rather than its bytes.
void PrintTo(const GaugeCase& c, std::ostream* os)
{
    *os << c.Name;
}

class RaderGauge : public testing::TestWithParam<GaugeCase>
{
};

TEST_P(RaderGauge, LevelWithinTheFrame)
{
    // Text height 12: frame 20 .. 280, 260 pixels.
    const TRaderGeometry g =
        ComputeRaderGeometry(300, 300, 12, TRaderFactors{0, 0, 0, GetParam().Stability});
    EXPECT_EQ(g.GaugeTop, 20);
    EXPECT_EQ(g.GaugeBottom, 280);
    EXPECT_EQ(g.BarTop, GetParam().BarTop);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, RaderGauge,
    testing::Values(GaugeCase{"ZeroFillsTheFrame", 0, 20}, GaugeCase{"HalfFillsHalf", 50, 150},
                    GaugeCase{"FullLeavesOnlyTheBottomEdge", 100, 280},
                    GaugeCase{"ThirtyThreeTruncates", 33, 105}, // 20 + 8580 / 100 = 105.8
                    GaugeCase{"NegativeStaysInsideTheFrame", -21, 20},
                    GaugeCase{"VeryNegativeStaysInsideTheFrame", -2000000000, 20}),
    [](const testing::TestParamInfo<GaugeCase>& info) { return info.param.Name; });

TEST(RaderGauge, FrameFollowsTheTextHeight)
{
    const TRaderGeometry g = ComputeRaderGeometry(320, 410, 17, TRaderFactors{0, 0, 0, 10});
    EXPECT_EQ(g.GaugeTop, 25);
    EXPECT_EQ(g.GaugeBottom, 385);
    EXPECT_EQ(g.BarTop, 61); // 25 + 3600 / 100
    // Tall: apex at trunc(205 - 160) = 45.
    EXPECT_EQ(g.SpeedLabel, (TRaderPoint{160, 45 - 17 - 5}));
    // The base's corners lie outside a tall panel (-13 and 333); the captions
    // under them stay inside it.
    EXPECT_EQ(g.OverallLabel, (TRaderPoint{0, g.L.Y + 5}));
    EXPECT_EQ(g.DamageLabelRight, 320);
}

struct CaptionCase
{
    const char* Name;
    int Size, TextHeight;
    double Scale;
    // Apex, base, tops of "Speed" and of the captions under the base, the
    // gauge's frame left, right, top and bottom, top of "安定力".
    std::array<int, 9> Expected;
};

class RaderCaptions : public testing::TestWithParam<CaptionCase>
{
};

TEST_P(RaderCaptions, StayInsideThePanelAndScaleWithTheZoom)
{
    const CaptionCase& c = GetParam();
    const TRaderGeometry g =
        ComputeRaderGeometry(c.Size, c.Size, c.TextHeight, TRaderFactors{0, 0, 0, 0}, c.Scale);
    EXPECT_EQ((std::array<int, 9>{g.T.Y, g.L.Y, g.SpeedLabel.Y, g.OverallLabel.Y, g.GaugeLeft,
                                  g.GaugeRight, g.GaugeTop, g.GaugeBottom, g.SteadyLabel.Y}),
              c.Expected);
    EXPECT_EQ(g.DamageLabelTop, g.OverallLabel.Y);
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, RaderCaptions,
    testing::Values(
        // The design: "Speed" 20 - 14 - 5 = 1 from the top, the base's captions 5 below it.
        CaptionCase{"DesignFont", 300, 14, 1.0, {20, 280, 1, 285, 15, 25, 22, 278, 281}},
        // A font taller than the margin widens it to 24 + 2, the captions meet the edges.
        CaptionCase{"TallFont", 300, 24, 1.0, {26, 274, 0, 276, 15, 25, 32, 268, 271}},
        // 200 %: margins, gaps and the gauge doubled.
        CaptionCase{"Zoom200", 600, 34, 2.0, {40, 560, 0, 566, 30, 50, 50, 550, 556}}),
    [](const testing::TestParamInfo<CaptionCase>& info) { return info.param.Name; });

TEST(RaderOverall, PrintedPercentTruncates)
{
    EXPECT_EQ(OverallPercent(TRaderFactors{0, 0, 0.599, 0}), 59);
    EXPECT_EQ(OverallPercent(TRaderFactors{0, 0, -0.259, 0}), -25);
    EXPECT_EQ(OverallPercent(TRaderFactors{0, 0, 1.0, 0}), 100);
}

} // namespace
