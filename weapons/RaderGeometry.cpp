#include "weapons/RaderGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

const double Sqrt3 = std::sqrt(3.0);

// Truncates toward zero. Factors are unbounded, so a weapon far outside the
// table's range would otherwise overflow the conversion; no pixel ever lies
// that far away, and the clamp keeps the result defined.
int Trunc(double value)
{
    constexpr double Limit = 1e7;
    if (std::isnan(value))
        return 0;
    if (value > Limit)
        return static_cast<int>(Limit);
    if (value < -Limit)
        return static_cast<int>(-Limit);
    return static_cast<int>(std::trunc(value));
}

} // namespace

TRaderGeometry ComputeRaderGeometry(int width, int height, int textHeight,
                                    const TRaderFactors& factors, double scale)
{
    const double w = width;
    const double h = height;
    const auto scaled = [scale](int pixels) {
        return static_cast<int>(std::lround(pixels * scale));
    };
    // The captions above the apex and below the base need their text's
    // height and a pixel or two of air from the line; a large font widens
    // the margins rather than pushing the captions out of the panel.
    const int margin = std::max(scaled(20), textHeight + 2);
    const int gap = scaled(5);
    TRaderGeometry g;

    g.T.X = Trunc(w / 2);
    if (height > width) {
        g.T.Y = Trunc(h / 2 - w / 2);
        g.L.Y = g.R.Y = Trunc(h / 2 + w / 2 - margin);
    } else {
        g.T.Y = margin;
        g.L.Y = g.R.Y = height - margin;
    }
    const double side = g.L.Y - g.T.Y;
    g.L.X = Trunc(w / 2 - side / Sqrt3);
    g.R.X = Trunc(w / 2 + side / Sqrt3);

    g.C.X = Trunc(w / 2);
    g.C.Y = Trunc(g.L.Y - static_cast<double>(g.R.X - g.L.X) / 2 / Sqrt3);

    g.P[0].X = g.C.X;
    g.P[0].Y = g.C.Y - Trunc((g.C.Y - g.T.Y) * factors.SpeedFactor);
    g.P[1].X = Trunc(g.C.X - (g.C.X - g.L.X) * factors.Overall);
    g.P[1].Y = Trunc((g.L.Y - g.C.Y) * factors.Overall + g.C.Y);
    g.P[2].X = Trunc((g.R.X - g.C.X) * factors.DamageFactor + g.C.X);
    g.P[2].Y = Trunc((g.R.Y - g.C.Y) * factors.DamageFactor + g.C.Y);
    g.P[3] = g.P[0];

    g.GaugeLeft = scaled(15);
    g.GaugeRight = scaled(25);
    g.GaugeTop = textHeight + scaled(8);
    g.GaugeBottom = height - scaled(8) - textHeight;
    // Integer product, floating division.
    const long long span = static_cast<long long>(g.GaugeBottom - g.GaugeTop) * factors.Stability;
    const int level = Trunc(g.GaugeTop + static_cast<double>(span) / 100);
    // Stability has no lower bound, and below 0 the bar would climb over the
    // frame and the "爆発力" caption; the frame is the gauge's whole scale, so
    // a weapon that unsteady simply shows a full bar.
    g.BarTop = level < g.GaugeTop ? g.GaugeTop : level > g.GaugeBottom ? g.GaugeBottom : level;

    // A caption's usual gap from its corner shrinks where the panel's edge
    // would cut the text: the base's corners may lie outside a tall panel,
    // and a font taller than the margin leaves less than the gap.
    g.SpeedLabel = {g.T.X, std::max(0, g.T.Y - textHeight - gap)};
    const int belowBase = std::min(g.L.Y + gap, height - textHeight);
    g.OverallLabel = {std::max(0, g.L.X), belowBase};
    g.DamageLabelRight = std::min(g.R.X, width);
    g.DamageLabelTop = belowBase;
    g.BurstLabel = {scaled(8), gap};
    g.SteadyLabel = {scaled(8), height - gap - textHeight};
    return g;
}

int OverallPercent(const TRaderFactors& factors)
{
    return Trunc(factors.Overall * 100);
}
