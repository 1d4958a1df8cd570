#pragma once

#include "weapons/SetupFigures.h"
#include "weapons/WeaponD.h"
#include "weapons/WeaponSpeed.h"
#include "weapons/WeaponTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One weapon of the table as it serves one character.
struct TWeaponRank
{
    // The weapon's data line in the table (1..Count()).
    int Slot = 0;
    std::string Name;
    std::string Type;
    std::int32_t Speed = 0;
    // Swing delay in seconds at the character's own DEX.
    double Delay = 0;
    // Average damage at "Normal" accuracy and "Normal" damage level.
    double Average = 0;
    double HQAverage = 0;
    // Average / Delay; nothing when the delay is not above zero.
    std::optional<double> DamagePerSecond;
    // The tallest bar of the dice spread, percent.
    double TopProbability = 0;
    // The radar chart's overall rating, as its "総合力" shows it.
    std::int32_t Overall = 0;
};

enum class TRankColumn
{
    Name,
    Type,
    Speed,
    Delay,
    Average,
    HQAverage,
    DamagePerSecond,
    TopProbability,
    Overall,
};

inline constexpr int RankColumnCount = 9;

// The command-line key of a column ("name", "dps", ...) and back.
std::string_view RankColumnKey(TRankColumn column);
std::optional<TRankColumn> RankColumnFromKey(std::string_view key);

// The order that puts the better weapon first: texts A to Z, a shorter delay
// first, every other number highest first.
bool BestFirstIsDescending(TRankColumn column);

// What a cell of the ranking shows, in the page and on the command line:
// texts as they are; speed and overall as integers; delay and averages in
// the general format; damage per second and top probability with two
// decimals, "-" for a missing damage per second.
std::string RankCellText(const TWeaponRank& row, TRankColumn column);

// Name and type are texts, left-aligned where the others are right-aligned.
bool IsTextColumn(TRankColumn column);

// Stable on equal keys by table order. Texts compare byte by byte, numbers as
// numbers; a weapon without damage per second goes last in either direction.
void SortRanking(std::vector<TWeaponRank>& ranking, TRankColumn column, bool descending);

// Ranks a whole weapon table for one character: every row is a setup's
// summary, so each formula is compiled once when it is set and every
// ranking is one batch pass over the table.
class TWeaponRanking
{
public:
    const std::string& DamageMethod() const { return m_setups.DamageMethod(); }
    // Compiles the formula; a rejected one raises and changes nothing.
    void SetDamageMethod(std::string formula) { m_setups.SetDamageMethod(std::move(formula)); }
    const std::string& SpeedMethod() const { return m_setups.SpeedMethod(); }
    void SetSpeedMethod(std::string formula) { m_setups.SetSpeedMethod(std::move(formula)); }
    std::int32_t RoundingMode() const { return m_setups.RoundingMode(); }
    void SetRoundingMode(std::int32_t mode) { m_setups.SetRoundingMode(mode); }
    // STR, DEX, INT, Tactics, Anatomy and Lumberjack; the weapon part is ignored.
    const TWeaponDataAndPCData& Stats() const { return m_stats; }
    void SetStats(const TWeaponDataAndPCData& stats);

    // One row per weapon in table order. The figures are those the single
    // weapon pages show for the same stats and settings. A formula fault
    // raises once, for the first weapon that meets it, and `ranking` is then
    // left as it was.
    void Rank(const TWeaponTable& table, std::vector<TWeaponRank>& ranking);
    std::vector<TWeaponRank> Rank(const TWeaponTable& table);

private:
    TWeaponDataAndPCData m_stats;
    TSetupCalculator m_setups;
    // Scratch kept between rankings, so a stat change allocates nothing once
    // the table has been ranked.
    std::vector<TSummaryWeapon> m_weapons;
    std::vector<TSetupSummary> m_summaries;
};
