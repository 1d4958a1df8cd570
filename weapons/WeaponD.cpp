#include "weapons/WeaponD.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr std::array<std::int32_t, 6> TacticsBonuses = {0, 5, 10, 15, 20, 25};
constexpr std::array<std::int32_t, 6> DamagePluses = {0, 1, 3, 5, 7, 9};

// Percent: 0 gives 0, a full 100 gives 30, anything else a fifth rounded up.
std::int32_t SkillBonus(std::int32_t skill)
{
    if (skill == 0)
        return 0;
    if (skill == 100)
        return 30;
    return static_cast<std::int32_t>(std::ceil(skill / 5.0));
}

// Slots of the calculator's evaluator, in the order the names are bound.
enum TSlot : std::size_t
{
    SlotSTR,
    SlotDamage,
    SlotTacticsR,
    SlotAnatomyR,
    SlotLumberjR,
    SlotPlus,
    SlotDEX,
    SlotINT,
};

// What "Damage" holds for a base damage: an HQ weapon's damage is the base
// raised by a fifth and cut to a whole number, and a zero base counts as 1.
double DamageVariable(double base, bool hq)
{
    if (base == 0)
        return 1;
    return hq ? std::trunc(base * 1.2) : base;
}

// In double, so no Tactics skill can overflow the sum.
double TacticsRatio(std::int32_t tactics, std::int32_t tacticsBonus)
{
    return (static_cast<double>(tactics) + 50 + tacticsBonus) / 100;
}

constexpr std::array<const char*, 8> VariableNameList = {
    "STR", "Damage", "TacticsR", "AnatomyR", "LumberjR", "Plus", "DEX", "INT"};

} // namespace

TWeaponDamges::TWeaponDamges(const TWeaponDataAndPCData& initial)
    : m_str(initial.STR), m_dex(initial.DEX), m_int(initial.INT), m_tactics(initial.Tactics),
      m_anatomy(initial.Anatomy), m_lumberjack(initial.Lumberjack), m_weapon(initial.Weapon)
{
    for (std::size_t i = 0; i < VariableNameList.size(); ++i)
        m_parser.SetVarName(i, VariableNameList[i]);
    m_damageMethod = "1*1";
    m_parser.SetExpression(m_damageMethod);
    // Every result starts as 1, so the table is never uninitialised.
    Recompute();
}

void TWeaponDamges::SetStats(const TWeaponDataAndPCData& stats)
{
    m_str = stats.STR;
    m_dex = stats.DEX;
    m_int = stats.INT;
    m_tactics = stats.Tactics;
    m_anatomy = stats.Anatomy;
    m_lumberjack = stats.Lumberjack;
    Recompute();
}

void TWeaponDamges::SetRoundingMode(std::int32_t mode)
{
    m_roundingMode = mode;
    Recompute();
}

void TWeaponDamges::SetAnatomyOption(bool on)
{
    m_anatomyOption = on;
    Recompute();
}

void TWeaponDamges::SetDamageMethod(std::string formula)
{
    m_parser.SetExpression(formula);
    m_damageMethod = std::move(formula);
    Recompute();
}

double TWeaponDamges::Round(double value, std::int32_t mode)
{
    switch (mode) {
    case RoundUp:
        return std::ceil(value);
    case RoundDown:
        return std::floor(value);
    case RoundHalfAwayFromZero:
        // Exact, unlike adding 0.5 and truncating, which turns 0.49999999999999994 into 1.
        return std::round(value);
    default:
        return value;
    }
}

