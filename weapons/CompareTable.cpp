#include "weapons/CompareTable.h"

#include "weapons/NumberFormat.h"

#include <array>
#include <cmath>

namespace {

constexpr std::array<std::string_view, CompareRowCount> Keys = {
    "weapon",     "str",    "dex",     "int",        "tactics", "anatomy",
    "lumberjack", "hq_low", "hq_high", "hq_average", "average", "supreme_average",
    "delay",      "dps",    "top",     "overall"};

std::optional<TStat> InputOf(TCompareRow row)
{
    if (row >= TCompareRow::STR && row <= TCompareRow::Lumberjack)
        return AllStats[static_cast<std::size_t>(row) - static_cast<std::size_t>(TCompareRow::STR)];
    return std::nullopt;
}

bool IsInteger(TCompareRow row)
{
    return InputOf(row) || row == TCompareRow::Overall;
}

bool HasTwoDecimals(TCompareRow row)
{
    return row == TCompareRow::DamagePerSecond || row == TCompareRow::TopProbability;
}

std::string Format(double value, TCompareRow row)
{
    if (IsInteger(row))
        return std::to_string(static_cast<long long>(value));
    return HasTwoDecimals(row) ? FormatTwoDecimals(value) : FormatGeneral(value);
}

} // namespace

std::string_view CompareRowKey(TCompareRow row)
{
    return Keys.at(static_cast<std::size_t>(row));
}

std::optional<double> CompareValue(const TSetupFigures& figures, TCompareRow row)
{
    if (const std::optional<TStat> stat = InputOf(row))
        return StatOf(figures.Setup.Stats, *stat);
    switch (row) {
    case TCompareRow::HQLow:
        return figures.Damage.HQLow;
    case TCompareRow::HQHigh:
        return figures.Damage.HQHigh;
    case TCompareRow::HQAverage:
        return figures.Damage.HQAve;
    case TCompareRow::NormalAverage:
        return figures.NormalAverage();
    case TCompareRow::SupremeAverage:
        return figures.SupremeAverage();
    case TCompareRow::Delay:
        return figures.Delay;
    case TCompareRow::DamagePerSecond:
        return figures.DamagePerSecond;
    case TCompareRow::TopProbability:
        return figures.TopProbability;
    case TCompareRow::Overall:
        return figures.Overall;
    default:
        return std::nullopt;
    }
}

std::string CompareCellText(const TSetupFigures& figures, TCompareRow row)
{
    if (row == TCompareRow::Weapon)
        return figures.Setup.Weapon.Name;
    const std::optional<double> value = CompareValue(figures, row);
    return value ? Format(*value, row) : "-";
}

std::vector<bool> BestColumns(std::span<const TSetupFigures> columns, TCompareRow row)
{
    std::vector<bool> best(columns.size(), false);
    if (row == TCompareRow::Weapon || InputOf(row))
        return best;
    const bool lowest = row == TCompareRow::Delay;
    std::optional<double> top;
    for (const TSetupFigures& column : columns) {
        const std::optional<double> value = CompareValue(column, row);
        if (value && !std::isnan(*value) && (!top || (lowest ? *value < *top : *value > *top)))
            top = value;
    }
    for (std::size_t i = 0; i < columns.size(); ++i)
        best[i] = top && CompareValue(columns[i], row) == top;
    return best;
}

std::string CompareDifferenceText(const TSetupFigures& first, const TSetupFigures& column,
                                  TCompareRow row)
{
    const std::optional<double> a = CompareValue(first, row), b = CompareValue(column, row);
    if (row == TCompareRow::Weapon || !a || !b)
        return {};
    const double difference = *b - *a;
    std::string text = Format(difference, row);
    // A difference that rounds to nothing in its own format reads as none.
    if (text.find_first_not_of("0.-") == std::string::npos)
        return Format(0.0, row);
    return difference > 0 ? "+" + text : text;
}

std::string SetupLabel(const TSetup& setup)
{
    std::string label = setup.Weapon.Name + " · STR " + std::to_string(setup.Stats.STR) + " DEX " +
                        std::to_string(setup.Stats.DEX);
    for (const TStat stat : {TStat::INT, TStat::Tactics, TStat::Anatomy, TStat::Lumberjack})
        if (StatOf(setup.Stats, stat) != 100)
            label.append(" ")
                .append(StatName(stat))
                .append(" ")
                .append(std::to_string(StatOf(setup.Stats, stat)));
    return label;
}
