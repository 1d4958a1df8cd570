#include "weapons/RaderChartData.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct TBand
{
    double SpeedWeight;
    double DamageWeight;
    bool StaffScaled;
};

// Light weapons are rated mostly by damage, heavy ones more by speed.
TBand BandOf(std::int32_t damage)
{
    if (damage >= 0 && damage <= 10)
        return {3, 17, true};
    if (damage >= 11 && damage <= 15)
        return {7, 13, true};
    if (damage >= 16 && damage <= 18)
        return {9, 11, true};
    if (damage >= 19 && damage <= 35)
        return {10, 10, true};
    return {11, 9, false};
}

} // namespace

TRaderFactors ComputeRaderFactors(const TRaderChartData& data)
{
    TRaderFactors factors;
    // In double, so no speed or damage can overflow the subtraction.
    factors.SpeedFactor = (static_cast<double>(data.Speed) - 8) / 50;
    factors.DamageFactor = (static_cast<double>(data.Damage) - 3) / 38;

    const TBand band = BandOf(data.Damage);
    factors.Overall = (factors.SpeedFactor * band.SpeedWeight / 10 +
                       factors.DamageFactor * band.DamageWeight / 10) /
                      2;
    if (band.StaffScaled && data.WeaponType == "Staff")
        factors.Overall *= 0.8;

    // Only bounded above; a NaN or a figure beyond 32 bits must still give an
    // integer, so the truncation is clamped to what the type holds.
    const double stability = std::trunc((data.TopProbability - 3) / 14 * 100);
    if (std::isnan(stability))
        factors.Stability = 0;
    else if (stability > 100)
        factors.Stability = 100;
    else if (stability < std::numeric_limits<std::int32_t>::min())
        factors.Stability = std::numeric_limits<std::int32_t>::min();
    else
        factors.Stability = static_cast<std::int32_t>(stability);
    return factors;
}

std::int32_t RaderDamage(double average)
{
    if (std::isnan(average))
        return 0;
    const double limited =
        std::clamp(std::trunc(average), double(std::numeric_limits<std::int32_t>::min()),
                   double(std::numeric_limits<std::int32_t>::max()));
    return static_cast<std::int32_t>(limited);
}
