#include "weapons/WeaponSpeed.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

enum TSlot : std::size_t
{
    SlotSTR,
    SlotSPEED,
    SlotDEXR,
    SlotD,
    SlotE,
    SlotF,
    SlotDEX,
    SlotINT,
};

constexpr std::array<double, MaxDex + 1> DexValues = [] {
    std::array<double, MaxDex + 1> values{};
    for (std::size_t n = 0; n < values.size(); ++n)
        values[n] = static_cast<double>(n);
    return values;
}();

// The formula may be set again later without new data, so the character's
// variables get their values back whatever a batch for another one does.
struct TRestoredVariables
{
    TMathsParser& Parser;
    std::array<double, 5> Saved{Parser.Var(SlotSTR), Parser.Var(SlotDEX), Parser.Var(SlotINT),
                                Parser.Var(SlotSPEED), Parser.Var(SlotDEXR)};
    ~TRestoredVariables()
    {
        Parser.SetVar(SlotSTR, Saved[0]);
        Parser.SetVar(SlotDEX, Saved[1]);
        Parser.SetVar(SlotINT, Saved[2]);
        Parser.SetVar(SlotSPEED, Saved[3]);
        Parser.SetVar(SlotDEXR, Saved[4]);
    }
};

// The grid starts a new pair of rows after column 7.
constexpr int LastColumn = 7;

} // namespace

TWeaponSpeed::TWeaponSpeed()
{
    for (std::size_t i = 0; i < VariableNames().size(); ++i)
        m_parser.SetVarName(i, VariableNames()[i]);
    for (const TSlot slot : {SlotSTR, SlotSPEED, SlotDEX, SlotINT})
        m_parser.SetVar(slot, 1);
    m_speedMethod = "1*1";
    m_parser.SetExpression(m_speedMethod);
    // One range per DEX value at most, so a refresh never allocates.
    m_ranges.reserve(MaxDex + 1);
    Recompute();
}

void TWeaponSpeed::SetSpeedMethod(std::string formula)
{
    m_parser.SetExpression(formula);
    m_speedMethod = std::move(formula);
    Recompute();
}

void TWeaponSpeed::SetWeaponSpeedData(const TWeaponSpeedData& data)
{
    m_data = data;
    m_parser.SetVar(SlotSTR, data.STR);
    m_parser.SetVar(SlotSPEED, data.Speed);
    m_parser.SetVar(SlotDEX, data.DEX);
    m_parser.SetVar(SlotINT, data.INT);
    Recompute();
}

// The fraction keeps the sign of the value, so a negative delay is cut
// toward zero (-3.2 and -3.7 both give -3).
double TWeaponSpeed::RoundUpToHalfSecond(double value)
{
    // The whole part through a 64-bit integer, exact below 2^52 (where every
    // double has a fraction to lose), with the sign of zero kept: the same
    // split as modf without a library call per DEX value.
    const double whole =
        std::fabs(value) < 0x1p52
            ? std::copysign(static_cast<double>(static_cast<std::int64_t>(value)), value)
            : value;
    const double fraction = value - whole;
    // Counted, not branched on: the fractions of 201 delays follow no pattern a
    // branch predictor could learn. A step of zero carries the sign of the
    // whole part, so that -0 stays -0.
    const int halves = static_cast<int>(fraction > 0) + static_cast<int>(fraction > 0.5);
    return whole + std::copysign(0.5 * halves, whole);
}

// The delays are evaluated into a scratch table first, so a formula that
// raises for some DEX leaves the previous table and ranges as they were. All
// 201 rows go through the evaluator as one batch.
void TWeaponSpeed::Recompute()
{
    TMathsParser::TColumns columns{};
    columns[SlotDEXR] = DexValues.data();
    std::array<double, MaxDex + 1> delays;
    m_parser.ValueBatch(columns, delays.size(), delays.data());
    for (double& delay : delays)
        delay = RoundUpToHalfSecond(delay);
    m_delays = delays;

    m_ranges.clear();
    int start = 0, column = 1, row = 0;
    for (int n = 0; n <= MaxDex; ++n) {
        const auto i = static_cast<std::size_t>(n);
        if (n < MaxDex && m_delays[i] == m_delays[i + 1])
            continue;
        if (column > LastColumn) {
            column = 0;
            row += 2;
        }
        m_ranges.push_back({start, n, m_delays[i], column, row});
        start = n + 1;
        ++column;
    }
}

const TSpeedRange* TWeaponSpeed::RangeOf(std::int32_t dex) const
{
    for (const TSpeedRange& range : m_ranges)
        if (range.From <= dex && dex <= range.To)
            return &range;
    return nullptr;
}

