#pragma once

#include <cstdint>
#include <string>

// What the radar chart rates: the Normal/Normal average damage, the spread's
// top probability, the weapon's speed and type.
struct TRaderChartData
{
    std::int32_t Damage = 32;
    double TopProbability = 20.0;
    std::int32_t Speed = 56;
    std::string WeaponType;
};

struct TRaderFactors
{
    double SpeedFactor = 0;
    double DamageFactor = 0;
    double Overall = 0;
    // Percent, at most 100; no lower bound.
    std::int32_t Stability = 0;
};

TRaderFactors ComputeRaderFactors(const TRaderChartData& data);

// The radar's damage from the Normal/Normal average: truncated toward zero,
// held to what 32 bits hold (a formula may give far more), 0 for NaN.
std::int32_t RaderDamage(double average);
