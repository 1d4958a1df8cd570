#include "weapons/WeaponRanking.h"

#include "weapons/NumberFormat.h"
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

    m_weapons.resize(count);
    m_summaries.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        m_weapons[i] = SummaryWeaponOf(weapons[i]);
    m_setups.Summaries(std::span(&m_stats, 1), m_weapons, m_summaries);

    m_setups.TrimSpreads(count);
    std::vector<TWeaponRank> rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        const TWDataCSVTable& weapon = weapons[i];
        const TSetupSummary& summary = m_summaries[i];
        TWeaponRank& row = rows[i];
        row.Slot = static_cast<int>(i) + 1;
        row.Name = weapon.Name;
        row.Type = weapon.Type;
        row.Speed = weapon.Speed;
        row.Delay = summary.Delay;
        row.Average = summary.Average;
        row.HQAverage = summary.HQAverage;
        row.DamagePerSecond = summary.DamagePerSecond;
        row.TopProbability = m_setups.TopProbability(weapon);
        row.Overall = OverallPercent(m_setups.Rating(weapon, row.Average));
    }
    ranking = std::move(rows);
}

std::vector<TWeaponRank> TWeaponRanking::Rank(const TWeaponTable& table)
{
    std::vector<TWeaponRank> ranking;
    Rank(table, ranking);
    return ranking;
}
