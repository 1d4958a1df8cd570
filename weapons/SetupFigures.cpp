#include "weapons/SetupFigures.h"

#include "expr/Exception.h"
#include "weapons/RaderGeometry.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <utility>

namespace {

constexpr std::array<std::string_view, StatCount> StatNames = {"STR",     "DEX",     "INT",
                                                               "Tactics", "Anatomy", "Lumberjack"};

// The bars of this many sets of dice are kept; a compare page needs seven.
constexpr std::size_t KeptSpreads = 256;

// Each setter of the calculator and the speed computation also recomputes
// their own placeholder weapon and character (all zero, speed 1), which no
// setup uses. A fault there (Damage/STR with STR 0) is no fault of the
// settings for real setups: the setting is taken before the recomputation,
// and the setups evaluate it and raise what they meet. A rejected formula is
// no EMathError and still raises.
template <typename TStep> void IgnoringPlaceholderFaults(TStep step)
{
    try {
        step();
    } catch (const EMathError&) {
    }
}

std::optional<double> DamagePerSecond(double average, double delay)
{
    if (delay > 0)
        return average / delay;
    return std::nullopt;
}

// The speed grid's rows DEX + 1 .. 200 are searched in batches that double
// in length: the next faster swing of most formulas and characters lies a
// few DEX away, and one far away costs a few batches more.
constexpr std::int32_t FirstSearchRows = 8;

} // namespace

std::string_view StatName(TStat stat)
{
    return StatNames.at(static_cast<std::size_t>(stat));
}

std::optional<TStat> StatFromName(std::string_view name)
{
    for (const TStat stat : AllStats) {
        const std::string_view known = StatName(stat);
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return stat;
    }
    return std::nullopt;
}

std::int32_t StatOf(const TWeaponDataAndPCData& stats, TStat stat)
{
    switch (stat) {
    case TStat::STR:
        return stats.STR;
    case TStat::DEX:
        return stats.DEX;
    case TStat::INT:
        return stats.INT;
    case TStat::Tactics:
        return stats.Tactics;
    case TStat::Anatomy:
        return stats.Anatomy;
    case TStat::Lumberjack:
        return stats.Lumberjack;
    }
    return 0;
}

void SetDamageInput(TWeaponDataAndPCData& input, const TSetup& setup)
{
    input = setup.Stats;
    input.Weapon = {setup.Weapon.HighDamage,
                    setup.Weapon.LowDamage,
                    setup.Weapon.AverageDamage,
                    setup.Weapon.Type,
                    {}};
}

void SetStat(TWeaponDataAndPCData& stats, TStat stat, std::int32_t value)
{
    switch (stat) {
    case TStat::STR:
        stats.STR = value;
        break;
    case TStat::DEX:
        stats.DEX = value;
        break;
    case TStat::INT:
        stats.INT = value;
        break;
    case TStat::Tactics:
        stats.Tactics = value;
        break;
    case TStat::Anatomy:
        stats.Anatomy = value;
        break;
    case TStat::Lumberjack:
        stats.Lumberjack = value;
        break;
    }
}

std::int32_t StatMaximum(TStat stat)
{
    return stat == TStat::STR || stat == TStat::DEX || stat == TStat::INT ? StatSweepEnd : 100;
}

std::string SetupKeyText(const TSetupKey& key)
{
    std::string text = key.WeaponName;
    for (const TStat stat : AllStats)
        text.append(stat == TStat::STR ? "@" : ",").append(std::to_string(StatOf(key.Stats, stat)));
    return text;
}

std::optional<TSetupKey> ParseSetupKey(std::string_view text)
{
    const std::size_t at = text.rfind('@');
    if (at == std::string_view::npos || at == 0)
        return std::nullopt;
    TSetupKey key{std::string(text.substr(0, at)), {}};
    std::string_view inputs = text.substr(at + 1);
    for (const TStat stat : AllStats) {
        const std::size_t comma = inputs.find(',');
        const std::string_view piece = inputs.substr(0, comma);
        std::int32_t value = 0;
        const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
        if (piece.empty() || error != std::errc() || end != piece.data() + piece.size() ||
            value < 0 || (StatMaximum(stat) == 100 && value > 100))
            return std::nullopt;
        SetStat(key.Stats, stat, value);
        // The last input ends the text; any other is followed by a comma.
        if ((stat == TStat::Lumberjack) != (comma == std::string_view::npos))
            return std::nullopt;
        inputs.remove_prefix(comma == std::string_view::npos ? inputs.size() : comma + 1);
    }
    return key;
}

TSummaryWeapon SummaryWeaponOf(const TWDataCSVTable& weapon)
{
    return {weapon.AverageDamage, weapon.Type == "AXE", static_cast<double>(weapon.Speed)};
}