namespace {

// The rows of one setup, in the order of its results: 3 HQ, then the table
// by accuracy, damage level and figure.
constexpr std::size_t HQRows = 3;
constexpr std::size_t SetupRows = HQRows + 6 * 6 * 3;

using TColumnStore = std::array<std::array<double, TMathsParser::BatchRows>, 8>;

// The three variables that change within a setup, one column each, for the
// rows of one setup.
struct TSetupColumns
{
    std::array<double, SetupRows> Damage, TacticsR, Plus;
};

// The damage of a row depends on the weapon and the figure alone, its
// Tactics ratio on the accuracy level, so each is worked out once.
void FillSetupColumns(const TWeaponDataAndPCData& setup, TSetupColumns& columns)
{
    const TWeaponBaseData& weapon = setup.Weapon;
    const bool archery = weapon.Type == "Archery";
    const std::array<double, 3> bases = {weapon.LowDamage, weapon.HighDamage, weapon.AverageDamage};
    const double noBonus = TacticsRatio(setup.Tactics, 0);
    std::array<double, 3> damages;
    for (std::size_t f = 0; f < bases.size(); ++f) {
        columns.Damage[f] = DamageVariable(bases[f], true);
        columns.TacticsR[f] = noBonus;
        columns.Plus[f] = 0;
        damages[f] = DamageVariable(bases[f], false);
    }
    std::size_t row = HQRows;
    for (const std::int32_t tacticsBonus : TacticsBonuses) {
        const double tacticsR = archery ? noBonus : TacticsRatio(setup.Tactics, tacticsBonus);
        for (const std::int32_t plus : DamagePluses)
            for (const double damage : damages) {
                columns.Damage[row] = damage;
                columns.TacticsR[row] = tacticsR;
                columns.Plus[row] = plus;
                ++row;
            }
    }
}

// Every row of one setup, unrounded. Its character's values are plain
// variables; only Damage, TacticsR and Plus change from row to row.
void EvaluateSetupRows(TMathsParser& parser, const TWeaponDataAndPCData& setup,
                       TSetupColumns& columns, std::array<double, SetupRows>& values)
{
    parser.SetVar(SlotSTR, setup.STR);
    parser.SetVar(SlotDEX, setup.DEX);
    parser.SetVar(SlotINT, setup.INT);
    parser.SetVar(SlotAnatomyR, SkillBonus(setup.Anatomy) / 100.0);
    parser.SetVar(SlotLumberjR,
                  setup.Weapon.Type == "AXE" ? SkillBonus(setup.Lumberjack) / 100.0 : 0);
    FillSetupColumns(setup, columns);
    TMathsParser::TColumns pointers{};
    pointers[SlotDamage] = columns.Damage.data();
    pointers[SlotTacticsR] = columns.TacticsR.data();
    pointers[SlotPlus] = columns.Plus.data();
    parser.ValueBatch(pointers, SetupRows, values.data());
}

} // namespace

// All 111 results go to scratch values first: if the formula raises on one
// of them (a division by zero for some stat), the previous results stay
// whole instead of half old, half new.
void TWeaponDamges::Recompute()
{
    TWeaponDataAndPCData setup{m_str, m_dex, m_int, m_tactics, m_anatomy, m_lumberjack, m_weapon};
    TDamageFigures figures;
    EvaluateSetups(std::span(&setup, 1), std::span(&figures, 1));

    m_anatomyBonus = SkillBonus(m_anatomy);
    m_lumberjackBonus = m_weapon.Type == "AXE" ? SkillBonus(m_lumberjack) : 0;
    m_hqLow = figures.HQLow;
    m_hqHigh = figures.HQHigh;
    m_hqAve = figures.HQAve;
    m_table = figures.Table;
}

void TWeaponDamges::Figures(std::span<const TWeaponDataAndPCData> setups,
                            std::span<TDamageFigures> out)
{
    EvaluateSetups(setups.first(std::min(setups.size(), out.size())), out);
}

// Setups are evaluated in their order, so a fault is the one the first
// failing result of the first failing setup raises. Each setup is a batch
// of its own, with its character's stats as plain values: the evaluator
// runs a batch of three columns faster than one of eight.
void TWeaponDamges::EvaluateSetups(std::span<const TWeaponDataAndPCData> setups,
                                   std::span<TDamageFigures> out)
{
    TSetupColumns columns;
    std::array<double, SetupRows> values;
    for (std::size_t i = 0; i < setups.size(); ++i) {
        EvaluateSetupRows(m_parser, setups[i], columns, values);
        // The mode is chosen once for all rows rather than once per row.
        const auto roundAll = [&](auto round) {
            for (double& value : values)
                value = round(value);
        };
        switch (m_roundingMode) {
        case RoundUp:
            roundAll([](double v) { return std::ceil(v); });
            break;
        case RoundDown:
            roundAll([](double v) { return std::floor(v); });
            break;
        case RoundHalfAwayFromZero:
            roundAll([](double v) { return std::round(v); });
            break;
        default:
            break;
        }

        TDamageFigures& figures = out[i];
        const double* row = values.data();
        figures.HQLow = row[0];
        figures.HQHigh = row[1];
        figures.HQAve = row[2];
        row += HQRows;
        for (auto& accuracy : figures.Table)
            for (auto& level : accuracy)
                for (double& figure : level)
                    figure = *row++;
    }
}

