#include "weapons/RaderGeometry.h"

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
                                    const TRaderFactors& factors)
{
    const double w = width;
    const double h = height;
    TRaderGeometry g;

    g.T.X = Trunc(w / 2);
    if (height > width) {
        g.T.Y = Trunc(h / 2 - w / 2);
        g.L.Y = g.R.Y = Trunc(h / 2 + w / 2 - 20);
    } else {
        g.T.Y = 20;
        g.L.Y = g.R.Y = height - 20;
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

    g.GaugeTop = textHeight + 8;
    g.GaugeBottom = height - 8 - textHeight;
    // Integer product, floating division.
    const long long span = static_cast<long long>(g.GaugeBottom - g.GaugeTop) * factors.Stability;
    const int level = Trunc(g.GaugeTop + static_cast<double>(span) / 100);
    // Stability has no lower bound, and below 0 the bar would climb over the
    // frame and the "爆発力" caption; the frame is the gauge's whole scale, so
    // a weapon that unsteady simply shows a full bar.
    g.BarTop = level < g.GaugeTop ? g.GaugeTop : level > g.GaugeBottom ? g.GaugeBottom : level;

    g.SpeedLabel = {g.T.X, g.T.Y - textHeight - 5};
    g.OverallLabel = {g.L.X, g.L.Y + 5};
    g.DamageLabelRight = g.R.X;
    g.DamageLabelTop = g.L.Y + 5;
    return g;
}

int OverallPercent(const TRaderFactors& factors)
{
    return Trunc(factors.Overall * 100);
}
