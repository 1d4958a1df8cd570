#pragma once

#include "expr/Exception.h"
#include "weapons/SetupFigures.h"
#include "weapons/SetupText.h"
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
// Exception for the caller to report, a fault placed in the one formula a
// step compiles or evaluates as EFormulaFault.

// A fault of a formula the user gave, placed in that formula, so that the
// report can point into it. Keeps the class name, text and position of the
// fault it stands for.
class EFormulaFault : public Exception
{
public:
    EFormulaFault(const Exception& fault, std::string formula)
        : Exception(fault.what(), fault.Position()), m_className(fault.ClassName()),
          m_formula(std::move(formula))
    {
    }
    const char* ClassName() const noexcept override { return m_className; }
    const std::string& Formula() const noexcept { return m_formula; }

private:
    // Class names are literals, which outlive every exception.
    const char* m_className;
    std::string m_formula;
};

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
    // How the three HQ figures and the Normal/Normal average were reached.
    bool Explain = false;
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

enum class TTableFormat
{
    Text,
    Csv,
    Json,
};

// --formula, --speed-formula and --rounding of the commands that compute
// whole setups.
struct TFormulaChoice
{
    std::string DamageFormula = DefaultDamageMethod;
    std::string SpeedFormula = DefaultSpeedMethod;
    std::int32_t Rounding = RoundUp;
};

struct TRankRequest
{
    std::string WeaponsFile;
    // STR, DEX, INT, Tactics, Anatomy, Lumberjack.
    std::vector<std::int32_t> Stats;
    TFormulaChoice Formulas;
    TRankColumn Sort = TRankColumn::DamagePerSecond;
    TTableFormat Format = TTableFormat::Text;
};

// A weapon of the table by its name, with a character's six inputs.
struct TSetupChoice
{
    // The argument as typed, to name the setup in a complaint.
    std::string Text;
    std::string WeaponName;
    TWeaponDataAndPCData Stats;
};

struct TCompareRequest
{
    std::string WeaponsFile;
    // Two to six, one column each, the first the one the others are set against.
    std::vector<TSetupChoice> Setups;
    TFormulaChoice Formulas;
    TTableFormat Format = TTableFormat::Text;
};

struct TGainsRequest
{
    TWeaponChoice Weapon;
    // STR, DEX, INT, Tactics, Anatomy, Lumberjack, held to what a setup may hold.
    std::vector<std::int32_t> Stats;
    TFormulaChoice Formulas;
    TTableFormat Format = TTableFormat::Text;
};

struct TSweepRequest
{
    std::string WeaponsFile;
    // One to six; each setup's own value of Stat is replaced by the sweep's.
    std::vector<TSetupChoice> Setups;
    TStat Stat = TStat::STR;
    // From, From + Step, ... as long as the value does not pass To.
    std::int32_t From = 0;
    std::int32_t To = StatSweepEnd;
    std::int32_t Step = 1;
    TFormulaChoice Formulas;
    TTableFormat Format = TTableFormat::Text;
};

// A setup text for --setup of damage, speed and rank.
struct TSetupTextRequest
{
    // Empty: the weapon is not looked up.
    std::string WeaponsFile;
    std::string WeaponName;
    // STR, DEX, INT, Tactics, Anatomy, Lumberjack.
    std::vector<std::int32_t> Stats;
    TFormulaChoice Formulas;
};

// The column of a --sort key; an unknown key is an EArgumentError that
// lists the known ones.
TRankColumn ParseRankColumn(std::string_view key);

// --setup NAME@STR,DEX,INT,Tactics,Anatomy,Lumberjack, split at the last '@'
// so that a name may hold one. A malformed setup is an EArgumentError that
// quotes it, as is an input CheckSetupStats refuses.
TSetupChoice ParseSetup(std::string_view text);
// No input below 0 and no skill above 100; `what` starts the complaint.
void CheckSetupStats(const TWeaponDataAndPCData& stats, std::string_view what);
// STR, DEX, INT, Tactics, Anatomy or Lumberjack in any letter case; an
// unknown name is an EArgumentError that lists the known ones.
TStat ParseStat(std::string_view name);

// --setup TEXT of damage, speed and rank: a text ParseSetupText refuses is
// an EArgumentError quoting it with a caret under the fault, and a formula
// that does not compile raises the evaluator's exception.
TSetupText ReadSetupText(const std::string& text);
// The six inputs of a setup text in the order --stats takes them.
std::vector<std::int32_t> SetupTextStats(const TSetupText& setup);

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
// The compare table of 2 to 6 setups: a row per figure, a column per setup,
// each column after the first with its difference to the first, the best of
// each row marked. Nothing is written unless every setup could be computed.
void RunCompare(const TCompareRequest& request, std::ostream& out);
// What raising each input by 1, by 10 and to its end brings, best first, and
// how much more DEX the next faster swing needs.
void RunGains(const TGainsRequest& request, std::ostream& out);
// Damage per second and Normal/Normal average of each setup at every value
// of one input. Computed in blocks, so a long range is never held whole, and
// once before anything is written, so a fault anywhere leaves no output.
void RunSweep(const TSweepRequest& request, std::ostream& out);
// The setup text of a weapon, six inputs, formulas and rounding, each
// checked as --setup would check it, the weapon in its table when one is named.
void RunSetupText(const TSetupTextRequest& request, std::ostream& out);

// 17 significant digits, enough to give back the exact double; a negative
// zero is written as "0".
std::string FormatExact(double value);
