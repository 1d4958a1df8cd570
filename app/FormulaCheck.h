#pragma once

#include "views/FormulaFault.h"
#include "weapons/SetupFigures.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Compile a formula on a scratch evaluator named exactly like the one that
// will run it, so a rejected formula is caught before anything is changed.
// Both give the fault in the user's words with its place in the formula, or
// nothing when it compiles.
std::optional<TFormulaFault> DamageMethodFault(const std::string& formula);
std::optional<TFormulaFault> SpeedMethodFault(const std::string& formula);

// What a formula gives for one setup, worked out on scratch calculators as
// the main window's pages work it out; both raise what those raise.
// The damage at Normal accuracy and Normal damage level, rounded by
// `rounding`: low, high and average.
std::array<double, 3> NormalDamages(const std::string& formula, const TSetup& setup,
                                    std::int32_t rounding);
// The swing at the character's own DEX: the formula's value and the delay
// the speed grid shows for it.
struct TSwingAtDex
{
    double Value = 0;
    double Delay = 0;
};
TSwingAtDex SwingAtOwnDex(const std::string& formula, const TSetup& setup);
