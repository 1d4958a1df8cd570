#pragma once

#include "weapons/WeaponD.h"
#include "weapons/WeaponRanking.h"
#include "weapons/WeaponSpeed.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// The commands after their arguments have been read and checked. Each writes
// its answer to `out`; failures of the core (a rejected formula, an
// evaluation fault, a bad weapons file) and unusable arguments propagate as
// Exception for the caller to report.

struct TEvalRequest
{
    // Empty: the evaluator's own names. Otherwise up to 8, filling the
    // first slots; the slots not named, or named empty, cannot be used.
    std::vector<std::string> Names;
    std::vector<double> Values;
    std::string Formula;
};

// Where a weapon comes from when it is named instead of described.
struct TWeaponChoice
{
    std::string File;
    std::string Name;
};

struct TDamageRequest
{
    double Low = 0;
    double High = 0;
    double Average = 0;
    std::string Type;
    // When File is set the damages and type above come from the table.
    TWeaponChoice Weapon;
    // STR, DEX, INT, Tactics, Anatomy, Lumberjack.
    std::vector<std::int32_t> Stats;
    std::string Formula = DefaultDamageMethod;
    std::int32_t Rounding = RoundUp;
    bool Json = false;
};

struct TSpeedRequest
{
    std::int32_t Speed = 1;
    TWeaponChoice Weapon;
    // STR, DEX, INT.
    std::vector<std::int32_t> Stats;
    std::string Formula = DefaultSpeedMethod;
    bool Json = false;
};

struct TSpreadRequest
{
    std::int32_t Dice = 0;
    std::int32_t Sides = 0;
    std::int32_t Bonus = 0;
    bool Json = false;
};

struct TRadarRequest
{
    std::int32_t Damage = 0;
    double TopProbability = 0;
    std::int32_t Speed = 0;
    std::string Type;
    bool Json = false;
};

struct TWeaponsRequest
{
    std::string File;
    bool Json = false;
};

enum class TRankFormat
{
    Text,
    Csv,
    Json,
};

struct TRankRequest
{
    std::string WeaponsFile;
    // STR, DEX, INT, Tactics, Anatomy, Lumberjack.
    std::vector<std::int32_t> Stats;
    std::string DamageFormula = DefaultDamageMethod;
    std::string SpeedFormula = DefaultSpeedMethod;
    std::int32_t Rounding = RoundUp;
    TRankColumn Sort = TRankColumn::DamagePerSecond;
    TRankFormat Format = TRankFormat::Text;
};

// The column of a --sort key; an unknown key is an EArgumentError that
// lists the known ones.
TRankColumn ParseRankColumn(std::string_view key);

void RunEval(const TEvalRequest& request, std::ostream& out);
void RunDamage(const TDamageRequest& request, std::ostream& out);
void RunSpeed(const TSpeedRequest& request, std::ostream& out);
void RunSpread(const TSpreadRequest& request, std::ostream& out);
void RunRadar(const TRadarRequest& request, std::ostream& out);
// A table that cannot be read fails like any command; with --json the
// answer is still written first, the failure in its "message".
void RunWeapons(const TWeaponsRequest& request, std::ostream& out);
// Nothing is written unless the whole table could be ranked.
void RunRank(const TRankRequest& request, std::ostream& out);

// 17 significant digits, enough to give back the exact double; a negative
// zero is written as "0".
std::string FormatExact(double value);