// A formula need not fall with DEX, so the delays are searched one by one
// rather than taken from the next range.
std::optional<TWeaponSpeed::TNextFasterSwing> TWeaponSpeed::NextFasterSwing(std::int32_t dex) const
{
    if (dex < 0 || dex > MaxDex)
        return std::nullopt;
    const double current = m_delays[static_cast<std::size_t>(dex)];
    for (std::int32_t n = dex + 1; n <= MaxDex; ++n)
        if (const double delay = m_delays[static_cast<std::size_t>(n)]; delay < current)
            return TNextFasterSwing{n - dex, delay};
    return std::nullopt;
}

void TWeaponSpeed::DelaysAt(const TWeaponSpeedData& character, std::span<const double> speeds,
                            std::span<double> out)
{
    TRestoredVariables restore{m_parser};
    const std::size_t count = std::min(speeds.size(), out.size());
    m_parser.SetVar(SlotSTR, character.STR);
    m_parser.SetVar(SlotDEX, character.DEX);
    m_parser.SetVar(SlotINT, character.INT);
    // "DEXR" reaches the table only as a column, so this value stays unseen.
    m_parser.SetVar(SlotDEXR, character.DEX);
    TMathsParser::TColumns columns{};
    columns[SlotSPEED] = speeds.data();
    m_parser.ValueBatch(columns, count, out.data());
    for (std::size_t i = 0; i < count; ++i)
        out[i] = RoundUpToHalfSecond(out[i]);
}

void TWeaponSpeed::DelaysOver(const TWeaponSpeedData& character, std::int32_t from, std::int32_t to,
                              std::span<double> out)
{
    if (to < from)
        return;
    TRestoredVariables restore{m_parser};
    const auto count = std::min(out.size(), static_cast<std::size_t>(to - from) + 1);
    m_parser.SetVar(SlotSTR, character.STR);
    m_parser.SetVar(SlotDEX, character.DEX);
    m_parser.SetVar(SlotINT, character.INT);
    m_parser.SetVar(SlotSPEED, character.Speed);
    TMathsParser::TColumns columns{};
    // Within the grid's range the grid's own column serves; outside it, one
    // DEXR at a time.
    if (from >= 0 && to <= MaxDex) {
        columns[SlotDEXR] = DexValues.data() + from;
        m_parser.ValueBatch(columns, count, out.data());
    } else {
        for (std::size_t k = 0; k < count; ++k) {
            m_parser.SetVar(SlotDEXR, static_cast<double>(from) + static_cast<double>(k));
            m_parser.ValueBatch(columns, 1, out.data() + k);
        }
    }
    for (std::size_t k = 0; k < count; ++k)
        out[k] = RoundUpToHalfSecond(out[k]);
}

const std::array<const char*, 8>& TWeaponSpeed::VariableNames()
{
    static constexpr std::array<const char*, 8> Names = {"STR", "SPEED", "DEXR", "d",
                                                         "e",   "f",     "DEX",  "INT"};
    return Names;
}

void TWeaponSpeed::DelaysOf(std::span<const TDelayRow> rows, std::span<double> out)
{
    EvaluateRows(rows, out);
    for (std::size_t i = 0; i < std::min(rows.size(), out.size()); ++i)
        out[i] = RoundUpToHalfSecond(out[i]);
}

TWeaponSpeed::TUnrounded TWeaponSpeed::Unrounded(const TDelayRow& row)
{
    TUnrounded result;
    EvaluateRows(std::span(&row, 1), std::span(&result.Value, 1));
    for (std::size_t slot = 0; slot < result.Variables.size(); ++slot)
        result.Variables[slot] = m_parser.Var(slot);
    result.Variables[SlotSTR] = row.STR;
    result.Variables[SlotSPEED] = row.Speed;
    result.Variables[SlotDEXR] = row.DEXR;
    result.Variables[SlotDEX] = row.DEX;
    result.Variables[SlotINT] = row.INT;
    return result;
}

void TWeaponSpeed::EvaluateRows(std::span<const TDelayRow> rows, std::span<double> out)
{
    const std::size_t count = std::min(rows.size(), out.size());
    std::array<std::array<double, TMathsParser::BatchRows>, 5> columns;
    TMathsParser::TColumns pointers{};
    const std::array<TSlot, 5> slots = {SlotSPEED, SlotSTR, SlotDEX, SlotINT, SlotDEXR};
    for (std::size_t k = 0; k < slots.size(); ++k)
        pointers[slots[k]] = columns[k].data();
    for (std::size_t first = 0; first < count; first += TMathsParser::BatchRows) {
        const std::size_t n = std::min(TMathsParser::BatchRows, count - first);
        for (std::size_t i = 0; i < n; ++i) {
            const TDelayRow& row = rows[first + i];
            columns[0][i] = row.Speed;
            columns[1][i] = row.STR;
            columns[2][i] = row.DEX;
            columns[3][i] = row.INT;
            columns[4][i] = row.DEXR;
        }
        m_parser.ValueBatch(pointers, n, out.data() + first);
    }
}
