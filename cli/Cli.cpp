#include "cli/Cli.h"

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/TextLayout.h"
#include "weapons/TextEncoding.h"
#include "weapons/WeaponTable.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

namespace {

// A fault of the weapon table or of its encoding in the words users of a
// Japanese system have always read; the core's English otherwise.
std::string FaultText(const Exception& error, bool japanese)
{
    const auto* table = dynamic_cast<const EWeaponTableError*>(&error);
    if (!japanese || (table == nullptr && dynamic_cast<const EUndecodableText*>(&error) == nullptr))
        return error.what();
    if (table == nullptr)
        return "UTF-8 でも Shift_JIS でもない文字があります（" +
               std::to_string(error.Position() + 1) + " バイト目）。";
    using enum TWeaponTableFault;
    const std::string column = std::string(table->ColumnName()) + "列";
    const std::string piece = column + " " + Quoted(table->Piece()) + " は";
    const std::string commas = std::to_string(table->Commas());
    std::string detail;
    switch (table->Fault()) {
    case MissingFile:
        return "WData.csvファイルが存在しません。";
    case NotRegularFile:
        detail = "通常のファイルではありません: " + table->Piece() + " (" +
                 std::string(FileKindText(table->Kind())) + ")";
        break;
    case Unreadable:
        detail = "ファイルを読み込めません: " + table->Piece();
        break;
    case BadEncoding:
        detail = "UTF-8 でも Shift_JIS でもない文字があります";
        break;
    case BlankLine:
        detail = "空行です";
        break;
    case TooManyColumns:
        detail = "列が多すぎます（列は,で区切って11個ですが、区切りが" + commas + "個あります）";
        break;
    case EmptyColumn:
        detail = column + "が空です";
        if (table->Commas() < 10)
            detail += "（列は,で区切って11個必要ですが、区切りが" + commas + "個しかありません）";
        break;
    case NotInteger:
        detail = piece + "整数ではありません";
        break;
    case IntegerOutOfRange:
        detail = piece + "32ビット整数の範囲を超えています";
        break;
    case NotNumber:
        detail = piece + "数値ではありません";
        break;
    case NumberOutOfRange:
        detail = piece + "大きすぎるか小さすぎる数値です";
        break;
    case NotPositive:
        detail = piece + "正の整数でなければなりません";
        break;
    case Negative:
        detail = piece + "負の数にはできません";
        break;
    }
    if (table->Line() > 0)
        detail = std::to_string(table->Line()) + "行目: " + detail;
    return "CSVFileのエラーです。\n" + detail;
}

// Whether the user reads Japanese: the first set one of LC_ALL, LC_MESSAGES
// and LANG starts with "ja".
bool MessagesInJapanese()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return std::strncmp(value, "ja", 2) == 0;
    }
    return false;
}

// The words of a core fault in the user's language. The evaluator's two own
// messages and the weapon table's faults have the Japanese texts users know
// from the first versions of the program; every other text is the core's
// English.
std::string FaultWords(const Exception& error)
{
    const bool japanese = MessagesInJapanese();
    if (japanese) {
        if (std::strcmp(error.ClassName(), "EMissMatchingBracket") == 0)
            return "括弧の数が一致していません。式を再点検してください。";
        if (std::strcmp(error.ClassName(), "ESyntaxError") == 0)
            return "誤った表記が見られます。修正して下さい。";
    }
    return FaultText(error, japanese);
}

// Numbers are taken as text and converted here, so every option reads
// decimal the same way and names itself when it complains.
struct TRawArguments
{
    std::string Names, Values, Formula;
    std::string Low, High, Average, Type, WeaponsFile, WeaponName, Stats, Rounding;
    std::string Speed, Dice, Sides, Bonus, Damage, TopProbability, File;
    std::string Stat, From, To, Step;
    std::vector<std::string> Setups;
    std::string SetupText;
    std::string Sort = "dps";
    std::string DamageFormula = DefaultDamageMethod;
    std::string SpeedFormula = DefaultSpeedMethod;
    bool Json = false;
    bool Csv = false;
    bool Explain = false;
};

void AddJsonFlag(CLI::App& command, TRawArguments& raw)
{
    command.add_flag("--json", raw.Json, "Answer in JSON instead of text");
}

