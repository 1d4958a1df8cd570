#pragma once

#include "weapons/SetupFigures.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The rows of the table that sets setups side by side, top to bottom.
enum class TCompareRow
{
    Weapon,
    STR,
    DEX,
    INT,
    Tactics,
    Anatomy,
    Lumberjack,
    HQLow,
    HQHigh,
    HQAverage,
    NormalAverage,
    SupremeAverage,
    Delay,
    DamagePerSecond,
    TopProbability,
    Overall,
};

inline constexpr int CompareRowCount = 16;

// The command line's key of a row ("weapon", "str", "hq_low", "dps", ...).
std::string_view CompareRowKey(TCompareRow row);

// The number a row holds for a setup; nothing for the weapon and for a
// missing damage per second.
std::optional<double> CompareValue(const TSetupFigures& figures, TCompareRow row);

// What a cell shows: the weapon's name, inputs and overall as integers,
// damage per second and top probability with two decimals ("-" when
// missing), the others in the general format, as the other pages show them.
std::string CompareCellText(const TSetupFigures& figures, TCompareRow row);

// Which columns hold the row's best figure: the shortest delay, the highest
// of every other figure; ties are all best. The weapon and the six inputs
// are choices, not results, and have none.
std::vector<bool> BestColumns(std::span<const TSetupFigures> columns, TCompareRow row);

// `column` against `first` in the cell's own format with its sign: "+1.33",
// "-2", "0"; empty for the weapon and where either figure is missing.
std::string CompareDifferenceText(const TSetupFigures& first, const TSetupFigures& column,
                                  TCompareRow row);

// A setup in a few words: "Katana · STR 100 DEX 25", followed by each other
// input that is not 100.
std::string SetupLabel(const TSetup& setup);
