#pragma once

#include "weapons/DamageSpread.h"
#include "weapons/RaderChartData.h"
#include "weapons/WeaponD.h"
#include "weapons/WeaponSpeed.h"
#include "weapons/WeaponTable.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

// The six inputs of a character, in the order the command line takes them.
enum class TStat
{
    STR,
    DEX,
    INT,
    Tactics,
    Anatomy,
    Lumberjack,
};

inline constexpr int StatCount = 6;
inline constexpr std::array<TStat, StatCount> AllStats = {
    TStat::STR, TStat::DEX, TStat::INT, TStat::Tactics, TStat::Anatomy, TStat::Lumberjack};

// "STR", "DEX", "INT", "Tactics", "Anatomy", "Lumberjack" and back, the
// latter in any letter case.
std::string_view StatName(TStat stat);
std::optional<TStat> StatFromName(std::string_view name);
std::int32_t StatOf(const TWeaponDataAndPCData& stats, TStat stat);
void SetStat(TWeaponDataAndPCData& stats, TStat stat, std::int32_t value);
// Skills end at 100; the three stats have no cap of their own, so the
// program's usual range ends them (the sweep's default end).
std::int32_t StatMaximum(TStat stat);
inline constexpr std::int32_t StatSweepEnd = 250;

// One weapon of the table with one character's six inputs (the weapon part
// of Stats is ignored).
struct TSetup
{
    TWDataCSVTable Weapon;
    TWeaponDataAndPCData Stats;
};
// Fills `input` as the damage calculator takes a setup: its six inputs and
// the weapon's damages and type. Assigned in place, so a caller that fills
// the same rows again allocates nothing.
void SetDamageInput(TWeaponDataAndPCData& input, const TSetup& setup);

// A setup as one line of text, "Katana@100,25,100,100,100,0": the weapon's
// name, then the six inputs in the order of TStat. The name may hold any
// character, "@" too, as the inputs follow the last one.
struct TSetupKey
{
    std::string WeaponName;
    TWeaponDataAndPCData Stats;
};
std::string SetupKeyText(const TSetupKey& key);
// Nothing unless the name is not empty and six decimal integers follow, none
// negative and the three skills at most 100.
std::optional<TSetupKey> ParseSetupKey(std::string_view text);

// Everything the program shows for a setup, as its pages would show it.
struct TSetupFigures
{
    TSetup Setup;
    TDamageFigures Damage;
    // At the character's own DEX, whatever its value.
    double Delay = 0;
    // Normal/Normal average / Delay; nothing when the delay is not above zero.
    std::optional<double> DamagePerSecond;
    std::optional<TWeaponSpeed::TNextFasterSwing> NextFasterSwing;
    double TopProbability = 0;
    std::array<double, TDamageSpread::BarCount> Bars{};
    TRaderFactors Factors;
    std::int32_t Overall = 0;

    double NormalAverage() const { return Damage.Table[0][0][2]; }
    double SupremeAverage() const { return Damage.Table[5][5][2]; }
};

// The few figures a ranking row, a sweep point or a stat gain needs.
struct TSetupSummary
{
    double HQAverage = 0;
    // Normal accuracy, Normal damage level.
    double Average = 0;
    double Delay = 0;
    std::optional<double> DamagePerSecond;
};

// What a weapon brings to a summary.
struct TSummaryWeapon
{
    double AverageDamage = 0;
    bool Axe = false;
    double Speed = 1;
};
// What `weapon` brings to a summary.
TSummaryWeapon SummaryWeaponOf(const TWDataCSVTable& weapon);

// How much one input is raised in a stat gain.
enum class TGainStep
{
    One,
    Ten,
    ToMaximum,
};

// What raising one input from From to To changes.
struct TStatGain
{
    TStat Stat = TStat::STR;
    TGainStep Step = TGainStep::One;
    std::int32_t From = 0;
    std::int32_t To = 0;
    TSetupSummary Before;
    TSetupSummary After;
    // After minus before; nothing when either lacks a damage per second.
    std::optional<double> DamagePerSecondGain() const;
};

// The figures of whole setups under one pair of formulas and one rounding:
// each formula is compiled once when set, and every computation is one batch
// per formula, however many setups it covers. The dice spreads depend on the
// dice alone and are kept across computations.
class TSetupCalculator
{
public:
    TSetupCalculator();

    const std::string& DamageMethod() const { return m_damages.DamageMethod(); }
    // Compiles the formula; a rejected one raises and changes nothing.
    void SetDamageMethod(std::string formula);
    const std::string& SpeedMethod() const { return m_speed.SpeedMethod(); }
    void SetSpeedMethod(std::string formula);
    std::int32_t RoundingMode() const { return m_damages.RoundingMode(); }
    void SetRoundingMode(std::int32_t mode);

    // One entry per setup. A formula fault raises what the first faulting
    // setup raises, and `out` is then left as it was.
    void Figures(std::span<const TSetup> setups, std::vector<TSetupFigures>& out);
    std::vector<TSetupFigures> Figures(std::span<const TSetup> setups);

    // For weapon i with stats[i], or with stats[0] for all when it holds one.
    // Raises like Figures, with `out` partly written.
    void Summaries(std::span<const TWeaponDataAndPCData> stats,
                   std::span<const TSummaryWeapon> weapons, std::span<TSetupSummary> out);

    // The setup with `stat` at each of `values`.
    std::vector<TSetupSummary> Sweep(const TSetup& setup, TStat stat,
                                     std::span<const std::int32_t> values);

    // +1, +10 and up to the maximum of each input, as far as the input goes,
    // the best damage-per-second gain first (a missing one last), ties in
    // input order.
    std::vector<TStatGain> Gains(const TSetup& setup);

    // The spread of a weapon's dice, computed once per set of dice.
    struct TSpreadFigures
    {
        std::array<double, TDamageSpread::BarCount> Bars{};
        double TopProbability = 0;
    };
    const TSpreadFigures& Spread(const TWDataCSVTable& weapon);
    // Its tallest bar alone, kept for far more sets of dice than the bars.
    double TopProbability(const TWDataCSVTable& weapon);
    // Forgets the tallest bars beyond what a table of `weapons` needs, so
    // the spreads of another table are not kept without bound.
    void TrimSpreads(std::size_t weapons);

    // The radar's factors for a weapon at a Normal/Normal average.
    TRaderFactors Rating(const TWDataCSVTable& weapon, double average);

private:
    void DelayAndNextSwing(TSetupFigures& figures);

    TWeaponDamges m_damages;
    TWeaponSpeed m_speed;
    using TDiceKey = std::tuple<std::int32_t, std::int32_t, std::int32_t>;
    std::map<TDiceKey, TSpreadFigures> m_spreads;
    std::map<TDiceKey, double> m_topProbabilities;
    // Scratch kept between computations, so a large table allocates once.
    std::vector<TWeaponDataAndPCData> m_damageSetups;
    std::vector<TDamageFigures> m_damageFigures;
    std::vector<TSetupFigures> m_figures;
    std::vector<TWeaponDamges::TAverageInput> m_averageInputs;
    std::vector<TWeaponSpeed::TDelayRow> m_delayRows;
    std::vector<double> m_speeds, m_hqAverages, m_averages, m_delays;
};