// --json or --csv, not both.
void AddFormatFlags(CLI::App& command, TRawArguments& raw)
{
    auto* json = command.add_flag("--json", raw.Json, "Answer in JSON instead of text");
    command.add_flag("--csv", raw.Csv, "Answer in CSV instead of text")->excludes(json);
}

TTableFormat TableFormat(const TRawArguments& raw)
{
    return raw.Json ? TTableFormat::Json : raw.Csv ? TTableFormat::Csv : TTableFormat::Text;
}

void AddDamageFormulaOption(CLI::App& command, TRawArguments& raw)
{
    command.add_option("--formula", raw.DamageFormula, "Damage formula")->capture_default_str();
}

void AddRoundingOption(CLI::App& command, TRawArguments& raw)
{
    command
        .add_option("--rounding", raw.Rounding,
                    "0 round up, 1 round down, 2 half away from zero, 3 none")
        ->default_str("0")
        ->type_name("MODE");
}

// Both formulas and the rounding, for the commands that compute whole setups.
void AddFormulaOptions(CLI::App& command, TRawArguments& raw)
{
    AddDamageFormulaOption(command, raw);
    command.add_option("--speed-formula", raw.SpeedFormula, "Speed formula")->capture_default_str();
    AddRoundingOption(command, raw);
}

// For the commands that take every weapon from a table.
void AddWeaponsFileOption(CLI::App& command, TRawArguments& raw)
{
    command.add_option("--weapons", raw.WeaponsFile, "Weapon table (CSV) to read")->required();
}

void AddSetupOptions(CLI::App& command, TRawArguments& raw, const char* what)
{
    AddWeaponsFileOption(command, raw);
    // One setup per --setup, so that a name with blanks needs only quotes.
    command
        .add_option("--setup", raw.Setups,
                    std::string(what) +
                        ": a weapon of the table and the character's "
                        "STR,DEX,INT,Tactics,Anatomy,Lumberjack as NAME@100,25,100,100,100,0")
        ->required()
        ->allow_extra_args(false)
        ->type_name("SETUP");
}

// --weapons and --weapon name a weapon in place of the options in `described`.
// Returns --weapon.
CLI::Option* AddWeaponChoice(CLI::App& command, TRawArguments& raw,
                             const std::vector<CLI::Option*>& described)
{
    auto* file = command.add_option("--weapons", raw.WeaponsFile, "Weapon table (CSV) to read");
    auto* name = command.add_option("--weapon", raw.WeaponName, "Name of the weapon in that table");
    name->needs(file);
    for (auto* option : described) {
        option->excludes(file);
        option->excludes(name);
    }
    return name;
}

// --setup TEXT in place of `replaced`; naming both is refused with both names.
void AddSetupTextOption(CLI::App& command, TRawArguments& raw,
                        const std::vector<CLI::Option*>& replaced)
{
    std::string names;
    for (const auto* option : replaced)
        names += (names.empty() ? "" : ", ") + option->get_name();
    auto* setup = command
                      .add_option("--setup", raw.SetupText,
                                  "A setup text as the setup command writes it, "
                                  "qm1;w=NAME;s=STATS;r=MODE;d=FORMULA;v=FORMULA, with --weapons "
                                  "FILE, in place of " +
                                      names)
                      ->type_name("TEXT");
    for (auto* option : replaced)
        setup->excludes(option);
}

bool HasSetupText(const CLI::App& command)
{
    return command.count("--setup") > 0;
}

// A --setup names its weapon in the table of --weapons; without one the
// options it replaces are needed: all of `described` or --weapons with
// --weapon, and --stats.
void RequireWeapon(const CLI::App& command, const std::vector<CLI::Option*>& described)
{
    const bool file = command.count("--weapons") > 0;
    if (HasSetupText(command)) {
        if (!file)
            throw EArgumentError(command.get_name() + ": --setup needs --weapons FILE");
        return;
    }
    std::string missing;
    if (!file) {
        for (const auto* option : described) {
            if (option->count() == 0)
                missing += (missing.empty() ? "" : ", ") + option->get_name();
        }
    } else if (command.count("--weapon") == 0)
        missing = "--weapon";
    if (command.count("--stats") == 0)
        missing += (missing.empty() ? "" : ", ") + std::string("--stats");
    if (!missing.empty())
        throw EArgumentError(command.get_name() + ": " + missing +
                             " required (or --weapons FILE --weapon NAME, or --weapons FILE "
                             "--setup TEXT)");
}