std::optional<double> TStatGain::DamagePerSecondGain() const
{
    if (Before.DamagePerSecond && After.DamagePerSecond)
        return *After.DamagePerSecond - *Before.DamagePerSecond;
    return std::nullopt;
}

TSetupCalculator::TSetupCalculator() : m_damages(TWeaponDataAndPCData{})
{
    m_damages.SetDamageMethod(DefaultDamageMethod);
    m_damages.SetRoundingMode(RoundUp);
    m_speed.SetSpeedMethod(DefaultSpeedMethod);
}

void TSetupCalculator::SetDamageMethod(std::string formula)
{
    IgnoringPlaceholderFaults([&] { m_damages.SetDamageMethod(std::move(formula)); });
}

void TSetupCalculator::SetSpeedMethod(std::string formula)
{
    IgnoringPlaceholderFaults([&] { m_speed.SetSpeedMethod(std::move(formula)); });
}

void TSetupCalculator::SetRoundingMode(std::int32_t mode)
{
    IgnoringPlaceholderFaults([&] { m_damages.SetRoundingMode(mode); });
}

const TSetupCalculator::TSpreadFigures& TSetupCalculator::Spread(const TWDataCSVTable& weapon)
{
    const TDiceKey key{weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus};
    if (const auto kept = m_spreads.find(key); kept != m_spreads.end())
        return kept->second;
    if (m_spreads.size() >= KeptSpreads)
        m_spreads.clear();
    TDamageSpread spread;
    spread.SetDiceData(weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus);
    m_topProbabilities[key] = spread.HighProbability();
    return m_spreads[key] = {spread.Bars(), spread.HighProbability()};
}

double TSetupCalculator::TopProbability(const TWDataCSVTable& weapon)
{
    const TDiceKey key{weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus};
    if (const auto kept = m_topProbabilities.find(key); kept != m_topProbabilities.end())
        return kept->second;
    TDamageSpread spread;
    spread.SetDiceData(weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus);
    return m_topProbabilities[key] = spread.HighProbability();
}

void TSetupCalculator::TrimSpreads(std::size_t weapons)
{
    if (m_topProbabilities.size() > 2 * weapons + 1024)
        m_topProbabilities.clear();
}

TRaderFactors TSetupCalculator::Rating(const TWDataCSVTable& weapon, double average)
{
    const TRaderChartData radar{RaderDamage(average), TopProbability(weapon), weapon.Speed,
                                weapon.Type};
    return ComputeRaderFactors(radar);
}

// The figures are made in scratch that then trades places with `out`, so a
// fault leaves `out` as it was and a caller that passes the same vector
// each time gets its figures without allocating or clearing anything.
void TSetupCalculator::Figures(std::span<const TSetup> setups, std::vector<TSetupFigures>& out)
{
    const std::size_t count = setups.size();
    m_damageSetups.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        SetDamageInput(m_damageSetups[i], setups[i]);
    }
    m_damageFigures.resize(count);
    m_damages.Figures(m_damageSetups, m_damageFigures);

    m_figures.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        TSetupFigures& f = m_figures[i];
        f.Setup = setups[i];
        f.Damage = m_damageFigures[i];
        f.NextFasterSwing.reset();
        DelayAndNextSwing(f);
        f.DamagePerSecond = DamagePerSecond(f.NormalAverage(), f.Delay);
        const TSpreadFigures& spread = Spread(f.Setup.Weapon);
        f.Bars = spread.Bars;
        f.TopProbability = spread.TopProbability;
        f.Factors = Rating(f.Setup.Weapon, f.NormalAverage());
        f.Overall = OverallPercent(f.Factors);
    }
    std::swap(out, m_figures);
}

// The delay at the character's DEX is the grid's row at that DEX, or the
// formula at that DEXR beyond the grid; the next faster swing is searched
// as the grid searches it.
void TSetupCalculator::DelayAndNextSwing(TSetupFigures& figures)
{
    const TSetup& setup = figures.Setup;
    const std::int32_t dex = setup.Stats.DEX;
    const TWeaponSpeedData character{{}, setup.Weapon.Speed, dex, setup.Stats.STR, setup.Stats.INT};
    std::array<double, MaxDex + 1> delays;
    if (dex < 0 || dex >= MaxDex) {
        m_speed.DelaysOver(character, dex, dex, delays);
        figures.Delay = delays[0];
        return;
    }
    std::int32_t from = dex;
    for (std::int32_t rows = FirstSearchRows;; rows *= 2) {
        const std::int32_t to = std::min(MaxDex, from + rows);
        m_speed.DelaysOver(character, from, to, delays);
        if (from == dex)
            figures.Delay = delays[0];
        for (std::int32_t n = std::max(from, dex + 1); n <= to; ++n)
            if (const double delay = delays[static_cast<std::size_t>(n - from)];
                delay < figures.Delay) {
                figures.NextFasterSwing = TWeaponSpeed::TNextFasterSwing{n - dex, delay};
                return;
            }
        if (to == MaxDex)
            return;
        from = to + 1;
    }
}