// Rows 2i and 2i + 1 are weapon i's HQ and Normal/Normal averages, so a fault
// is the one the first failing weapon raises. Both kinds of row have no
// Tactics bonus and no Plus, and "Archery" only changes the Tactics bonus of
// the higher accuracy levels, so only "AXE" tells the weapons apart besides
// their damage. Every variable set here is set again by the next
// recomputation before it evaluates anything.
void TWeaponDamges::AverageDamages(std::span<const TWeaponDataAndPCData> stats,
                                   std::span<const TAverageInput> weapons,
                                   std::span<double> hqAverage, std::span<double> normalAverage)
{
    const std::size_t count = std::min({weapons.size(), hqAverage.size(), normalAverage.size()});
    if (stats.empty())
        return;
    const bool shared = stats.size() == 1;
    const auto axeBonus = [](const TWeaponDataAndPCData& character) {
        return SkillBonus(character.Lumberjack) / 100.0;
    };

    // Block by block, so the scratch stays small whatever the table's size.
    constexpr std::size_t BlockWeapons = TMathsParser::BatchRows / 2;
    TColumnStore columns;
    std::array<double, 2 * BlockWeapons> values;
    TMathsParser::TColumns pointers{};
    // One character for all: its stats are plain values, and only the damage
    // and the Lumberjack bonus of an axe change from row to row.
    const std::array<TSlot, 5> characterSlots = {SlotSTR, SlotDEX, SlotINT, SlotAnatomyR,
                                                 SlotTacticsR};
    for (const TSlot slot : characterSlots)
        pointers[slot] = shared ? nullptr : columns[slot].data();
    pointers[SlotDamage] = columns[SlotDamage].data();
    pointers[SlotLumberjR] = columns[SlotLumberjR].data();
    const auto characterValues = [](const TWeaponDataAndPCData& character) {
        return std::array<double, 5>{
            static_cast<double>(character.STR), static_cast<double>(character.DEX),
            static_cast<double>(character.INT), SkillBonus(character.Anatomy) / 100.0,
            TacticsRatio(character.Tactics, 0)};
    };
    if (shared) {
        const std::array<double, 5> values0 = characterValues(stats[0]);
        for (std::size_t k = 0; k < characterSlots.size(); ++k)
            m_parser.SetVar(characterSlots[k], values0[k]);
    }
    m_parser.SetVar(SlotPlus, 0);

    const double sharedAxeBonus = axeBonus(stats[0]);
    for (std::size_t first = 0; first < count; first += BlockWeapons) {
        const std::size_t n = std::min(BlockWeapons, count - first);
        for (std::size_t i = 0; i < n; ++i) {
            const TAverageInput& weapon = weapons[first + i];
            columns[SlotDamage][2 * i] = DamageVariable(weapon.AverageDamage, true);
            columns[SlotDamage][2 * i + 1] = DamageVariable(weapon.AverageDamage, false);
            const TWeaponDataAndPCData& character = shared ? stats[0] : stats[first + i];
            const double lumberjR =
                weapon.Axe ? (shared ? sharedAxeBonus : axeBonus(character)) : 0;
            columns[SlotLumberjR][2 * i] = columns[SlotLumberjR][2 * i + 1] = lumberjR;
            if (!shared) {
                const std::array<double, 5> own = characterValues(character);
                for (std::size_t k = 0; k < characterSlots.size(); ++k)
                    columns[characterSlots[k]][2 * i] = columns[characterSlots[k]][2 * i + 1] =
                        own[k];
            }
        }
        m_parser.ValueBatch(pointers, 2 * n, values.data());
        for (std::size_t i = 0; i < n; ++i) {
            hqAverage[first + i] = Round(values[2 * i], m_roundingMode);
            normalAverage[first + i] = Round(values[2 * i + 1], m_roundingMode);
        }
    }
}

const std::array<const char*, 8>& TWeaponDamges::VariableNames()
{
    return VariableNameList;
}

TWeaponDamges::TUnrounded TWeaponDamges::Unrounded(const TWeaponDataAndPCData& setup,
                                                   const TResultAt& at)
{
    TSetupColumns columns;
    std::array<double, SetupRows> values;
    EvaluateSetupRows(m_parser, setup, columns, values);
    const std::size_t row =
        at.HQ ? at.Figure : HQRows + (at.Accuracy * 6 + at.Level) * 3 + at.Figure;
    TUnrounded result;
    for (std::size_t slot = 0; slot < result.Variables.size(); ++slot)
        result.Variables[slot] = m_parser.Var(slot);
    result.Variables[SlotDamage] = columns.Damage.at(row);
    result.Variables[SlotTacticsR] = columns.TacticsR.at(row);
    result.Variables[SlotPlus] = columns.Plus.at(row);
    result.Value = values.at(row);
    return result;
}
