#include "app/FormulaCheck.h"

#include "app/ErrorText.h"
#include "expr/MathsParser.h"

#include <optional>

namespace {

using TSlotNames = std::array<std::optional<std::string>, 8>;

std::optional<TFormulaFault> CompileFault(const std::string& formula, const TSlotNames& names)
{
    TMathsParser parser;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i]) {
            parser.SetVarName(i, *names[i]);
        }
    }
    try {
        parser.SetExpression(formula);
    } catch (const Exception& e) {
        return TFormulaFault{ErrorText(e), e.Position()};
    }
    return std::nullopt;
}

} // namespace

std::optional<TFormulaFault> DamageMethodFault(const std::string& formula)
{
    static const TSlotNames names = {"STR",      "Damage", "TacticsR", "AnatomyR",
                                     "LumberjR", "Plus",   "DEX",      "INT"};
    return CompileFault(formula, names);
}

std::optional<TFormulaFault> SpeedMethodFault(const std::string& formula)
{
    // Slots 4 to 6 keep the evaluator's own names, as in the speed computation.
    static const TSlotNames names = {"STR",        "SPEED",      "DEXR", std::nullopt,
                                     std::nullopt, std::nullopt, "DEX",  "INT"};
    return CompileFault(formula, names);
}

std::array<double, 3> NormalDamages(const std::string& formula, const TSetup& setup,
                                    std::int32_t rounding)
{
    TWeaponDataAndPCData data;
    SetDamageInput(data, setup);
    // Weapon and stats first, so the formula is first evaluated with them and
    // not with a character of zeros it may divide by; then the whole table,
    // as the page computes it.
    TWeaponDamges calculator(data);
    calculator.SetRoundingMode(rounding);
    calculator.SetDamageMethod(formula);
    return calculator.Table()[0][0];
}

TSwingAtDex SwingAtOwnDex(const std::string& formula, const TSetup& setup)
{
    TWeaponSpeedData data;
    data.Name = setup.Weapon.Name;
    data.Speed = setup.Weapon.Speed;
    data.DEX = setup.Stats.DEX;
    data.STR = setup.Stats.STR;
    data.INT = setup.Stats.INT;
    // The whole table, as the grid computes it: a formula that faults at
    // any DEX of it faults on the page as well.
    TWeaponSpeed speed;
    speed.SetWeaponSpeedData(data);
    speed.SetSpeedMethod(formula);
    TWeaponSpeed::TDelayRow row;
    row.Speed = setup.Weapon.Speed;
    row.STR = setup.Stats.STR;
    row.DEX = setup.Stats.DEX;
    row.INT = setup.Stats.INT;
    row.DEXR = setup.Stats.DEX;
    const double value = speed.Unrounded(row).Value;
    return {value, TWeaponSpeed::RoundUpToHalfSecond(value)};
}
