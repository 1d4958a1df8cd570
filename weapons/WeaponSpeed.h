#pragma once

#include "expr/MathsParser.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What the main window hands to the swing-speed computation.
struct TWeaponSpeedData
{
    std::string Name;
    std::int32_t Speed = 1;
    std::int32_t DEX = 0;
    std::int32_t STR = 0;
    std::int32_t INT = 0;
};

// Consecutive DEX values sharing one delay. The range text goes to
// (Column, Row) and the delay text to (Column, Row + 1) of the speed grid.
struct TSpeedRange
{
    int From = 0;
    int To = 0;
    double Delay = 0;
    int Column = 0;
    int Row = 0;
};

inline constexpr const char* DefaultSpeedMethod = "(15000/((25+2.5*DEXR)*SPEED))";
inline constexpr int MaxDex = 200;

// The swing delay for every DEX value 0..200 from the user's speed formula,
// each rounded up to a half second, and those delays merged into ranges.
// Owned by the swing speed grid; each setter recomputes everything.
class TWeaponSpeed
{
public:
    TWeaponSpeed();

    const std::string& SpeedMethod() const { return m_speedMethod; }
    // Compiles the formula and recomputes; a rejected one raises and changes nothing.
    void SetSpeedMethod(std::string formula);
    const TWeaponSpeedData& WeaponSpeedData() const { return m_data; }
    void SetWeaponSpeedData(const TWeaponSpeedData& data);

    const std::array<double, MaxDex + 1>& Delays() const { return m_delays; }
    const std::vector<TSpeedRange>& Ranges() const { return m_ranges; }

    // The range holding `dex`; nothing when it lies outside 0..200.
    const TSpeedRange* RangeOf(std::int32_t dex) const;

    // How many more DEX points give a shorter delay than the one at `dex`, and
    // that delay: the first DEX above `dex`, up to 200, whose delay is shorter.
    // Nothing when none is, or when `dex` lies outside 0..200.
    struct TNextFasterSwing
    {
        std::int32_t MoreDex = 0;
        double Delay = 0;
    };
    std::optional<TNextFasterSwing> NextFasterSwing(std::int32_t dex) const;

    // The delay at the character's own DEX (any, not only 0..200) for many
    // weapon speeds at once, with the current formula and the STR, DEX and
    // INT of `character` (its name and speed are ignored): for a DEX of
    // 0..200, out[i] is what Delays()[DEX] would be after setting
    // `character` with speeds[i] as its speed. One batch; the table, the
    // ranges and the data stay as they are. On a fault it raises what the
    // first faulting speed raises, with `out` partly written.
    void DelaysAt(const TWeaponSpeedData& character, std::span<const double> speeds,
                  std::span<double> out);

    // The delays of `character` (its name ignored) for DEXR = from .. to,
    // the other variables as plain values: out[k] is what Delays()[from + k]
    // would be after setting `character`. One batch; the table, the ranges
    // and the data stay as they are. Raises like DelaysAt.
    void DelaysOver(const TWeaponSpeedData& character, std::int32_t from, std::int32_t to,
                    std::span<double> out);

    // One row of DelaysOf: the variables of the speed formula as numbers.
    struct TDelayRow
    {
        double Speed = 1;
        double STR = 0;
        double DEX = 0;
        double INT = 0;
        double DEXR = 0;
    };
    // Each row's delay, rounded up to a half second, in one batch at the
    // current formula; Delays()[n] is the row of the set data with DEXR n.
    // Raises like DelaysAt, with the table and ranges as they were.
    void DelaysOf(std::span<const TDelayRow> rows, std::span<double> out);

    // 3.2 -> 3.5, 3.5 -> 3.5, 3.7 -> 4.
    static double RoundUpToHalfSecond(double value);

    // The formula's variables, slot by slot.
    static const std::array<const char*, 8>& VariableNames();
    // A row's delay before rounding, evaluated as DelaysOf evaluates it, with
    // the values its variables held, slot by slot. Raises like DelaysOf.
    struct TUnrounded
    {
        std::array<double, 8> Variables{};
        double Value = 0;
    };
    TUnrounded Unrounded(const TDelayRow& row);

private:
    void Recompute();
    // DelaysOf before the rounding.
    void EvaluateRows(std::span<const TDelayRow> rows, std::span<double> out);

    std::string m_speedMethod;
    TWeaponSpeedData m_data;
    TMathsParser m_parser;
    std::array<double, MaxDex + 1> m_delays{};
    std::vector<TSpeedRange> m_ranges;
};
