#include "app/FormulaCheck.h"

#include "app/ErrorText.h"
#include "expr/MathsParser.h"

#include <array>
#include <optional>

namespace {

using TSlotNames = std::array<std::optional<std::string>, 8>;

std::string CompileError(const std::string& formula, const TSlotNames& names)
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
        return ErrorText(e).toStdString();
    }
    return {};
}

} // namespace

std::string DamageMethodError(const std::string& formula)
{
    static const TSlotNames names = {"STR",      "Damage", "TacticsR", "AnatomyR",
                                     "LumberjR", "Plus",   "DEX",      "INT"};
    return CompileError(formula, names);
}

std::string SpeedMethodError(const std::string& formula)
{
    // Slots 4 to 6 keep the evaluator's own names, as in the speed computation.
    static const TSlotNames names = {"STR",        "SPEED",      "DEXR", std::nullopt,
                                     std::nullopt, std::nullopt, "DEX",  "INT"};
    return CompileError(formula, names);
}
