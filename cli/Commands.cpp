#include "cli/Commands.h"

#include "cli/Arguments.h"
#include "cli/TextLayout.h"
#include "expr/MathsParser.h"
#include "weapons/CompareTable.h"
#include "weapons/DamageSpread.h"
#include "weapons/FileKind.h"
#include "weapons/NumberFormat.h"
#include "weapons/RaderChartData.h"
#include "weapons/TextEncoding.h"
#include "weapons/WeaponTable.h"
#include "weapons/Working.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>

namespace {

using Json = nlohmann::ordered_json;

// Text from a weapons file or the command line need not be valid UTF-8; a
// stray byte must not cost the whole answer.
std::string Dumped(const Json& json)
{
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void WriteJson(std::ostream& out, const Json& json)
{
    out << Dumped(json) << '\n';
}

// A long list is written element by element, as the one document dumped
// whole would read, instead of being built whole first. Its elements share
// their keys: one object is made and only its values are replaced, so a
// million elements cost no million objects.
class TJsonArrayWriter
{
public:
    explicit TJsonArrayWriter(std::ostream& out) : m_out(out) { m_out << '['; }
    void Add(const Json& element)
    {
        if (!m_empty)
            m_out << ',';
        m_empty = false;
        m_out << Dumped(element);
    }
    void Close() { m_out << ']'; }

private:
    std::ostream& m_out;
    bool m_empty = true;
};

// Assigning a std::string would make the value a new string; this keeps its storage.
void SetText(Json& value, const std::string& text)
{
    if (value.is_string())
        value.get_ref<Json::string_t&>() = text;
    else
        value = text;
}

// A directory, FIFO or device is refused by what it is before anything
// opens it: opening a FIFO would wait for a writer that may never come.
// Returns Regular or Missing.
TFileKind CheckWeaponsFileKind(const std::string& file)
{
    const TFileKind kind = FileKindOf(file);
    if (kind != TFileKind::Regular && kind != TFileKind::Missing)
        throw EArgumentError("The weapons file is " + std::string(FileKindText(kind)) + ": " +
                             file);
    return kind;
}

// Unlike the weapons command, a command that needs a weapon cannot go on
// without the file, so its absence is an error of the arguments.
void LoadWeapons(const std::string& file, TWeaponTable& table)
{
    if (CheckWeaponsFileKind(file) == TFileKind::Missing)
        throw EArgumentError("The weapons file does not exist: " + file);
    table.LoadFromFile(file);
}

const TWDataCSVTable* WeaponNamed(const TWeaponTable& table, const std::string& name)
{
    for (int line = 1; line <= table.Count(); ++line) {
        if (table.Weapon(line).Name == name)
            return &table.Weapon(line);
    }
    return nullptr;
}

TWDataCSVTable FindWeapon(const TWeaponChoice& choice)
{
    TWeaponTable table;
    LoadWeapons(choice.File, table);
    if (const TWDataCSVTable* weapon = WeaponNamed(table, choice.Name))
        return *weapon;
    throw EArgumentError("There is no weapon named \"" + choice.Name + "\" in " + choice.File);
}

std::string SetupArgument(std::string_view text)
{
    return "--setup " + Quoted(text);
}

// The table is read once for all the setups.
std::vector<TSetup> FindSetups(const std::string& file, const std::vector<TSetupChoice>& choices)
{
    TWeaponTable table;
    LoadWeapons(file, table);
    std::vector<TSetup> setups;
    for (const TSetupChoice& choice : choices) {
        const TWDataCSVTable* weapon = WeaponNamed(table, choice.WeaponName);
        if (!weapon)
            throw EArgumentError(SetupArgument(choice.Text) + ": no weapon named \"" +
                                 choice.WeaponName + "\"");
        setups.push_back({*weapon, choice.Stats});
    }
    return setups;
}

// Runs `step`, in which `formula` is the only formula compiled or evaluated,
// so that a fault placed in a formula can be shown in this one.
template <typename TStep> void InFormula(const std::string& formula, TStep step)
{
    try {
        step();
    } catch (const EFormulaFault&) {
        throw;
    } catch (const Exception& error) {
        if (error.Position() == Exception::NoPosition)
            throw;
        throw EFormulaFault(error, formula);
    }
}

// Evaluation faults of the setups that follow cannot be told apart by
// formula; only the compilation is placed.
template <typename TCalculator>
void ApplyFormulas(const TFormulaChoice& formulas, TCalculator& calculator)
{
    calculator.SetRoundingMode(formulas.Rounding);
    InFormula(formulas.SpeedFormula, [&] { calculator.SetSpeedMethod(formulas.SpeedFormula); });
    InFormula(formulas.DamageFormula, [&] { calculator.SetDamageMethod(formulas.DamageFormula); });
}

// The four figures a summary shares with the compare table, so that sweeps
// and gains write them, and their changes, as the compare table does.
TSetupFigures SummaryFigures(const TSetupSummary& summary)
{
    TSetupFigures figures;
    figures.Damage.HQAve = summary.HQAverage;
    figures.Damage.Table[0][0][2] = summary.Average;
    figures.Delay = summary.Delay;
    figures.DamagePerSecond = summary.DamagePerSecond;
    return figures;
}

// The compare table's row of an input, whose key is also the input's key.
TCompareRow InputRow(TStat stat)
{
    return static_cast<TCompareRow>(static_cast<int>(TCompareRow::STR) + static_cast<int>(stat));
}

Json OptionalJson(const std::optional<double>& value)
{
    return value ? Json(*value) : Json(nullptr);
}

Json StatsJson(const TWeaponDataAndPCData& stats)
{
    Json json = Json::object();
    for (const TStat stat : AllStats)
        json[std::string(CompareRowKey(InputRow(stat)))] = StatOf(stats, stat);
    return json;
}

// RFC 4180: a field holding a separator, a quote or a line break goes
// between quotes, its quotes doubled.
void AppendCsvField(std::string& line, const std::string& text)
{
    const auto special = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
    if (std::none_of(text.begin(), text.end(), special)) {
        line += text;
        return;
    }
    line += '"';
    for (const char c : text) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

std::string RangeText(const TSpeedRange& range)
{
    if (range.From == range.To)
        return std::to_string(range.From);
    return std::to_string(range.From) + "\u301C" + std::to_string(range.To);
}

// The six stats in the order --stats takes them.
TWeaponDataAndPCData CharacterStats(const std::vector<std::int32_t>& stats)
{
    if (stats.size() != 6)
        throw EArgumentError("--stats: expected STR,DEX,INT,Tactics,Anatomy,Lumberjack");
    TWeaponDataAndPCData data;
    data.STR = stats[0];
    data.DEX = stats[1];
    data.INT = stats[2];
    data.Tactics = stats[3];
    data.Anatomy = stats[4];
    data.Lumberjack = stats[5];
    return data;
}

std::string_view GainStepText(TGainStep step)
{
    switch (step) {
    case TGainStep::One:
        return "+1";
    case TGainStep::Ten:
        return "+10";
    case TGainStep::ToMaximum:
        break;
    }
    return "max";
}

// The rows of the highest damage-per-second gain; none when nothing gains.
std::vector<bool> BestGains(const std::vector<TStatGain>& gains)
{
    std::vector<bool> best(gains.size(), false);
    // The gains come best first.
    const std::optional<double> top =
        gains.empty() ? std::nullopt : gains.front().DamagePerSecondGain();
    for (std::size_t i = 0; i < gains.size(); ++i)
        best[i] = top && *top > 0 && gains[i].DamagePerSecondGain() == top;
    return best;
}

// The rows of a gain: the figure it changes and how the table writes it.
constexpr std::array<TCompareRow, 4> GainRows = {TCompareRow::HQAverage, TCompareRow::NormalAverage,
                                                 TCompareRow::Delay, TCompareRow::DamagePerSecond};

std::string NextFasterSwingText(const TSetupFigures& figures)
{
    if (!figures.NextFasterSwing)
        return "Next faster swing: none up to DEX " + std::to_string(MaxDex);
    return "Next faster swing: +" + std::to_string(figures.NextFasterSwing->MoreDex) +
           " DEX \u2192 " + FormatGeneral(figures.NextFasterSwing->Delay) + " s";
}

// The figures --explain works out, with their JSON keys and captions.
struct TExplainedFigure
{
    const char* Key;
    const char* Caption;
    TWeaponDamges::TResultAt At;
};
constexpr std::array<TExplainedFigure, 4> ExplainedFigures = {{
    {"hq_low", "HQ Low:", {true, 0, 0, 0}},
    {"hq_high", "HQ High:", {true, 0, 0, 1}},
    {"hq_average", "HQ Ave:", {true, 0, 0, 2}},
    {"average", "Normal/Normal Ave:", {false, 0, 0, 2}},
}};

std::string_view RoundingWords(TWorkingRounding rounding)
{
    switch (rounding) {
    case TWorkingRounding::Up:
        return "rounded up";
    case TWorkingRounding::Down:
        return "rounded down";
    case TWorkingRounding::HalfAwayFromZero:
        return "rounded half away from zero";
    case TWorkingRounding::UpToHalfSecond:
        return "rounded up to half a second";
    case TWorkingRounding::None:
        break;
    }
    return "not rounded";
}

std::string_view RoundingKey(TWorkingRounding rounding)
{
    switch (rounding) {
    case TWorkingRounding::Up:
        return "up";
    case TWorkingRounding::Down:
        return "down";
    case TWorkingRounding::HalfAwayFromZero:
        return "half_away_from_zero";
    case TWorkingRounding::UpToHalfSecond:
        return "up_to_half_second";
    case TWorkingRounding::None:
        break;
    }
    return "none";
}

// Values of a sweep computed in one batch per setup: enough for the batches
// to pay, few enough that a sweep over millions of values is never held.
constexpr std::size_t SweepBlock = 4096;

} // namespace

std::string FormatExact(double value)
{
    if (value == 0)
        return "0";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

void RunEval(const TEvalRequest& request, std::ostream& out)
{
    if (request.Names.size() > 8)
        throw EArgumentError("--names: at most 8 names");
    if (request.Values.size() > 8)
        throw EArgumentError("--values: at most 8 values");
    TMathsParser parser;
    // Named slots replace all of the defaults: a default name left on a later
    // slot ("x" on V8) would otherwise take the user's variable of that name.
    if (!request.Names.empty())
        parser.SetVarNames(request.Names);
    for (std::size_t i = 0; i < request.Values.size(); ++i)
        parser.SetVar(i, request.Values[i]);
    double value = 0;
    InFormula(request.Formula, [&] {
        parser.SetExpression(request.Formula);
        value = parser.Value();
    });
    out << FormatExact(value) << '\n';
}

void RunDamage(const TDamageRequest& request, std::ostream& out)
{
    TWeaponDataAndPCData data = CharacterStats(request.Stats);
    if (request.Weapon.File.empty()) {
        data.Weapon.LowDamage = request.Low;
        data.Weapon.HighDamage = request.High;
        data.Weapon.AverageDamage = request.Average;
        data.Weapon.Type = request.Type;
    } else {
        const TWDataCSVTable weapon = FindWeapon(request.Weapon);
        data.Weapon.LowDamage = weapon.LowDamage;
        data.Weapon.HighDamage = weapon.HighDamage;
        data.Weapon.AverageDamage = weapon.AverageDamage;
        data.Weapon.Type = weapon.Type;
        data.Weapon.Name = weapon.Name;
    }

    // The user's formula goes in last, so it is only ever evaluated with the
    // stats and weapon asked for: a formula that divides by a stat must not
    // fail on the calculator's initial zeros.
    TWeaponDamges damages(data);
    damages.SetStats(data);
    damages.SetRoundingMode(request.Rounding);
    std::array<TWorking, ExplainedFigures.size()> workings;
    InFormula(request.Formula, [&] {
        damages.SetDamageMethod(request.Formula);
        if (request.Explain)
            for (std::size_t i = 0; i < workings.size(); ++i)
                workings[i] = DamageWorking(damages, data, ExplainedFigures[i].At);
    });
    const TDamageTable& table = damages.Table();
    if (request.Json) {
        Json rows = Json::array();
        for (const auto& accuracy : table) {
            Json levels = Json::array();
            for (const auto& figures : accuracy)
                levels.push_back(Json::array({figures[0], figures[1], figures[2]}));
            rows.push_back(std::move(levels));
        }
        Json answer{
            {"hq",
             {{"low", damages.HQLow()}, {"high", damages.HQHigh()}, {"average", damages.HQAve()}}},
            {"table", std::move(rows)}};
        if (request.Explain) {
            Json explain = Json::object();
            for (std::size_t i = 0; i < workings.size(); ++i)
                explain[ExplainedFigures[i].Key] = {{"substituted", workings[i].Substituted},
                                                    {"raw", workings[i].Raw},
                                                    {"rounding", RoundingKey(workings[i].Rounding)},
                                                    {"rounded", workings[i].Rounded}};
            answer["explain"] = std::move(explain);
        }
        WriteJson(out, answer);
        return;
    }

    if (!data.Weapon.Name.empty())
        out << "Weapon: " << data.Weapon.Name << " (" << data.Weapon.Type << ")\n";
    out << "HQ: Low " << FormatGeneral(damages.HQLow()) << "  High "
        << FormatGeneral(damages.HQHigh()) << "  Ave " << FormatGeneral(damages.HQAve()) << "\n\n";

    static constexpr const char* FigureNames[] = {"Low", "High", "Ave"};
    TTextTable grid;
    grid.SetAlignment({TAlign::Left, TAlign::Left, TAlign::Right, TAlign::Right, TAlign::Right,
                       TAlign::Right, TAlign::Right, TAlign::Right});
    std::vector<std::string> header{"", ""};
    header.insert(header.end(), DamageLevelNames.begin(), DamageLevelNames.end());
    grid.AddRow(std::move(header));
    for (std::size_t a = 0; a < table.size(); ++a) {
        for (std::size_t f = 0; f < 3; ++f) {
            std::vector<std::string> row{f == 0 ? AccuracyLevelNames[a] : "", FigureNames[f]};
            for (const auto& figures : table[a])
                row.push_back(FormatGeneral(figures[f]));
            grid.AddRow(std::move(row));
        }
    }
    out << grid.Render();
    if (!request.Explain)
        return;
    // The raw value in full: one that rounds up from 42.000000000000007 must
    // not read as 42.
    TTextTable lines;
    for (std::size_t i = 0; i < workings.size(); ++i) {
        const TWorking& working = workings[i];
        std::string text = working.Substituted;
        text.append(" = ")
            .append(ExactNumber(working.Raw))
            .append(", ")
            .append(RoundingWords(working.Rounding))
            .append(": ")
            .append(FormatGeneral(working.Rounded));
        lines.AddRow({ExplainedFigures[i].Caption, std::move(text)});
    }
    out << '\n' << lines.Render();
}

void RunSpeed(const TSpeedRequest& request, std::ostream& out)
{
    if (request.Stats.size() != 3)
        throw EArgumentError("--stats: expected STR,DEX,INT");
    TWeaponSpeedData data;
    data.Speed = request.Speed;
    if (!request.Weapon.File.empty()) {
        const TWDataCSVTable weapon = FindWeapon(request.Weapon);
        data.Name = weapon.Name;
        data.Speed = weapon.Speed;
    }
    data.STR = request.Stats[0];
    data.DEX = request.Stats[1];
    data.INT = request.Stats[2];

    // As for the damages: the formula meets only the weapon asked for, never
    // the initial speed of 1.
    TWeaponSpeed speed;
    speed.SetWeaponSpeedData(data);
    InFormula(request.Formula, [&] { speed.SetSpeedMethod(request.Formula); });

    if (request.Json) {
        Json ranges = Json::array();
        for (const TSpeedRange& range : speed.Ranges())
            ranges.push_back({{"from", range.From}, {"to", range.To}, {"delay", range.Delay}});
        WriteJson(out, Json{{"delays", speed.Delays()}, {"ranges", std::move(ranges)}});
        return;
    }
    TTextTable lines;
    for (const TSpeedRange& range : speed.Ranges())
        lines.AddRow({RangeText(range), FormatGeneral(range.Delay) + "sec"});
    out << lines.Render();
}

void RunSpread(const TSpreadRequest& request, std::ostream& out)
{
    TDamageSpread spread;
    spread.SetDiceData(request.Dice, request.Sides, request.Bonus);
    if (request.Json) {
        WriteJson(out,
                  Json{{"bars", spread.Bars()}, {"high_probability", spread.HighProbability()}});
        return;
    }
    TTextTable bars;
    bars.SetAlignment({TAlign::Right, TAlign::Right});
    bars.AddRow({"Damage", "Probability"});
    for (std::size_t k = 0; k < spread.Bars().size(); ++k) {
        if (spread.Bars()[k] > 0)
            bars.AddRow({std::to_string(k + 1), FormatGeneral(spread.Bars()[k]) + "%"});
    }
    out << bars.Render() << "High probability: " << FormatGeneral(spread.HighProbability())
        << "%\n";
}

void RunRadar(const TRadarRequest& request, std::ostream& out)
{
    TRaderChartData data;
    data.Damage = request.Damage;
    data.TopProbability = request.TopProbability;
    data.Speed = request.Speed;
    data.WeaponType = request.Type;
    const TRaderFactors factors = ComputeRaderFactors(data);
    if (request.Json) {
        WriteJson(out, Json{{"speed_factor", factors.SpeedFactor},
                            {"damage_factor", factors.DamageFactor},
                            {"overall", factors.Overall},
                            {"stability", factors.Stability}});
        return;
    }
    TTextTable lines;
    lines.SetAlignment({TAlign::Left, TAlign::Right});
    lines.AddRow({"Speed factor", FormatGeneral(factors.SpeedFactor)});
    lines.AddRow({"Damage factor", FormatGeneral(factors.DamageFactor)});
    lines.AddRow({"Overall", FormatGeneral(factors.Overall)});
    lines.AddRow({"Stability", std::to_string(factors.Stability) + "%"});
    out << lines.Render();
}

void RunWeapons(const TWeaponsRequest& request, std::ostream& out)
{
    TWeaponTable table;
    try {
        CheckWeaponsFileKind(request.File);
        table.LoadFromFile(request.File);
    } catch (const Exception& error) {
        // A script reading the JSON still gets a document, the failure in its
        // message; the exit code and standard error tell it as for any command.
        if (request.Json)
            out << "{\"weapons\":[],\"count\":0,\"message\":" << Dumped(Json(error.what()))
                << "}\n";
        throw;
    }

    if (request.Json) {
        out << "{\"weapons\":";
        TJsonArrayWriter weapons(out);
        Json element = {{"index", 0},      {"name", ""}, {"low", 0},   {"high", 0},
                        {"average", 0},    {"speed", 0}, {"type", ""}, {"dice_count", 0},
                        {"dice_sides", 0}, {"bonus", 0}, {"note", ""}};
        // Looked up once: the object gains no key, so its values stay in place.
        Json &index = element["index"], &name = element["name"], &low = element["low"],
             &high = element["high"], &average = element["average"], &speed = element["speed"],
             &type = element["type"], &diceCount = element["dice_count"],
             &diceSides = element["dice_sides"], &bonus = element["bonus"], &note = element["note"];
        for (int line = 1; line <= table.Count(); ++line) {
            const TWDataCSVTable& w = table.Weapon(line);
            index = w.Index;
            SetText(name, w.Name);
            low = w.LowDamage;
            high = w.HighDamage;
            average = w.AverageDamage;
            speed = w.Speed;
            SetText(type, w.Type);
            diceCount = w.DiceCount;
            diceSides = w.DiceSides;
            bonus = w.DamageBonus;
            SetText(note, w.DamageNote);
            weapons.Add(element);
        }
        weapons.Close();
        out << ",\"count\":" << table.Count() << ",\"message\":null}\n";
        return;
    }

    const std::array<std::string_view, 11> header{"Index",   "Name",  "Low",  "High",
                                                  "Average", "Speed", "Type", "Dice",
                                                  "Sides",   "Bonus", "Note"};
    // The texts are shown as they stand; only the numbers are formatted.
    std::array<std::string, 8> numbers;
    std::array<std::string_view, 11> cells;
    const auto fill = [&](const TWDataCSVTable& w) {
        numbers = {std::to_string(w.Index),     FormatGeneral(w.LowDamage),
                   FormatGeneral(w.HighDamage), FormatGeneral(w.AverageDamage),
                   std::to_string(w.Speed),     std::to_string(w.DiceCount),
                   std::to_string(w.DiceSides), std::to_string(w.DamageBonus)};
        cells = {numbers[0], w.Name,     numbers[1], numbers[2], numbers[3],  numbers[4],
                 w.Type,     numbers[5], numbers[6], numbers[7], w.DamageNote};
    };
    TColumnLayout list({TAlign::Right, TAlign::Left, TAlign::Right, TAlign::Right, TAlign::Right,
                        TAlign::Right, TAlign::Left, TAlign::Right, TAlign::Right, TAlign::Right,
                        TAlign::Left});
    list.Measure(header);
    for (int line = 1; line <= table.Count(); ++line) {
        fill(table.Weapon(line));
        list.Measure(cells);
    }
    list.Write(out, header);
    for (int line = 1; line <= table.Count(); ++line) {
        fill(table.Weapon(line));
        list.Write(out, cells);
    }
    out << table.Count() << (table.Count() == 1 ? " weapon" : " weapons") << '\n';
}

TRankColumn ParseRankColumn(std::string_view key)
{
    if (const auto column = RankColumnFromKey(key))
        return *column;
    std::string keys;
    for (int c = 0; c < RankColumnCount; ++c)
        keys += (c == 0 ? "" : ", ") + std::string(RankColumnKey(static_cast<TRankColumn>(c)));
    throw EArgumentError("--sort: \"" + std::string(key) + "\" is not one of " + keys);
}

void RunRank(const TRankRequest& request, std::ostream& out)
{
    const TWeaponDataAndPCData stats = CharacterStats(request.Stats);
    TWeaponTable table;
    LoadWeapons(request.WeaponsFile, table);

    TWeaponRanking ranking;
    ranking.SetStats(stats);
    ApplyFormulas(request.Formulas, ranking);
    std::vector<TWeaponRank> rows = ranking.Rank(table);
    SortRanking(rows, request.Sort, BestFirstIsDescending(request.Sort));

    switch (request.Format) {
    case TTableFormat::Json: {
        TJsonArrayWriter weapons(out);
        Json element = {{"index", 0},           {"name", ""},   {"type", ""},      {"speed", 0},
                        {"delay", 0},           {"average", 0}, {"hq_average", 0}, {"dps", nullptr},
                        {"top_probability", 0}, {"overall", 0}};
        Json &index = element["index"], &name = element["name"], &type = element["type"],
             &speed = element["speed"], &delay = element["delay"], &average = element["average"],
             &hqAverage = element["hq_average"], &dps = element["dps"],
             &topProbability = element["top_probability"], &overall = element["overall"];
        for (const TWeaponRank& row : rows) {
            index = table.Weapon(row.Slot).Index;
            SetText(name, row.Name);
            SetText(type, row.Type);
            speed = row.Speed;
            delay = row.Delay;
            average = row.Average;
            hqAverage = row.HQAverage;
            dps = row.DamagePerSecond ? Json(*row.DamagePerSecond) : Json(nullptr);
            topProbability = row.TopProbability;
            overall = row.Overall;
            weapons.Add(element);
        }
        weapons.Close();
        out << '\n';
        return;
    }
    case TTableFormat::Csv: {
        std::string line;
        out << "index,name,type,speed,delay,average,hq_average,dps,top_probability,overall\n";
        for (const TWeaponRank& row : rows) {
            line = std::to_string(table.Weapon(row.Slot).Index);
            for (int c = 0; c < RankColumnCount; ++c) {
                const auto column = static_cast<TRankColumn>(c);
                line += ',';
                // A missing figure is an empty field, not the page's "-".
                if (column != TRankColumn::DamagePerSecond || row.DamagePerSecond)
                    AppendCsvField(line, RankCellText(row, column));
            }
            line += '\n';
            out.write(line.data(), static_cast<std::streamsize>(line.size()));
        }
        return;
    }
    case TTableFormat::Text:
        break;
    }

    std::vector<TAlign> alignment;
    for (int c = 0; c < RankColumnCount; ++c)
        alignment.push_back(IsTextColumn(static_cast<TRankColumn>(c)) ? TAlign::Left
                                                                      : TAlign::Right);
    TColumnLayout grid(std::move(alignment));
    const std::array<std::string_view, RankColumnCount> header{
        "Name", "Type", "Speed", "Delay", "Average", "HQ", "DPS", "Top %", "Overall"};
    std::array<std::string, RankColumnCount> texts;
    std::array<std::string_view, RankColumnCount> cells;
    const auto fill = [&](const TWeaponRank& row) {
        // Name and type are shown as they stand, so they are not copied.
        cells[static_cast<std::size_t>(TRankColumn::Name)] = row.Name;
        cells[static_cast<std::size_t>(TRankColumn::Type)] = row.Type;
        for (int c = 0; c < RankColumnCount; ++c) {
            const auto column = static_cast<TRankColumn>(c);
            const auto i = static_cast<std::size_t>(c);
            if (!IsTextColumn(column)) {
                texts[i] = RankCellText(row, column);
                cells[i] = texts[i];
            }
        }
    };
    grid.Measure(header);
    for (const TWeaponRank& row : rows) {
        fill(row);
        grid.Measure(cells);
    }
    grid.Write(out, header);
    for (const TWeaponRank& row : rows) {
        fill(row);
        grid.Write(out, cells);
    }
}

TSetupText ReadSetupText(const std::string& text)
{
    TSetupText setup;
    try {
        setup = ParseSetupText(text);
    } catch (const ESetupTextError& error) {
        throw EArgumentError("--setup: " + std::string(error.what()) + "\n" +
                             PointInto(text, error.Position()));
    }
    TSetupCalculator formulas;
    InFormula(setup.DamageFormula, [&] { formulas.SetDamageMethod(setup.DamageFormula); });
    InFormula(setup.SpeedFormula, [&] { formulas.SetSpeedMethod(setup.SpeedFormula); });
    return setup;
}

std::vector<std::int32_t> SetupTextStats(const TSetupText& setup)
{
    std::vector<std::int32_t> stats;
    for (const TStat stat : AllStats)
        stats.push_back(StatOf(setup.Stats, stat));
    return stats;
}

void RunSetupText(const TSetupTextRequest& request, std::ostream& out)
{
    TSetupText setup;
    setup.Stats = CharacterStats(request.Stats);
    CheckSetupStats(setup.Stats, "--stats");
    if (request.WeaponName.empty())
        throw EArgumentError("--weapon: the name is empty");
    if (!request.WeaponsFile.empty())
        FindWeapon({request.WeaponsFile, request.WeaponName});
    setup.WeaponName = request.WeaponName;
    // A text is written only when --setup would take it back.
    TSetupCalculator formulas;
    ApplyFormulas(request.Formulas, formulas);
    setup.DamageFormula = request.Formulas.DamageFormula;
    setup.SpeedFormula = request.Formulas.SpeedFormula;
    setup.Rounding = request.Formulas.Rounding;
    out << SetupText(setup) << '\n';
}

TSetupChoice ParseSetup(std::string_view text)
{
    const std::string what = SetupArgument(text);
    const auto at = text.rfind('@');
    if (at == std::string_view::npos)
        throw EArgumentError(what + ": expected NAME@STR,DEX,INT,Tactics,Anatomy,Lumberjack");
    const std::vector<std::int32_t> values = ParseInt32List(text.substr(at + 1), StatCount, what);
    TSetupChoice choice{std::string(text), std::string(text.substr(0, at)), CharacterStats(values)};
    CheckSetupStats(choice.Stats, what);
    return choice;
}

void CheckSetupStats(const TWeaponDataAndPCData& stats, std::string_view what)
{
    for (const TStat stat : AllStats) {
        const std::int32_t value = StatOf(stats, stat);
        const std::string prefix =
            std::string(what) + ": " + std::string(StatName(stat)) + " " + std::to_string(value);
        if (value < 0)
            throw EArgumentError(prefix + " is below 0");
        // The stats have no end of their own; only the skills stop at 100.
        if (StatMaximum(stat) == 100 && value > 100)
            throw EArgumentError(prefix + " is above 100");
    }
}

TStat ParseStat(std::string_view name)
{
    if (const auto stat = StatFromName(name))
        return *stat;
    std::string names;
    for (const TStat stat : AllStats)
        names += (names.empty() ? "" : ", ") + std::string(StatName(stat));
    throw EArgumentError("--stat: " + Quoted(name) + " is not one of " + names);
}

void RunCompare(const TCompareRequest& request, std::ostream& out)
{
    if (request.Setups.size() < 2 || request.Setups.size() > 6)
        throw EArgumentError("--setup: 2 to 6 setups to compare, got " +
                             std::to_string(request.Setups.size()));
    const std::vector<TSetup> setups = FindSetups(request.WeaponsFile, request.Setups);
    TSetupCalculator calculator;
    ApplyFormulas(request.Formulas, calculator);
    const std::vector<TSetupFigures> columns = calculator.Figures(setups);
    const std::size_t count = columns.size();

    switch (request.Format) {
    case TTableFormat::Json: {
        Json rows = Json::array();
        for (int r = 0; r < CompareRowCount; ++r) {
            const auto row = static_cast<TCompareRow>(r);
            const std::vector<bool> best = BestColumns(columns, row);
            // The inputs and the rating are whole numbers, as in the ranking.
            const bool integer = row == TCompareRow::Overall ||
                                 (row >= TCompareRow::STR && row <= TCompareRow::Lumberjack);
            const auto number = [integer](double value) {
                return integer ? Json(static_cast<std::int64_t>(value)) : Json(value);
            };
            const std::optional<double> first = CompareValue(columns[0], row);
            Json values = Json::array(), differences = Json::array();
            for (std::size_t c = 0; c < count; ++c) {
                const std::optional<double> value = CompareValue(columns[c], row);
                if (row == TCompareRow::Weapon)
                    values.push_back(columns[c].Setup.Weapon.Name);
                else
                    values.push_back(value ? number(*value) : Json(nullptr));
                differences.push_back(c > 0 && value && first ? number(*value - *first)
                                                              : Json(nullptr));
            }
            rows.push_back({{"row", CompareRowKey(row)},
                            {"values", std::move(values)},
                            {"differences", std::move(differences)},
                            {"best", best}});
        }
        WriteJson(out, rows);
        return;
    }
    case TTableFormat::Csv: {
        std::string line = "row";
        for (std::size_t c = 1; c <= count; ++c)
            line += ",value_" + std::to_string(c);
        for (std::size_t c = 2; c <= count; ++c)
            line += ",difference_" + std::to_string(c);
        for (std::size_t c = 1; c <= count; ++c)
            line += ",best_" + std::to_string(c);
        out << line << '\n';
        for (int r = 0; r < CompareRowCount; ++r) {
            const auto row = static_cast<TCompareRow>(r);
            line = CompareRowKey(row);
            for (const TSetupFigures& column : columns) {
                line += ',';
                // A missing figure is an empty field, not the page's "-".
                if (row == TCompareRow::Weapon || CompareValue(column, row))
                    AppendCsvField(line, CompareCellText(column, row));
            }
            for (std::size_t c = 1; c < count; ++c)
                line += ',' + CompareDifferenceText(columns[0], columns[c], row);
            for (const bool best : BestColumns(columns, row))
                line += best ? ",1" : ",0";
            out << line << '\n';
        }
        return;
    }
    case TTableFormat::Text:
        break;
    }

    static constexpr std::array<const char*, CompareRowCount> Captions = {
        "Weapon",     "STR",    "DEX",     "INT",        "Tactics", "Anatomy",
        "Lumberjack", "HQ Low", "HQ High", "HQ Average", "Average", "Supreme Average",
        "Delay",      "DPS",    "Top %",   "Overall"};
    // Caption, then the first setup, then each other setup with its difference.
    TTextTable table;
    std::vector<TAlign> alignment{TAlign::Left, TAlign::Right};
    for (std::size_t c = 1; c < count; ++c)
        alignment.insert(alignment.end(), {TAlign::Right, TAlign::Left});
    table.SetAlignment(std::move(alignment));
    for (int r = 0; r < CompareRowCount; ++r) {
        const auto row = static_cast<TCompareRow>(r);
        const std::vector<bool> best = BestColumns(columns, row);
        std::vector<std::string> cells{Captions[static_cast<std::size_t>(r)]};
        for (std::size_t c = 0; c < count; ++c) {
            // The mark takes a column of its own at the figure's end, so the
            // figures stay aligned on their last digit.
            cells.push_back(CompareCellText(columns[c], row) + (best[c] ? "*" : " "));
            if (c > 0) {
                const std::string difference = CompareDifferenceText(columns[0], columns[c], row);
                cells.push_back(difference.empty() ? "" : "(" + difference + ")");
            }
        }
        table.AddRow(std::move(cells));
    }
    out << table.Render();
}

void RunGains(const TGainsRequest& request, std::ostream& out)
{
    const TSetup setup{FindWeapon(request.Weapon), CharacterStats(request.Stats)};
    CheckSetupStats(setup.Stats, "--stats");
    TSetupCalculator calculator;
    ApplyFormulas(request.Formulas, calculator);
    const TSetupFigures base = calculator.Figures(std::span(&setup, 1)).front();
    const std::vector<TStatGain> gains = calculator.Gains(setup);
    const std::vector<bool> best = BestGains(gains);

    switch (request.Format) {
    case TTableFormat::Json: {
        Json rows = Json::array();
        for (std::size_t i = 0; i < gains.size(); ++i) {
            const TStatGain& gain = gains[i];
            Json row = {{"input", StatName(gain.Stat)},
                        {"step", GainStepText(gain.Step)},
                        {"from", gain.From},
                        {"to", gain.To}};
            const TSetupFigures before = SummaryFigures(gain.Before),
                                after = SummaryFigures(gain.After);
            for (const TCompareRow figure : GainRows) {
                const std::optional<double> a = CompareValue(before, figure),
                                            b = CompareValue(after, figure);
                row[std::string(CompareRowKey(figure))] = a && b ? Json(*b - *a) : Json(nullptr);
            }
            row["best"] = static_cast<bool>(best[i]);
            rows.push_back(std::move(row));
        }
        Json next = nullptr;
        if (base.NextFasterSwing)
            next = {{"more_dex", base.NextFasterSwing->MoreDex},
                    {"delay", base.NextFasterSwing->Delay}};
        Json answer = Json::object();
        for (const TCompareRow figure : GainRows)
            answer[std::string(CompareRowKey(figure))] = OptionalJson(CompareValue(base, figure));
        answer["gains"] = std::move(rows);
        answer["next_faster_swing"] = std::move(next);
        WriteJson(out, answer);
        return;
    }
    case TTableFormat::Csv: {
        std::string line;
        out << "input,step,from,to,hq_average,average,delay,dps,best\n";
        for (std::size_t i = 0; i < gains.size(); ++i) {
            const TStatGain& gain = gains[i];
            line = std::string(StatName(gain.Stat)) + ',' + std::string(GainStepText(gain.Step)) +
                   ',' + std::to_string(gain.From) + ',' + std::to_string(gain.To);
            for (const TCompareRow figure : GainRows)
                line += ',' + CompareDifferenceText(SummaryFigures(gain.Before),
                                                    SummaryFigures(gain.After), figure);
            line += best[i] ? ",1\n" : ",0\n";
            out << line;
        }
        return;
    }
    case TTableFormat::Text:
        break;
    }

    TTextTable table;
    table.SetAlignment({TAlign::Left, TAlign::Left, TAlign::Right, TAlign::Left, TAlign::Right,
                        TAlign::Right, TAlign::Right, TAlign::Right, TAlign::Right});
    table.AddRow({"Input", "Step", "From", "\u2192", "To", "HQ", "Average", "Delay", "DPS "});
    for (std::size_t i = 0; i < gains.size(); ++i) {
        const TStatGain& gain = gains[i];
        std::vector<std::string> cells{
            std::string(StatName(gain.Stat)), std::string(GainStepText(gain.Step)),
            std::to_string(gain.From), "\u2192", std::to_string(gain.To)};
        for (const TCompareRow figure : GainRows)
            cells.push_back(CompareDifferenceText(SummaryFigures(gain.Before),
                                                  SummaryFigures(gain.After), figure));
        // Marked as the compare table marks its best figures.
        std::string& dps = cells.back();
        dps = (dps.empty() ? "-" : dps) + (best[i] ? "*" : " ");
        table.AddRow(std::move(cells));
    }
    out << table.Render() << NextFasterSwingText(base) << '\n';
}

void RunSweep(const TSweepRequest& request, std::ostream& out)
{
    if (request.Setups.empty() || request.Setups.size() > 6)
        throw EArgumentError("--setup: 1 to 6 setups to sweep, got " +
                             std::to_string(request.Setups.size()));
    const std::vector<TSetup> setups = FindSetups(request.WeaponsFile, request.Setups);
    TSetupCalculator calculator;
    ApplyFormulas(request.Formulas, calculator);
    const std::size_t count = setups.size();

    // Each pass computes the whole sweep anew: the first finds any fault and
    // measures the text, the second writes.
    std::vector<std::int32_t> values;
    std::vector<std::vector<TSetupSummary>> blocks(count);
    std::vector<TSetupFigures> point(count);
    const auto sweep = [&](const auto& visit) {
        for (std::int64_t next = request.From; next <= request.To;) {
            values.clear();
            for (; next <= request.To && values.size() < SweepBlock; next += request.Step)
                values.push_back(static_cast<std::int32_t>(next));
            for (std::size_t s = 0; s < count; ++s)
                blocks[s] = calculator.Sweep(setups[s], request.Stat, values);
            for (std::size_t i = 0; i < values.size(); ++i) {
                for (std::size_t s = 0; s < count; ++s)
                    point[s] = SummaryFigures(blocks[s][i]);
                visit(values[i]);
            }
        }
    };

    switch (request.Format) {
    case TTableFormat::Json: {
        sweep([](std::int32_t) {});
        Json described = Json::array();
        for (const TSetup& setup : setups)
            described.push_back({{"label", SetupLabel(setup)},
                                 {"weapon", setup.Weapon.Name},
                                 {"stats", StatsJson(setup.Stats)}});
        out << "{\"stat\":" << Dumped(Json(StatName(request.Stat)))
            << ",\"setups\":" << Dumped(described) << ",\"points\":";
        TJsonArrayWriter points(out);
        Json element = {{"value", 0}, {"setups", Json::array()}};
        Json &value = element["value"], &figures = element["setups"];
        for (std::size_t s = 0; s < count; ++s)
            figures.push_back({{"dps", nullptr}, {"average", 0}});
        sweep([&](std::int32_t v) {
            value = v;
            for (std::size_t s = 0; s < count; ++s) {
                figures[s]["dps"] = OptionalJson(point[s].DamagePerSecond);
                figures[s]["average"] = point[s].NormalAverage();
            }
            points.Add(element);
        });
        points.Close();
        out << "}\n";
        return;
    }
    case TTableFormat::Csv: {
        sweep([](std::int32_t) {});
        std::string line(CompareRowKey(InputRow(request.Stat)));
        for (std::size_t s = 1; s <= count; ++s)
            line += ",dps_" + std::to_string(s) + ",average_" + std::to_string(s);
        out << line << '\n';
        sweep([&](std::int32_t v) {
            line = std::to_string(v);
            for (const TSetupFigures& figures : point) {
                line += ',';
                if (figures.DamagePerSecond)
                    line += CompareCellText(figures, TCompareRow::DamagePerSecond);
                line += ',' + CompareCellText(figures, TCompareRow::NormalAverage);
            }
            line += '\n';
            out.write(line.data(), static_cast<std::streamsize>(line.size()));
        });
        return;
    }
    case TTableFormat::Text:
        break;
    }

    std::vector<std::string> header{std::string(StatName(request.Stat))};
    for (std::size_t s = 1; s <= count; ++s) {
        header.push_back(std::to_string(s) + " DPS");
        header.push_back(std::to_string(s) + " Average");
    }
    std::vector<std::string> texts(1 + 2 * count);
    const auto fill = [&](std::int32_t v) {
        texts[0] = std::to_string(v);
        for (std::size_t s = 0; s < count; ++s) {
            texts[1 + 2 * s] = CompareCellText(point[s], TCompareRow::DamagePerSecond);
            texts[2 + 2 * s] = CompareCellText(point[s], TCompareRow::NormalAverage);
        }
    };
    const std::vector<std::string_view> headerCells(header.begin(), header.end());
    std::vector<std::string_view> cells(texts.begin(), texts.end());
    TColumnLayout grid(std::vector<TAlign>(header.size(), TAlign::Right));
    grid.Measure(headerCells);
    sweep([&](std::int32_t v) {
        fill(v);
        cells.assign(texts.begin(), texts.end());
        grid.Measure(cells);
    });
    for (std::size_t s = 0; s < count; ++s)
        out << s + 1 << ": " << SetupLabel(setups[s]) << '\n';
    out << '\n';
    grid.Write(out, headerCells);
    sweep([&](std::int32_t v) {
        fill(v);
        cells.assign(texts.begin(), texts.end());
        grid.Write(out, cells);
    });
}
