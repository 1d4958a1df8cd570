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

} // namespace

TWeaponDamges::TWeaponDamges(const TWeaponDataAndPCData& initial)
    : m_str(initial.STR), m_dex(initial.DEX), m_int(initial.INT), m_tactics(initial.Tactics),
      m_anatomy(initial.Anatomy), m_lumberjack(initial.Lumberjack), m_weapon(initial.Weapon)
{
    static constexpr std::array<const char*, 8> Names = {
        "STR", "Damage", "TacticsR", "AnatomyR", "LumberjR", "Plus", "DEX", "INT"};
    for (std::size_t i = 0; i < Names.size(); ++i)
        m_parser.SetVarName(i, Names[i]);
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

// All 111 results go to scratch values first: if the formula raises on one
// of them (a division by zero for some stat), the previous results stay
// whole instead of half old, half new. They are evaluated as one batch, rows
// in the order of the results (3 HQ, then the table by accuracy, damage level
// and figure), so a fault is the one the first failing result would raise.
void TWeaponDamges::Recompute()
{
    const std::int32_t anatomyBonus = SkillBonus(m_anatomy);
    const std::int32_t lumberjackBonus = m_weapon.Type == "AXE" ? SkillBonus(m_lumberjack) : 0;
    const bool archery = m_weapon.Type == "Archery";

    m_parser.SetVar(SlotSTR, m_str);
    m_parser.SetVar(SlotDEX, m_dex);
    m_parser.SetVar(SlotINT, m_int);
    m_parser.SetVar(SlotAnatomyR, anatomyBonus / 100.0);
    m_parser.SetVar(SlotLumberjR, lumberjackBonus / 100.0);

    constexpr std::size_t HQRows = 3;
    constexpr std::size_t Rows = HQRows + 6 * 6 * 3;
    std::array<double, Rows> damage, tacticsR, plus, values;
    std::size_t row = 0;
    const auto addRow = [&](double base, bool hq, std::int32_t tacticsBonus, std::int32_t bonus) {
        damage[row] = DamageVariable(base, hq);
        tacticsR[row] = TacticsRatio(m_tactics, tacticsBonus);
        plus[row] = bonus;
        ++row;
    };

    addRow(m_weapon.LowDamage, true, 0, 0);
    addRow(m_weapon.HighDamage, true, 0, 0);
    addRow(m_weapon.AverageDamage, true, 0, 0);
    const std::array<double, 3> bases = {m_weapon.LowDamage, m_weapon.HighDamage,
                                         m_weapon.AverageDamage};
    for (std::size_t a = 0; a < TacticsBonuses.size(); ++a) {
        const std::int32_t tacticsBonus = archery ? 0 : TacticsBonuses[a];
        for (std::size_t d = 0; d < DamagePluses.size(); ++d)
            for (std::size_t f = 0; f < bases.size(); ++f)
                addRow(bases[f], false, tacticsBonus, DamagePluses[d]);
    }

    TMathsParser::TColumns columns{};
    columns[SlotDamage] = damage.data();
    columns[SlotTacticsR] = tacticsR.data();
    columns[SlotPlus] = plus.data();
    m_parser.ValueBatch(columns, Rows, values.data());

    TDamageTable table;
    row = HQRows;
    for (auto& accuracy : table)
        for (auto& level : accuracy)
            for (double& figure : level)
                figure = Round(values[row++], m_roundingMode);

    m_anatomyBonus = anatomyBonus;
    m_lumberjackBonus = lumberjackBonus;
    m_hqLow = Round(values[0], m_roundingMode);
    m_hqHigh = Round(values[1], m_roundingMode);
    m_hqAve = Round(values[2], m_roundingMode);
    m_table = table;
}

// Rows 2i and 2i + 1 are weapon i's HQ and Normal/Normal averages, so a fault
// is the one the first failing weapon raises. Both kinds of row have no
// Tactics bonus and no Plus, and "Archery" only changes the Tactics bonus of
// the higher accuracy levels, so only "AXE" tells the weapons apart besides
// their damage. Every variable set here is set again by the next
// recomputation before it evaluates anything.
void TWeaponDamges::AverageDamages(const TWeaponDataAndPCData& stats,
                                   std::span<const TAverageInput> weapons,
                                   std::span<double> hqAverage, std::span<double> normalAverage)
{
    const std::size_t count = std::min({weapons.size(), hqAverage.size(), normalAverage.size()});
    const double axeBonus = SkillBonus(stats.Lumberjack) / 100.0;

    m_parser.SetVar(SlotSTR, stats.STR);
    m_parser.SetVar(SlotDEX, stats.DEX);
    m_parser.SetVar(SlotINT, stats.INT);
    m_parser.SetVar(SlotAnatomyR, SkillBonus(stats.Anatomy) / 100.0);
    m_parser.SetVar(SlotTacticsR, TacticsRatio(stats.Tactics, 0));
    m_parser.SetVar(SlotPlus, 0);

    // Block by block, so the scratch stays small whatever the table's size.
    constexpr std::size_t BlockWeapons = TMathsParser::BatchRows / 2;
    std::array<double, 2 * BlockWeapons> damage, lumberjR, values;
    TMathsParser::TColumns columns{};
    columns[SlotDamage] = damage.data();
    columns[SlotLumberjR] = lumberjR.data();
    for (std::size_t first = 0; first < count; first += BlockWeapons) {
        const std::size_t n = std::min(BlockWeapons, count - first);
        for (std::size_t i = 0; i < n; ++i) {
            const TAverageInput& weapon = weapons[first + i];
            damage[2 * i] = DamageVariable(weapon.AverageDamage, true);
            damage[2 * i + 1] = DamageVariable(weapon.AverageDamage, false);
            lumberjR[2 * i] = lumberjR[2 * i + 1] = weapon.Axe ? axeBonus : 0;
        }
        m_parser.ValueBatch(columns, 2 * n, values.data());
        for (std::size_t i = 0; i < n; ++i) {
            hqAverage[first + i] = Round(values[2 * i], m_roundingMode);
            normalAverage[first + i] = Round(values[2 * i + 1], m_roundingMode);
        }
    }
}
