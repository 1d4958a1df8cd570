#include "weapons/WeaponRanking.h"

#include "expr/Exception.h"
#include "weapons/DamageSpread.h"
#include "weapons/NumberFormat.h"
#include "weapons/RaderChartData.h"
#include "weapons/RaderGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <tuple>
#include <utility>

namespace {

constexpr std::array<std::string_view, RankColumnCount> Keys = {
    "name", "type", "speed", "delay", "average", "hq", "dps", "top", "overall"};

// Ascending comparison of one column; a missing damage per second is handled
// by the caller.
int Compare(const TWeaponRank& a, const TWeaponRank& b, TRankColumn column)
{
    const auto order = [](const auto& x, const auto& y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (column) {
    case TRankColumn::Name:
        return order(a.Name, b.Name);
    case TRankColumn::Type:
        return order(a.Type, b.Type);
    case TRankColumn::Speed:
        return order(a.Speed, b.Speed);
    case TRankColumn::Delay:
        return order(a.Delay, b.Delay);
    case TRankColumn::Average:
        return order(a.Average, b.Average);
    case TRankColumn::HQAverage:
        return order(a.HQAverage, b.HQAverage);
    case TRankColumn::DamagePerSecond:
        return order(*a.DamagePerSecond, *b.DamagePerSecond);
    case TRankColumn::TopProbability:
        return order(a.TopProbability, b.TopProbability);
    case TRankColumn::Overall:
        return order(a.Overall, b.Overall);
    }
    return 0;
}

// Each setter of the calculator and the speed computation also recomputes
// their own placeholder weapon and character (all zero, speed 1), which no
// ranking uses. A fault there (Damage/STR with STR 0) is no fault of the
// settings for the table: the setting is taken before the recomputation, and
// the ranking evaluates it for the real rows and raises what they meet. A
// rejected formula is no EMathError and still raises.
template <typename TStep> void IgnoringPlaceholderFaults(TStep step)
{
    try {
        step();
    } catch (const EMathError&) {
    }
}

} // namespace

std::string_view RankColumnKey(TRankColumn column)
{
    return Keys.at(static_cast<std::size_t>(column));
}

std::optional<TRankColumn> RankColumnFromKey(std::string_view key)
{
    for (std::size_t i = 0; i < Keys.size(); ++i)
        if (Keys[i] == key)
            return static_cast<TRankColumn>(i);
    return std::nullopt;
}

std::string RankCellText(const TWeaponRank& row, TRankColumn column)
{
    switch (column) {
    case TRankColumn::Name:
        return row.Name;
    case TRankColumn::Type:
        return row.Type;
    case TRankColumn::Speed:
        return std::to_string(row.Speed);
    case TRankColumn::Delay:
        return FormatGeneral(row.Delay);
    case TRankColumn::Average:
        return FormatGeneral(row.Average);
    case TRankColumn::HQAverage:
        return FormatGeneral(row.HQAverage);
    case TRankColumn::DamagePerSecond:
        return row.DamagePerSecond ? FormatTwoDecimals(*row.DamagePerSecond) : "-";
    case TRankColumn::TopProbability:
        return FormatTwoDecimals(row.TopProbability);
    case TRankColumn::Overall:
        return std::to_string(row.Overall);
    }
    return {};
}

bool IsTextColumn(TRankColumn column)
{
    return column == TRankColumn::Name || column == TRankColumn::Type;
}

bool BestFirstIsDescending(TRankColumn column)
{
    return !IsTextColumn(column) && column != TRankColumn::Delay;
}

void SortRanking(std::vector<TWeaponRank>& ranking, TRankColumn column, bool descending)
{
    std::sort(ranking.begin(), ranking.end(), [&](const TWeaponRank& a, const TWeaponRank& b) {
        if (column == TRankColumn::DamagePerSecond &&
            a.DamagePerSecond.has_value() != b.DamagePerSecond.has_value())
            return a.DamagePerSecond.has_value();
        if (column != TRankColumn::DamagePerSecond || a.DamagePerSecond) {
            // NaN compares neither way, so it ties rather than breaking the order.
            const int c = Compare(a, b, column);
            if (c != 0)
                return descending ? c > 0 : c < 0;
        }
        return a.Slot < b.Slot;
    });
}

TWeaponRanking::TWeaponRanking() : m_damages(TWeaponDataAndPCData{})
{
    m_damages.SetDamageMethod(DefaultDamageMethod);
    m_damages.SetRoundingMode(RoundUp);
    m_speed.SetSpeedMethod(DefaultSpeedMethod);
}

void TWeaponRanking::SetDamageMethod(std::string formula)
{
    IgnoringPlaceholderFaults([&] { m_damages.SetDamageMethod(std::move(formula)); });
}

void TWeaponRanking::SetSpeedMethod(std::string formula)
{
    IgnoringPlaceholderFaults([&] { m_speed.SetSpeedMethod(std::move(formula)); });
}

void TWeaponRanking::SetRoundingMode(std::int32_t mode)
{
    IgnoringPlaceholderFaults([&] { m_damages.SetRoundingMode(mode); });
}

void TWeaponRanking::SetStats(const TWeaponDataAndPCData& stats)
{
    m_stats = stats;
    m_stats.Weapon = {};
}

void TWeaponRanking::Rank(const TWeaponTable& table, std::vector<TWeaponRank>& ranking)
{
    const std::span<const TWDataCSVTable> weapons =
        std::span(table.Slots()).subspan(std::min<std::size_t>(1, table.Slots().size()));
    const std::size_t count = weapons.size();

    m_averageInputs.resize(count);
    m_speeds.resize(count);
    m_delays.resize(count);
    m_hqAverages.resize(count);
    m_averages.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        m_averageInputs[i] = {weapons[i].AverageDamage, weapons[i].Type == "AXE"};
        m_speeds[i] = weapons[i].Speed;
    }

