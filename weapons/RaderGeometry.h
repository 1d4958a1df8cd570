#pragma once

#include "weapons/RaderChartData.h"

#include <array>

struct TRaderPoint
{
    int X = 0;
    int Y = 0;
    bool operator==(const TRaderPoint&) const = default;
};

// Every pixel position of the radar picture, so the panel only draws.
struct TRaderGeometry
{
    // Apex (speed), bottom left (overall), bottom right (damage) and centre.
    TRaderPoint T, L, R, C;
    // The data polygon on the speed, overall and damage axes; P[3] closes it.
    std::array<TRaderPoint, 4> P;
    // The gauge frame runs from (GaugeLeft, GaugeTop) to (GaugeRight, GaugeBottom)
    // inclusive; the red bar from BarTop down to GaugeBottom.
    int GaugeLeft = 0;
    int GaugeRight = 0;
    int GaugeTop = 0;
    int GaugeBottom = 0;
    int BarTop = 0;
    // Where the three captions start: "Speed" (bottom-left anchored above the
    // apex), "総合力" and "Damage" below the base, each kept inside the panel.
    TRaderPoint SpeedLabel, OverallLabel;
    int DamageLabelRight = 0;
    int DamageLabelTop = 0;
    // The gauge's captions' top-left corners: "爆発力" above it, "安定力" below.
    TRaderPoint BurstLabel, SteadyLabel;
};

// width and height of the panel and the height of its font, in pixels; the
// fixed lengths (margins, gaps, the gauge) grow by `scale`, the window's zoom.
TRaderGeometry ComputeRaderGeometry(int width, int height, int textHeight,
                                    const TRaderFactors& factors, double scale = 1.0);

// The overall rating as the panel prints it, in whole percent.
int OverallPercent(const TRaderFactors& factors);
