#pragma once

#include "weapons/WeaponD.h"
#include "weapons/WeaponSpeed.h"

#include <array>
#include <string>
#include <string_view>

// How a figure's value was rounded; the edge words it.
enum class TWorkingRounding
{
    Up,
    Down,
    HalfAwayFromZero,
    None,
    UpToHalfSecond,
};

// How one figure was reached: its formula with each variable replaced by
// the value it held, the value the calculator computed, the rounding and
// the figure shown.
struct TWorking
{
    std::string Substituted;
    double Raw = 0;
    TWorkingRounding Rounding = TWorkingRounding::None;
    double Rounded = 0;
};

// FormatGeneral when that text reads back as `value`, else the shortest
// text that does: 42.1, 16.666666666666668.
std::string ExactNumber(double value);

// `formula` with names[i] replaced by values[i] (ExactNumber, a negative
// value in brackets), each name found as the evaluator finds it: in any
// letter case, blanks inside it ignored, longer names first, never inside a
// function name or "pi". Everything else stays as written.
std::string SubstitutedFormula(std::string_view formula, const std::array<const char*, 8>& names,
                               const std::array<double, 8>& values);

// A result of `setup` at the calculator's formula and rounding mode; raises
// like TWeaponDamges::Figures.
TWorking DamageWorking(TWeaponDamges& calculator, const TWeaponDataAndPCData& setup,
                       const TWeaponDamges::TResultAt& at);
// A delay at the speed computation's formula; raises like DelaysOf.
TWorking DelayWorking(TWeaponSpeed& speed, const TWeaponSpeed::TDelayRow& row);