std::vector<TSetupFigures> TSetupCalculator::Figures(std::span<const TSetup> setups)
{
    std::vector<TSetupFigures> figures;
    Figures(setups, figures);
    return figures;
}

void TSetupCalculator::Summaries(std::span<const TWeaponDataAndPCData> stats,
                                 std::span<const TSummaryWeapon> weapons,
                                 std::span<TSetupSummary> out)
{
    const std::size_t count = std::min(weapons.size(), out.size());
    if (stats.empty() || count == 0)
        return;
    m_averageInputs.resize(count);
    m_hqAverages.resize(count);
    m_averages.resize(count);
    m_delays.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        m_averageInputs[i] = {weapons[i].AverageDamage, weapons[i].Axe};
    m_damages.AverageDamages(stats, m_averageInputs, m_hqAverages, m_averages);

    if (stats.size() == 1) {
        // One character for a whole table: only the speed changes by row.
        m_speeds.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            m_speeds[i] = weapons[i].Speed;
        TWeaponSpeedData character;
        character.STR = stats[0].STR;
        character.DEX = stats[0].DEX;
        character.INT = stats[0].INT;
        m_speed.DelaysAt(character, m_speeds, m_delays);
    } else {
        m_delayRows.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            m_delayRows[i] = {weapons[i].Speed, static_cast<double>(stats[i].STR),
                              static_cast<double>(stats[i].DEX), static_cast<double>(stats[i].INT),
                              static_cast<double>(stats[i].DEX)};
        m_speed.DelaysOf(m_delayRows, m_delays);
    }

    for (std::size_t i = 0; i < count; ++i)
        out[i] = {m_hqAverages[i], m_averages[i], m_delays[i],
                  DamagePerSecond(m_averages[i], m_delays[i])};
}

std::vector<TSetupSummary> TSetupCalculator::Sweep(const TSetup& setup, TStat stat,
                                                   std::span<const std::int32_t> values)
{
    std::vector<TWeaponDataAndPCData> stats(values.size(), setup.Stats);
    for (std::size_t i = 0; i < values.size(); ++i)
        SetStat(stats[i], stat, values[i]);
    const std::vector<TSummaryWeapon> weapons(values.size(), SummaryWeaponOf(setup.Weapon));
    std::vector<TSetupSummary> points(values.size());
    Summaries(stats, weapons, points);
    return points;
}

std::vector<TStatGain> TSetupCalculator::Gains(const TSetup& setup)
{
    std::vector<TStatGain> gains;
    for (const TStat stat : AllStats) {
        const std::int32_t from = StatOf(setup.Stats, stat);
        const std::int32_t maximum = StatMaximum(stat);
        if (from >= maximum)
            continue;
        std::int32_t last = from;
        for (const auto& [step, by] : {std::pair{TGainStep::One, 1}, std::pair{TGainStep::Ten, 10},
                                       std::pair{TGainStep::ToMaximum, maximum - from}}) {
            // A step past the end stops at it, and one that lands where the
            // last did adds nothing.
            const std::int32_t to = from + std::min(by, maximum - from);
            if (to == last)
                continue;
            gains.push_back({stat, step, from, to, {}, {}});
            last = to;
        }
    }

    std::vector<TWeaponDataAndPCData> stats(1 + gains.size(), setup.Stats);
    for (std::size_t i = 0; i < gains.size(); ++i)
        SetStat(stats[i + 1], gains[i].Stat, gains[i].To);
    const std::vector<TSummaryWeapon> weapons(stats.size(), SummaryWeaponOf(setup.Weapon));
    std::vector<TSetupSummary> summaries(stats.size());
    Summaries(stats, weapons, summaries);
    for (std::size_t i = 0; i < gains.size(); ++i) {
        gains[i].Before = summaries[0];
        gains[i].After = summaries[i + 1];
    }

    std::stable_sort(gains.begin(), gains.end(), [](const TStatGain& a, const TStatGain& b) {
        const std::optional<double> x = a.DamagePerSecondGain(), y = b.DamagePerSecondGain();
        if (x.has_value() != y.has_value())
            return x.has_value();
        return x && *x > *y;
    });
    return gains;
}
