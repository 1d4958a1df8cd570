#pragma once

#include "expr/MathsParser.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

// One weapon's data as the damage calculator needs it (high before low).
struct TWeaponBaseData
{
    double HighDamage = 0;
    double LowDamage = 0;
    double AverageDamage = 0;
    std::string Type;
    std::string Name;
};

// The six character stats followed by the weapon.
struct TWeaponDataAndPCData
{
    std::int32_t STR = 0;
    std::int32_t DEX = 0;
    std::int32_t INT = 0;
    std::int32_t Tactics = 0;
    std::int32_t Anatomy = 0;
    std::int32_t Lumberjack = 0;
    TWeaponBaseData Weapon;
};

// [accuracy level 0..5][damage level 0..5][figure: 0 low, 1 high, 2 average]
using TDamageTable = std::array<std::array<std::array<double, 3>, 6>, 6>;

enum TRoundingMode : std::int32_t
{
    RoundUp = 0,
    RoundDown = 1,
    RoundHalfAwayFromZero = 2,
    NoRounding = 3,
};

inline constexpr std::array<const char*, 6> AccuracyLevelNames = {
    "Normal", "Accurate", "Surpassingly", "Eminently", "Exceedingly", "Supremely"};
inline constexpr std::array<const char*, 6> DamageLevelNames = {"Normal", "Ruin",  "Might",
                                                                "Force",  "Power", "Vanquishing"};
inline constexpr const char* DefaultDamageMethod =
    "(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus";

// Everything the calculator works out for one weapon and one character.
struct TDamageFigures
{
    double HQLow = 0;
    double HQHigh = 0;
    double HQAve = 0;
    TDamageTable Table{};
};

// Turns one weapon and one character into the 6 x 6 x 3 magic damage table
// and the three exceptional-quality damages. Every setter recomputes all.
class TWeaponDamges
{
public:
    explicit TWeaponDamges(const TWeaponDataAndPCData& initial);

    // Written directly by the caller; takes effect at the next recomputation.
    TWeaponBaseData& WeaponData() { return m_weapon; }
    const TWeaponBaseData& WeaponData() const { return m_weapon; }

    // Takes the six stats of `stats` (its weapon part is ignored) and recomputes.
    void SetStats(const TWeaponDataAndPCData& stats);
    std::int32_t RoundingMode() const { return m_roundingMode; }
    void SetRoundingMode(std::int32_t mode);
    bool AnatomyOption() const { return m_anatomyOption; }
    void SetAnatomyOption(bool on);
    const std::string& DamageMethod() const { return m_damageMethod; }
    // Compiles the formula; a rejected one raises and changes nothing.
    void SetDamageMethod(std::string formula);

    double HQHigh() const { return m_hqHigh; }
    double HQLow() const { return m_hqLow; }
    double HQAve() const { return m_hqAve; }
    std::int32_t AnatomyBonus() const { return m_anatomyBonus; }
    std::int32_t LumberjackBonus() const { return m_lumberjackBonus; }
    const TDamageTable& Table() const { return m_table; }

    static double Round(double value, std::int32_t mode);

    // The HQ average and the Normal/Normal average of many weapons for the
    // six stats of `stats` (its weapon part is ignored), at the current
    // formula and rounding: for weapon i, what HQAve() and Table()[0][0][2]
    // would hold had its base data been set and then those stats. Only the
    // average damage and the type of each weapon count. Evaluates the
    // compiled formula as one batch, two rows per weapon, and leaves this
    // calculator's own stats, weapon and results alone; on a fault it raises
    // what the first faulting row raises, with the outputs partly written.
    struct TAverageInput
    {
        double AverageDamage = 0;
        bool Axe = false;
    };
    void AverageDamages(const TWeaponDataAndPCData& stats, std::span<const TAverageInput> weapons,
                        std::span<double> hqAverage, std::span<double> normalAverage)
    {
        AverageDamages(std::span(&stats, 1), weapons, hqAverage, normalAverage);
    }
    // The same with a character per weapon: stats[i] for weapon i, or
    // stats[0] for all when it holds one.
    void AverageDamages(std::span<const TWeaponDataAndPCData> stats,
                        std::span<const TAverageInput> weapons, std::span<double> hqAverage,
                        std::span<double> normalAverage);

    // What the results would hold after setting each setup's weapon and then
    // its stats, at the current formula, rounding and Anatomy option, for
    // many setups in one batch; this calculator's own state stays as it is.
    // On a fault it raises what the first faulting result raises, with `out`
    // partly written.
    void Figures(std::span<const TWeaponDataAndPCData> setups, std::span<TDamageFigures> out);

    // The formula's variables, slot by slot.
    static const std::array<const char*, 8>& VariableNames();
    // One result of Figures: an HQ figure, or a cell of the table; Figure is
    // 0 low, 1 high, 2 average.
    struct TResultAt
    {
        bool HQ = false;
        std::size_t Accuracy = 0;
        std::size_t Level = 0;
        std::size_t Figure = 0;
    };
    // That result of `setup` before rounding, from the very batch Figures
    // evaluates, with the values its variables held, slot by slot. This
    // calculator's own state stays as it is; raises like Figures.
    struct TUnrounded
    {
        std::array<double, 8> Variables{};
        double Value = 0;
    };
    TUnrounded Unrounded(const TWeaponDataAndPCData& setup, const TResultAt& at);

private:
    void Recompute();
    // Evaluates the setups' rows, at most BatchRows at once, into `out`.
    void EvaluateSetups(std::span<const TWeaponDataAndPCData> setups,
                        std::span<TDamageFigures> out);

    std::int32_t m_str = 0, m_dex = 0, m_int = 0, m_tactics = 0, m_anatomy = 0, m_lumberjack = 0;
    TWeaponBaseData m_weapon;
    double m_hqHigh = 0, m_hqLow = 0, m_hqAve = 0;
    std::int32_t m_anatomyBonus = 0, m_lumberjackBonus = 0;
    bool m_anatomyOption = false;
    std::int32_t m_roundingMode = RoundDown;
    std::string m_damageMethod;
    TMathsParser m_parser;
    TDamageTable m_table{};
};