std::int32_t RoundingMode(const std::string& text)
{
    const std::int32_t mode = ParseInt32(text, "--rounding");
    if (mode < 0 || mode > 3)
        throw EArgumentError("--rounding: \"" + text + "\" is not 0, 1, 2 or 3");
    return mode;
}

TFormulaChoice FormulaChoice(const CLI::App& command, const TRawArguments& raw)
{
    TFormulaChoice formulas{raw.DamageFormula, raw.SpeedFormula, RoundUp};
    if (command.count("--rounding") > 0)
        formulas.Rounding = RoundingMode(raw.Rounding);
    return formulas;
}

std::vector<TSetupChoice> SetupChoices(const TRawArguments& raw)
{
    std::vector<TSetupChoice> setups;
    for (const std::string& text : raw.Setups)
        setups.push_back(ParseSetup(text));
    return setups;
}

// The same bounds the weapon table holds its rows to: a speed below 1 would
// give negative delays, negative dice no distribution at all.
std::int32_t AtLeast(const std::string& text, std::string_view option, std::int32_t lowest)
{
    const std::int32_t value = ParseInt32(text, option);
    if (value < lowest)
        throw EArgumentError(std::string(option) + ": \"" + text + "\" is below " +
                             std::to_string(lowest));
    return value;
}