    m_damages.AverageDamages(m_stats, m_averageInputs, m_hqAverages, m_averages);
    TWeaponSpeedData character;
    character.DEX = m_stats.DEX;
    character.STR = m_stats.STR;
    character.INT = m_stats.INT;
    m_speed.DelaysAt(character, m_speeds, m_delays);

    // Spreads of another table are dropped rather than kept without bound.
    if (m_topProbabilities.size() > 2 * count + 1024)
        m_topProbabilities.clear();
    std::vector<TWeaponRank> rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        const TWDataCSVTable& weapon = weapons[i];
        TWeaponRank& row = rows[i];
        row.Slot = static_cast<int>(i) + 1;
        row.Name = weapon.Name;
        row.Type = weapon.Type;
        row.Speed = weapon.Speed;
        row.Delay = m_delays[i];
        row.Average = m_averages[i];
        row.HQAverage = m_hqAverages[i];
        if (row.Delay > 0)
            row.DamagePerSecond = row.Average / row.Delay;
        row.TopProbability = TopProbability(weapon);
        const TRaderChartData radar{RaderDamage(row.Average), row.TopProbability, weapon.Speed,
                                    weapon.Type};
        row.Overall = OverallPercent(ComputeRaderFactors(radar));
    }
    ranking = std::move(rows);
}

double TWeaponRanking::TopProbability(const TWDataCSVTable& weapon)
{
    const TDiceKey key{weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus};
    const auto [place, added] = m_topProbabilities.try_emplace(key, 0.0);
    if (added) {
        TDamageSpread spread;
        spread.SetDiceData(weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus);
        place->second = spread.HighProbability();
    }
    return place->second;
}

std::vector<TWeaponRank> TWeaponRanking::Rank(const TWeaponTable& table)
{
    std::vector<TWeaponRank> ranking;
    Rank(table, ranking);
    return ranking;
}