TWeaponChoice WeaponChoice(const TRawArguments& raw)
{
    return TWeaponChoice{raw.WeaponsFile, raw.WeaponName};
}

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Weapon damage, swing speed, damage spread, radar figures, weapon rankings and "
                 "setups compared, swept over an input or raised step by step, from the "
                 "calculation core of Quillmarch.",
                 "quillmarch-cli"};
    app.require_subcommand(1, 1);
    app.footer("Run 'quillmarch-cli COMMAND --help' for the options of one command. "
               "Put '--' before a formula that starts with '-'.\n");
    TRawArguments raw;

    auto* eval = app.add_subcommand("eval", "Evaluate a formula; prints the value with 17 "
                                            "significant digits (a negative zero as 0)");
    eval->add_option("--names", raw.Names,
                     "Comma-separated names of the slots V1..V8, first slots first; slots "
                     "not named, or named empty, cannot be used (default a,b,c,d,e,f,g,x)");
    eval->add_option("--values", raw.Values,
                     "Comma-separated values of the slots V1..V8, first slots first (default 0)");
    eval->add_option("formula", raw.Formula, "The formula")->required();

    auto* damage = app.add_subcommand("damage", "HQ damages and the 6 x 6 table of magic damages");
    std::vector<CLI::Option*> damageDescribed{
        damage->add_option("--low", raw.Low, "Lowest base damage")->type_name("NUMBER"),
        damage->add_option("--high", raw.High, "Highest base damage")->type_name("NUMBER"),
        damage->add_option("--average", raw.Average, "Average base damage")->type_name("NUMBER"),
        damage->add_option("--type", raw.Type, "Weapon type (Swords, AXE, Fencing, Mace, ...)")};
    auto* damageWeapon = AddWeaponChoice(*damage, raw, damageDescribed);
    auto* damageStats =
        damage
            ->add_option("--stats", raw.Stats,
                         "STR,DEX,INT,Tactics,Anatomy,Lumberjack as 32-bit integers")
            ->type_name("LIST");
    AddDamageFormulaOption(*damage, raw);
    AddRoundingOption(*damage, raw);
    std::vector<CLI::Option*> damageReplaced{damageWeapon, damageStats,
                                             damage->get_option("--formula"),
                                             damage->get_option("--rounding")};
    damageReplaced.insert(damageReplaced.end(), damageDescribed.begin(), damageDescribed.end());
    AddSetupTextOption(*damage, raw, damageReplaced);
    AddJsonFlag(*damage, raw);
    damage->add_flag("--explain", raw.Explain,
                     "Also show how the HQ figures and the Normal/Normal average were reached: "
                     "the formula with its variables' values, the value and its rounding");

    auto* speed = app.add_subcommand("speed", "Swing delay for DEX 0..200, merged into ranges");
    std::vector<CLI::Option*> speedDescribed{
        speed->add_option("--speed", raw.Speed, "Weapon speed")->type_name("INT")};
    auto* speedWeapon = AddWeaponChoice(*speed, raw, speedDescribed);
    auto* speedStats = speed->add_option("--stats", raw.Stats, "STR,DEX,INT as 32-bit integers")
                           ->type_name("LIST");
    auto* speedFormula =
        speed->add_option("--formula", raw.SpeedFormula, "Speed formula")->capture_default_str();
    AddSetupTextOption(*speed, raw, {speedWeapon, speedStats, speedFormula, speedDescribed[0]});
    AddJsonFlag(*speed, raw);

    auto* spread = app.add_subcommand("spread", "How likely each damage 1..60 of a dice roll is");
    spread->add_option("--dice", raw.Dice, "Number of dice")->required()->type_name("INT");
    spread->add_option("--sides", raw.Sides, "Sides per die")->required()->type_name("INT");
    spread->add_option("--bonus", raw.Bonus, "Bonus added to the roll")
        ->required()
        ->type_name("INT");
    AddJsonFlag(*spread, raw);

    auto* radar = app.add_subcommand("radar", "Speed, damage and overall factors and stability");
    radar->add_option("--damage", raw.Damage, "Normal/Normal average damage")
        ->required()
        ->type_name("INT");
    radar->add_option("--top-probability", raw.TopProbability, "Top probability in percent")
        ->required()
        ->type_name("NUMBER");
    radar->add_option("--speed", raw.Speed, "Weapon speed")->required()->type_name("INT");
    radar->add_option("--type", raw.Type, "Weapon type")->required();
    AddJsonFlag(*radar, raw);

    auto* weapons = app.add_subcommand("weapons", "The weapon table as loaded from a file");
    weapons->add_option("--file", raw.File, "Weapon table (CSV) to read")->required();
    AddJsonFlag(*weapons, raw);

    auto* rank = app.add_subcommand(
        "rank", "Every weapon of a table for one character: delay, averages, damage per "
                "second, top probability and overall rating, best first");
    AddWeaponsFileOption(*rank, raw);
    auto* rankStats = rank->add_option("--stats", raw.Stats,
                                       "STR,DEX,INT,Tactics,Anatomy,Lumberjack as 32-bit integers")
                          ->type_name("LIST");
    AddFormulaOptions(*rank, raw);
    AddSetupTextOption(*rank, raw,
                       {rankStats, rank->get_option("--formula"),
                        rank->get_option("--speed-formula"), rank->get_option("--rounding")});
    rank->add_option("--sort", raw.Sort,
                     "Column to sort by, best first: name, type, speed, delay, average, hq, "
                     "dps, top or overall")
        ->capture_default_str()
        ->type_name("COLUMN");
    AddFormatFlags(*rank, raw);

    auto* compare = app.add_subcommand(
        "compare", "Two to six setups side by side: inputs, damages, delay, damage per second, "
                   "top probability and overall rating, each against the first, the best marked");
    AddSetupOptions(*compare, raw, "2 to 6 times");
    AddFormulaOptions(*compare, raw);
    AddFormatFlags(*compare, raw);

    auto* gains = app.add_subcommand(
        "gains", "What raising each input by 1, by 10 or to its end brings one weapon, best "
                 "damage-per-second gain first, and the DEX the next faster swing needs");
    AddWeaponsFileOption(*gains, raw);
    gains->add_option("--weapon", raw.WeaponName, "Name of the weapon in that table")->required();
    gains
        ->add_option("--stats", raw.Stats,
                     "STR,DEX,INT,Tactics,Anatomy,Lumberjack: none below 0, skills up to 100")
        ->required()
        ->type_name("LIST");
    AddFormulaOptions(*gains, raw);
    AddFormatFlags(*gains, raw);

    auto* sweep = app.add_subcommand(
        "sweep", "Damage per second and Normal/Normal average of one to six setups over a "
                 "range of one input");
    AddSetupOptions(*sweep, raw, "1 to 6 times");
    sweep->add_option("--stat", raw.Stat, "STR, DEX, INT, Tactics, Anatomy or Lumberjack")
        ->required()
        ->type_name("INPUT");
    sweep->add_option("--from", raw.From, "First value")->default_str("0")->type_name("INT");
    sweep
        ->add_option("--to", raw.To,
                     "Last value (default 250 for STR, DEX and INT, 100 for skills)")
        ->type_name("INT");
    sweep->add_option("--step", raw.Step, "Step between values")
        ->default_str("1")
        ->type_name("INT");
    AddFormulaOptions(*sweep, raw);
    AddFormatFlags(*sweep, raw);

    auto* setupText = app.add_subcommand(
        "setup", "A setup as one line to paste into a chat or a note: the weapon, the six "
                 "inputs, both formulas and the rounding, for --setup of damage, speed and rank");
    setupText->add_option("--weapons", raw.WeaponsFile,
                          "Weapon table (CSV) that must hold the weapon");
    setupText->add_option("--weapon", raw.WeaponName, "Name of the weapon")->required();
    setupText
        ->add_option("--stats", raw.Stats,
                     "STR,DEX,INT,Tactics,Anatomy,Lumberjack: none below 0, skills up to 100")
        ->required()
        ->type_name("LIST");
    AddFormulaOptions(*setupText, raw);

    try {
        app.parse(argc, argv);
        if (damage->parsed())
            RequireWeapon(*damage, damageDescribed);
        if (speed->parsed())
            RequireWeapon(*speed, speedDescribed);
        if (rank->parsed() && !HasSetupText(*rank) && rank->count("--stats") == 0)
            throw CLI::RequiredError("--stats (or --setup TEXT)");
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? 0 : 1;
    }

    if (eval->parsed()) {
        TEvalRequest request;
        if (eval->count("--names") > 0)
            request.Names = SplitList(raw.Names);
        if (eval->count("--values") > 0)
            request.Values = ParseFiniteList(raw.Values, 8, "--values");
        request.Formula = raw.Formula;
        RunEval(request, out);
    } else if (damage->parsed()) {
        TDamageRequest request;
        if (HasSetupText(*damage)) {
            const TSetupText setup = ReadSetupText(raw.SetupText);
            request.Weapon = {raw.WeaponsFile, setup.WeaponName};
            request.Stats = SetupTextStats(setup);
            request.Formula = setup.DamageFormula;
            request.Rounding = setup.Rounding;
        } else {
            if (damage->count("--weapons") > 0) {
                request.Weapon = WeaponChoice(raw);
            } else {
                request.Low = ParseFinite(raw.Low, "--low");
                request.High = ParseFinite(raw.High, "--high");
                request.Average = ParseFinite(raw.Average, "--average");
                request.Type = raw.Type;
            }
            request.Stats = ParseInt32List(raw.Stats, 6, "--stats");
            request.Formula = raw.DamageFormula;
            if (damage->count("--rounding") > 0)
                request.Rounding = RoundingMode(raw.Rounding);
        }
        request.Json = raw.Json;
        request.Explain = raw.Explain;
        RunDamage(request, out);
    } else if (speed->parsed()) {
        TSpeedRequest request;
        if (HasSetupText(*speed)) {
            const TSetupText setup = ReadSetupText(raw.SetupText);
            request.Weapon = {raw.WeaponsFile, setup.WeaponName};
            request.Stats = {setup.Stats.STR, setup.Stats.DEX, setup.Stats.INT};
            request.Formula = setup.SpeedFormula;
        } else {
            if (speed->count("--weapons") > 0)
                request.Weapon = WeaponChoice(raw);
            else
                request.Speed = AtLeast(raw.Speed, "--speed", 1);
            request.Stats = ParseInt32List(raw.Stats, 3, "--stats");
            request.Formula = raw.SpeedFormula;
        }
        request.Json = raw.Json;
        RunSpeed(request, out);
    } else if (spread->parsed()) {
        TSpreadRequest request;
        request.Dice = AtLeast(raw.Dice, "--dice", 0);
        request.Sides = AtLeast(raw.Sides, "--sides", 0);
        request.Bonus = ParseInt32(raw.Bonus, "--bonus");
        request.Json = raw.Json;
        RunSpread(request, out);
    } else if (radar->parsed()) {
        TRadarRequest request;
        request.Damage = ParseInt32(raw.Damage, "--damage");
        request.TopProbability = ParseFinite(raw.TopProbability, "--top-probability");
        request.Speed = AtLeast(raw.Speed, "--speed", 1);
        request.Type = raw.Type;
        request.Json = raw.Json;
        RunRadar(request, out);
    } else if (weapons->parsed()) {
        RunWeapons(TWeaponsRequest{raw.File, raw.Json}, out);
    } else if (rank->parsed()) {
        TRankRequest request;
        request.WeaponsFile = raw.WeaponsFile;
        if (HasSetupText(*rank)) {
            // Every weapon of the table is ranked; the text's own weapon is not singled out.
            const TSetupText setup = ReadSetupText(raw.SetupText);
            request.Stats = SetupTextStats(setup);
            request.Formulas = {setup.DamageFormula, setup.SpeedFormula, setup.Rounding};
        } else {
            request.Stats = ParseInt32List(raw.Stats, 6, "--stats");
            request.Formulas = FormulaChoice(*rank, raw);
        }
        request.Sort = ParseRankColumn(raw.Sort);
        request.Format = TableFormat(raw);
        RunRank(request, out);
    } else if (compare->parsed()) {
        RunCompare(
            {raw.WeaponsFile, SetupChoices(raw), FormulaChoice(*compare, raw), TableFormat(raw)},
            out);
    } else if (gains->parsed()) {
        TGainsRequest request;
        request.Weapon = WeaponChoice(raw);
        request.Stats = ParseInt32List(raw.Stats, 6, "--stats");
        request.Formulas = FormulaChoice(*gains, raw);
        request.Format = TableFormat(raw);
        RunGains(request, out);
    } else if (sweep->parsed()) {
        TSweepRequest request;
        request.WeaponsFile = raw.WeaponsFile;
        request.Setups = SetupChoices(raw);
        request.Stat = ParseStat(raw.Stat);
        const std::int32_t end = StatMaximum(request.Stat);
        if (sweep->count("--from") > 0)
            request.From = AtLeast(raw.From, "--from", 0);
        request.To = end;
        if (sweep->count("--to") > 0)
            request.To = AtLeast(raw.To, "--to", 0);
        if (sweep->count("--step") > 0)
            request.Step = AtLeast(raw.Step, "--step", 1);
        // A skill ends at 100; the stats go on as far as a setup may take them.
        const auto checkEnd = [&](std::int32_t value, const std::string& text, const char* option) {
            if (end == 100 && value > end)
                throw EArgumentError(std::string(option) + ": \"" + text +
                                     "\" is above 100, where " +
                                     std::string(StatName(request.Stat)) + " ends");
        };
        checkEnd(request.From, raw.From, "--from");
        checkEnd(request.To, raw.To, "--to");
        if (request.From > request.To)
            throw EArgumentError("--from: " + std::to_string(request.From) + " is above --to " +
                                 std::to_string(request.To));
        request.Formulas = FormulaChoice(*sweep, raw);
        request.Format = TableFormat(raw);
        RunSweep(request, out);
    } else if (setupText->parsed()) {
        RunSetupText({raw.WeaponsFile, raw.WeaponName, ParseInt32List(raw.Stats, 6, "--stats"),
                      FormulaChoice(*setupText, raw)},
                     out);
    }
    return 0;
}

} // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    static const char* const fallback[] = {"quillmarch-cli"};
    if (argc < 1 || argv == nullptr) {
        argc = 1;
        argv = fallback;
    }
    try {
        return Run(argc, argv, out, err);
    } catch (const EArgumentError& error) {
        err << error.what() << "\nRun with --help for more information.\n";
    } catch (const EFormulaFault& error) {
        err << error.ClassName() << ": " << FaultWords(error) << '\n'
            << PointInto(error.Formula(), error.Position()) << '\n';
    } catch (const Exception& error) {
        err << error.ClassName() << ": " << FaultWords(error) << '\n';
    } catch (const std::exception& error) {
        err << "Error: " << error.what() << '\n';
    } catch (...) {
        err << "Error: an unexpected failure\n";
    }
    return 1;
}
