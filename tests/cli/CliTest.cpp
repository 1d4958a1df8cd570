#include "cli/Cli.h"
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/TextLayout.h"
#include "weapons/FileKind.h"
#include "weapons/SetupText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using nlohmann::json;

const std::string WeaponsFile = std::string(QUILLMARCH_SOURCE_DIR) + "/data/WData.csv";
const std::string TableHeader = "Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n";

struct TRun
{
    int Code = -1;
    std::string Out;
    std::string Err;
};

TRun RunArgs(std::vector<std::string> args)
{
    args.insert(args.begin(), "quillmarch-cli");
    std::vector<const char*> argv;
    for (const auto& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out, err;
    TRun run;
    run.Code = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

json RunJson(const std::vector<std::string>& args)
{
    const TRun run = RunArgs(args);
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_TRUE(run.Err.empty()) << run.Err;
    return json::parse(run.Out);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> DamageArgs(std::vector<std::string> extra)
{
    std::vector<std::string> args{"damage",           "--low", "10",     "--high", "20",
                                  "--average",        "15",    "--type", "Swords", "--stats",
                                  "100,0,0,100,100,0"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

TEST(CliEval, PrintsSeventeenSignificantDigits)
{
    struct TCase
    {
        const char* Name;
        std::vector<std::string> Args;
        const char* Expected;
    } const cases[] = {
        {"a third", {"eval", "1/3"}, "0.33333333333333331\n"},
        {"default names", {"eval", "--values", "1,2,3,4,5,6,7,8", "a+x*10"}, "81\n"},
        {"fewer values fill the first slots", {"eval", "--values", "2,3", "a*b+c"}, "6\n"},
        {"negative value", {"eval", "--values", "-1.5", "a"}, "-1.5\n"},
        {"own names, longest bound first",
         {"eval", "--names", "Damage,Dam", "--values", "3,4", "Damage*Dam"},
         "12\n"},
        {"no default name takes a named variable",
         {"eval", "--names", "x", "--values", "3", "x*2"},
         "6\n"},
        {"a default name moves with the slots named",
         {"eval", "--names", "g,a", "--values", "3,4", "g+a"},
         "7\n"},
        {"negative zero prints as 0", {"eval", "0*-1"}, "0\n"},
        {"formula after --", {"eval", "--", "-2^2"}, "-4\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = RunArgs(c.Args);
        EXPECT_EQ(run.Code, 0) << run.Err;
        EXPECT_EQ(run.Out, c.Expected);
    }
}

TEST(CliDamage, JsonHoldsTheHqFiguresAndTheFullTable)
{
    const json answer = RunJson(DamageArgs({"--json"}));
    ASSERT_TRUE(answer.contains("hq"));
    // HQ damages: truncate(x * 1.2) with factor (1.5 + 0.2 + 0.3) / 2 = 1.
    EXPECT_EQ(answer["hq"]["low"], 12.0);
    EXPECT_EQ(answer["hq"]["high"], 24.0);
    EXPECT_EQ(answer["hq"]["average"], 18.0);
    const json& table = answer["table"];
    ASSERT_EQ(table.size(), 6u);
    for (const auto& accuracy : table) {
        ASSERT_EQ(accuracy.size(), 6u);
        for (const auto& figures : accuracy)
            ASSERT_EQ(figures.size(), 3u);
    }
    // Normal/Normal: 10 * 2 / 2 + 0, then rounded up.
    EXPECT_EQ(table[0][0][0], 10.0);
    EXPECT_EQ(table[0][0][1], 20.0);
    EXPECT_EQ(table[0][0][2], 15.0);
    // Accurate adds 0.05 to TacticsR: 10 * 2.05 / 2 = 10.25, rounded up to 11.
    EXPECT_EQ(table[1][0][0], 11.0);
    // Vanquishing adds 9.
    EXPECT_EQ(table[0][5][0], 19.0);
}

TEST(CliDamage, RoundingAndFormulaReachTheCalculator)
{
    const json unrounded = RunJson(DamageArgs({"--rounding", "3", "--json"}));
    EXPECT_DOUBLE_EQ(unrounded["table"][1][0][0].get<double>(), 10.25);
    const json down = RunJson(DamageArgs({"--rounding", "1", "--json"}));
    EXPECT_EQ(down["table"][1][0][0], 10.0);
    const json custom = RunJson(DamageArgs({"--formula", "Damage+STR+DEX", "--json"}));
    EXPECT_EQ(custom["table"][0][0][0], 110.0);
    EXPECT_EQ(custom["hq"]["high"], 124.0);
}

TEST(CliDamage, ArcheryIgnoresTheAccuracyLevels)
{
    const json answer =
        RunJson({"damage", "--low", "7", "--high", "23", "--average", "15", "--type", "Archery",
                 "--stats", "60,90,20,85,40,0", "--rounding", "3", "--json"});
    for (int a = 1; a < 6; ++a)
        EXPECT_EQ(answer["table"][a], answer["table"][0]) << "accuracy level " << a;
}

TEST(CliDamage, NamedWeaponEqualsTheSameWeaponDescribed)
{
    // Katana in the bundled table: 5, 26, 15.5, Swords.
    const std::vector<std::string> stats{"--stats", "83,100,25,97,61,100"};
    std::vector<std::string> named{"damage", "--weapons",  WeaponsFile, "--weapon",
                                   "Katana", "--rounding", "3",         "--json"};
    std::vector<std::string> described{"damage", "--low",      "5",    "--high",
                                       "26",     "--average",  "15.5", "--type",
                                       "Swords", "--rounding", "3",    "--json"};
    named.insert(named.end(), stats.begin(), stats.end());
    described.insert(described.end(), stats.begin(), stats.end());
    EXPECT_EQ(RunJson(named), RunJson(described));
}

TEST(CliDamage, PlainTextAlignsTheTable)
{
    const TRun run = RunArgs(DamageArgs({}));
    ASSERT_EQ(run.Code, 0) << run.Err;
    const auto lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 2u + 1u + 18u);
    EXPECT_EQ(lines[0], "HQ: Low 12  High 24  Ave 18");
    EXPECT_EQ(lines[1], "");
    EXPECT_NE(lines[2].find("Normal  Ruin"), std::string::npos);
    EXPECT_NE(lines[2].find("Power  Vanquishing"), std::string::npos);
    EXPECT_EQ(lines[3].rfind("Normal        Low", 0), 0u) << lines[3];
    EXPECT_EQ(lines[18].rfind("Supremely     Low", 0), 0u) << lines[18];
    EXPECT_EQ(lines[20].rfind("              Ave", 0), 0u) << lines[20];
    // Right-aligned numbers under right-aligned headings: every line of the
    // table ends in the same column.
    for (std::size_t i = 3; i < lines.size(); ++i)
        EXPECT_EQ(DisplayWidth(lines[i]), DisplayWidth(lines[2])) << lines[i];
    // Normal/Normal Low is 10, and it ends where "Normal" of the header ends.
    const auto headerNormalEnd = lines[2].find("Normal") + 6;
    EXPECT_EQ(lines[3].substr(headerNormalEnd - 2, 2), "10");
}

TEST(CliSpeed, JsonHoldsDelaysAndMergedRanges)
{
    const json answer = RunJson({"speed", "--speed", "40", "--stats", "0,0,0", "--json"});
    const json& delays = answer["delays"];
    ASSERT_EQ(delays.size(), 201u);
    EXPECT_EQ(delays[0], 15.0);
    // 150 / (10 + n): 150 / 11 = 13.6 rounds up to 14.
    EXPECT_EQ(delays[1], 14.0);
    const json& ranges = answer["ranges"];
    ASSERT_FALSE(ranges.empty());
    int next = 0;
    for (const auto& range : ranges) {
        const int from = range["from"], to = range["to"];
        EXPECT_EQ(from, next);
        EXPECT_LE(from, to);
        for (int n = from; n <= to; ++n)
            EXPECT_EQ(delays[n], range["delay"]) << "DEX " << n;
        if (to < 200) {
            EXPECT_NE(delays[to + 1], range["delay"]) << "DEX " << to;
        }
        next = to + 1;
    }
    EXPECT_EQ(next, 201);
}

TEST(CliSpeed, PlainTextListsAlignedRanges)
{
    const TRun run = RunArgs({"speed", "--speed", "40", "--stats", "0,0,0"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    const auto lines = Lines(run.Out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front().rfind("0  ", 0), 0u) << lines.front();
    EXPECT_EQ(lines.front().substr(lines.front().size() - 5), "15sec");
    EXPECT_NE(lines.back().find("\u301C200"), std::string::npos) << lines.back();
    const auto delayColumn = [](const std::string& line) {
        return DisplayWidth(line.substr(0, line.rfind(' ') + 1));
    };
    for (const auto& line : lines) {
        EXPECT_EQ(line.substr(line.size() - 3), "sec") << line;
        EXPECT_EQ(delayColumn(line), delayColumn(lines.front())) << line;
    }
}

TEST(CliSpeed, NamedWeaponTakesItsSpeedFromTheTable)
{
    // Katana: speed 58.
    EXPECT_EQ(RunJson({"speed", "--weapons", WeaponsFile, "--weapon", "Katana", "--stats", "1,2,3",
                       "--json"}),
              RunJson({"speed", "--speed", "58", "--stats", "1,2,3", "--json"}));
    const json constant =
        RunJson({"speed", "--speed", "40", "--stats", "0,0,0", "--formula", "3.2", "--json"});
    ASSERT_EQ(constant["ranges"].size(), 1u);
    EXPECT_EQ(constant["ranges"][0], json({{"from", 0}, {"to", 200}, {"delay", 3.5}}));
}

TEST(CliSpread, TwoSixSidedDice)
{
    const json answer =
        RunJson({"spread", "--dice", "2", "--sides", "6", "--bonus", "0", "--json"});
    const json& bars = answer["bars"];
    ASSERT_EQ(bars.size(), 60u);
    EXPECT_DOUBLE_EQ(bars[6].get<double>(), 100.0 * 6 / 36);
    EXPECT_DOUBLE_EQ(bars[1].get<double>(), 100.0 * 1 / 36);
    EXPECT_EQ(bars[0], 0.0);
    EXPECT_EQ(bars[12], 0.0);
    EXPECT_EQ(answer["high_probability"], bars[6]);
    double total = 0;
    for (const auto& bar : bars)
        total += bar.get<double>();
    EXPECT_NEAR(total, 100.0, 1e-9);
}

TEST(CliSpread, PlainTextListsTheLikelyDamages)
{
    const TRun run = RunArgs({"spread", "--dice", "1", "--sides", "4", "--bonus", "2"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Damage  Probability\n"
                       "     3          25%\n"
                       "     4          25%\n"
                       "     5          25%\n"
                       "     6          25%\n"
                       "High probability: 25%\n");
}

TEST(CliRadar, JsonHoldsTheFactors)
{
    const json full = RunJson({"radar", "--damage", "41", "--top-probability", "17", "--speed",
                               "58", "--type", "Swords", "--json"});
    EXPECT_EQ(full["speed_factor"], 1.0);
    EXPECT_EQ(full["damage_factor"], 1.0);
    EXPECT_DOUBLE_EQ(full["overall"].get<double>(), 1.0);
    EXPECT_EQ(full["stability"], 100);
    ASSERT_TRUE(full["stability"].is_number_integer());

    const json staff = RunJson({"radar", "--damage", "20", "--top-probability", "10", "--speed",
                                "33", "--type", "Staff", "--json"});
    EXPECT_DOUBLE_EQ(staff["overall"].get<double>(), (0.5 + 17.0 / 38) / 2 * 0.8);
    EXPECT_EQ(staff["stability"], 50);
}

TEST(CliWeapons, BundledTableAsLoaded)
{
    const json answer = RunJson({"weapons", "--file", WeaponsFile, "--json"});
    EXPECT_TRUE(answer["message"].is_null());
    ASSERT_EQ(answer["count"], 41);
    ASSERT_EQ(answer["weapons"].size(), 41u);
    EXPECT_EQ(answer["weapons"][2], json::parse(R"({"index":2,"name":"Katana","low":5.0,
        "high":26.0,"average":15.5,"speed":58,"type":"Swords","dice_count":3,"dice_sides":8,
        "bonus":2,"note":"3d8+2"})"));
    EXPECT_EQ(answer["weapons"][40]["name"], "Heavy Crossbow");
}

// A weapons file in the test's temporary directory, or a directory or FIFO
// in its place, removed afterwards.
class TTemporaryFile
{
public:
    explicit TTemporaryFile(const std::string& text) : m_path(NewPath())
    {
        std::ofstream(m_path, std::ios::binary) << text;
    }
    explicit TTemporaryFile(TFileKind kind) : m_path(NewPath())
    {
        if (kind == TFileKind::Directory)
            std::filesystem::create_directory(m_path);
        else if (kind != TFileKind::Fifo || ::mkfifo(m_path.c_str(), 0600) != 0)
            throw std::runtime_error("cannot make " + m_path.string());
    }
    ~TTemporaryFile() { std::filesystem::remove(m_path); }
    std::string Path() const { return m_path.string(); }

private:
    static std::filesystem::path NewPath()
    {
        static int made = 0;
        return std::filesystem::temp_directory_path() /
               ("quillmarch-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(++made) +
                ".csv");
    }

    std::filesystem::path m_path;
};

TEST(CliWeapons, UnreadableTableFailsButStillAnswersInJson)
{
    const TTemporaryFile broken(TableHeader + "0,Club,8,24,16,4x,Mace,4,5,4,4d5+4\n");
    struct TCase
    {
        const char* Name;
        std::string File;
        const char* Message;
    } const cases[] = {
        {"missing", "/nonexistent/WData.csv", "The file WData.csv does not exist."},
        {"broken line", broken.Path(), "Error in the CSV file.\nLine 2: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun list = RunArgs({"weapons", "--file", c.File, "--json"});
        EXPECT_EQ(list.Code, 1);
        EXPECT_EQ(list.Err.rfind(std::string("EFileError: ") + c.Message, 0), 0u) << list.Err;
        const json answer = json::parse(list.Out);
        EXPECT_EQ(answer["count"], 0);
        EXPECT_TRUE(answer["weapons"].empty());
        ASSERT_TRUE(answer["message"].is_string());
        EXPECT_EQ("EFileError: " + answer["message"].get<std::string>() + "\n", list.Err);

        const TRun plain = RunArgs({"weapons", "--file", c.File});
        EXPECT_EQ(plain.Code, 1);
        EXPECT_EQ(plain.Out, "");
        EXPECT_EQ(plain.Err, list.Err);
    }

    const TRun damage = RunArgs(
        {"damage", "--weapons", broken.Path(), "--weapon", "Club", "--stats", "0,0,0,0,0,0"});
    EXPECT_EQ(damage.Code, 1);
    EXPECT_TRUE(damage.Out.empty());
    EXPECT_EQ(damage.Err, "EFileError: Error in the CSV file.\nLine 2: Speed column \"4x\" is not "
                          "an integer\n");

    // A Japanese system reads the words the program has always used.
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
    const TRun japanese = RunArgs({"weapons", "--file", broken.Path()});
    unsetenv("LC_ALL");
    EXPECT_EQ(japanese.Err,
              "EFileError: CSVFileのエラーです。\n2行目: Speed列 \"4x\" は整数ではありません\n");
}

TEST(CliWeapons, DirectoryOrPipeIsRefusedBeforeItIsOpened)
{
    struct TCase
    {
        TFileKind Kind;
        const char* What;
    } const kinds[] = {{TFileKind::Directory, "a directory"},
                       {TFileKind::Fifo, "a named pipe (FIFO)"}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.What);
        const TTemporaryFile node(kind.Kind);
        const std::string message =
            "The weapons file is " + std::string(kind.What) + ": " + node.Path();
        const std::vector<std::vector<std::string>> commands{
            {"weapons", "--file", node.Path()},
            {"weapons", "--file", node.Path(), "--json"},
            {"rank", "--weapons", node.Path(), "--stats", "1,2,3,4,5,6"},
            {"damage", "--weapons", node.Path(), "--weapon", "Club", "--stats", "0,0,0,0,0,0"},
            {"speed", "--weapons", node.Path(), "--weapon", "Club", "--stats", "0,0,0"},
        };
        for (const auto& args : commands) {
            SCOPED_TRACE(args[0] + " " + args.back());
            // In a child that an alarm ends, should a FIFO ever be opened
            // and wait for its writer.
            EXPECT_EXIT(
                {
                    ::alarm(10);
                    const TRun run = RunArgs(args);
                    const bool json = args.back() == "--json";
                    const bool ok =
                        run.Code == 1 &&
                        run.Err == message + "\nRun with --help for more information.\n" &&
                        (json ? json::parse(run.Out)["message"] == message : run.Out.empty());
                    std::cerr << "exit " << run.Code << "\n" << run.Out << run.Err;
                    std::_Exit(ok ? 0 : 2);
                },
                testing::ExitedWithCode(0), "");
        }
    }
}

TEST(CliWeapons, HeaderOnlyFileHasNoWeaponsAndNoMessage)
{
    const TTemporaryFile file(TableHeader);
    const json answer = RunJson({"weapons", "--file", file.Path(), "--json"});
    EXPECT_EQ(answer, json::parse(R"({"weapons":[],"count":0,"message":null})"));
    const TRun damage =
        RunArgs({"damage", "--weapons", file.Path(), "--weapon", "Club", "--stats", "0,0,0,0,0,0"});
    EXPECT_EQ(damage.Code, 1);
    EXPECT_NE(damage.Err.find("no weapon named \"Club\""), std::string::npos) << damage.Err;
}

// The figures of one weapon as the single-weapon commands give them.
struct TSingleFigures
{
    double Average = 0;
    double HQAverage = 0;
    double Delay = 0;
    double TopProbability = 0;
    int Overall = 0;
};

TSingleFigures SingleFigures(const json& weapon, const std::string& stats,
                             const std::vector<std::string>& damageOptions,
                             const std::vector<std::string>& speedOptions)
{
    const std::string name = weapon["name"];
    std::vector<std::string> damageArgs{"damage", "--weapons", WeaponsFile, "--weapon",
                                        name,     "--stats",   stats,       "--json"};
    damageArgs.insert(damageArgs.end(), damageOptions.begin(), damageOptions.end());
    const json damage = RunJson(damageArgs);
    const auto items = SplitList(stats);
    const std::string strDexInt = items.at(0) + "," + items.at(1) + "," + items.at(2);
    std::vector<std::string> speedArgs{"speed", "--weapons", WeaponsFile, "--weapon",
                                       name,    "--stats",   strDexInt,   "--json"};
    speedArgs.insert(speedArgs.end(), speedOptions.begin(), speedOptions.end());
    const json speed = RunJson(speedArgs);
    const json spread =
        RunJson({"spread", "--dice", std::to_string(weapon["dice_count"].get<int>()), "--sides",
                 std::to_string(weapon["dice_sides"].get<int>()), "--bonus",
                 std::to_string(weapon["bonus"].get<int>()), "--json"});

    TSingleFigures figures;
    figures.Average = damage["table"][0][0][2];
    figures.HQAverage = damage["hq"]["average"];
    figures.Delay = speed["delays"][std::stoi(items.at(1))];
    figures.TopProbability = spread["high_probability"];
    const json radar = RunJson({"radar", "--damage",
                                std::to_string(static_cast<long long>(std::trunc(figures.Average))),
                                "--top-probability", FormatExact(figures.TopProbability), "--speed",
                                std::to_string(weapon["speed"].get<int>()), "--type",
                                weapon["type"].get<std::string>(), "--json"});
    figures.Overall = static_cast<int>(std::trunc(radar["overall"].get<double>() * 100));
    return figures;
}

std::vector<std::string> RankArgs(std::vector<std::string> extra)
{
    std::vector<std::string> args{"rank", "--weapons", WeaponsFile, "--stats",
                                  "83,100,25,97,61,100"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

const json* RowNamed(const json& rows, const std::string& name)
{
    for (const auto& row : rows)
        if (row["name"] == name)
            return &row;
    return nullptr;
}

TEST(CliRank, RowsAgreeWithTheSingleWeaponCommands)
{
    struct TCase
    {
        const char* Name;
        const char* Stats;
        std::vector<std::string> DamageOptions;
        std::vector<std::string> SpeedOptions;
    } const cases[] = {
        {"defaults", "83,100,25,97,61,100", {}, {}},
        {"no rounding, low DEX", "40,35,10,80,20,50", {"--rounding", "3"}, {}},
        // Both formulas divide by STR, which would fault on a zero placeholder.
        {"formulas dividing by a stat",
         "50,120,10,90,30,0",
         {"--formula", "Damage*(TacticsR+LumberjR)/STR*40", "--rounding", "2"},
         {"--formula", "15000/(STR*SPEED)"}},
    };
    const json table = RunJson({"weapons", "--file", WeaponsFile, "--json"})["weapons"];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> args{"rank",    "--weapons", WeaponsFile,
                                      "--stats", c.Stats,     "--json"};
        args.insert(args.end(), c.DamageOptions.begin(), c.DamageOptions.end());
        if (!c.SpeedOptions.empty())
            args.insert(args.end(), {"--speed-formula", c.SpeedOptions[1]});
        const json rows = RunJson(args);
        ASSERT_EQ(rows.size(), table.size());
        for (const char* name :
             {"Katana", "Axe", "Double Axe", "Bow", "Heavy Crossbow", "Mace", "Quarter Staff"}) {
            SCOPED_TRACE(name);
            const json* row = RowNamed(rows, name);
            ASSERT_NE(row, nullptr);
            const json& weapon = table[(*row)["index"].get<int>()];
            ASSERT_EQ(weapon["name"], name);
            const TSingleFigures single =
                SingleFigures(weapon, c.Stats, c.DamageOptions, c.SpeedOptions);
            EXPECT_EQ((*row)["type"], weapon["type"]);
            EXPECT_EQ((*row)["speed"], weapon["speed"]);
            EXPECT_EQ((*row)["average"], single.Average);
            EXPECT_EQ((*row)["hq_average"], single.HQAverage);
            EXPECT_EQ((*row)["delay"], single.Delay);
            EXPECT_DOUBLE_EQ((*row)["dps"].get<double>(), single.Average / single.Delay);
            EXPECT_EQ((*row)["top_probability"], single.TopProbability);
            EXPECT_EQ((*row)["overall"], single.Overall);
        }
    }
}

TEST(CliRank, LumberjackRaisesTheAxesOnly)
{
    const json without = RunJson({"rank", "--weapons", WeaponsFile, "--stats", "83,100,25,97,61,0",
                                  "--json", "--sort", "name"});
    const json with = RunJson({"rank", "--weapons", WeaponsFile, "--stats", "83,100,25,97,61,100",
                               "--json", "--sort", "name"});
    ASSERT_EQ(without.size(), with.size());
    for (std::size_t i = 0; i < with.size(); ++i) {
        SCOPED_TRACE(with[i]["name"].get<std::string>());
        if (with[i]["type"] == "AXE")
            EXPECT_GT(with[i]["average"], without[i]["average"]);
        else
            EXPECT_EQ(with[i]["average"], without[i]["average"]);
    }
}

// Each row's index once, and the rows ordered by `before` with equal keys in
// table order.
template <typename TKeyOf>
void ExpectOrdered(const json& rows, std::size_t count, TKeyOf keyOf, bool descending)
{
    ASSERT_EQ(rows.size(), count);
    std::vector<bool> seen(count, false);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int index = rows[i]["index"];
        ASSERT_FALSE(seen.at(index)) << "index " << index;
        seen[index] = true;
        if (i == 0)
            continue;
        const auto a = keyOf(rows[i - 1]), b = keyOf(rows[i]);
        if (a == b)
            EXPECT_LT(rows[i - 1]["index"], rows[i]["index"]) << "tie at row " << i;
        else
            EXPECT_EQ(a > b, descending) << "row " << i;
    }
}

TEST(CliRank, SortsBestFirstWithTiesInTableOrder)
{
    const auto number = [](const char* key) {
        return [key](const json& row) { return row[key].get<double>(); };
    };
    const json byDps = RunJson(RankArgs({"--json"}));
    ExpectOrdered(byDps, 41, number("dps"), true);
    // The bundled table has equal damage per second (Axe and Executioner's Axe).
    bool tie = false;
    for (std::size_t i = 1; i < byDps.size(); ++i)
        tie = tie || byDps[i]["dps"] == byDps[i - 1]["dps"];
    EXPECT_TRUE(tie);
    EXPECT_EQ(RunJson(RankArgs({"--json", "--sort", "dps"})), byDps);

    ExpectOrdered(RunJson(RankArgs({"--json", "--sort", "delay"})), 41, number("delay"), false);
    ExpectOrdered(RunJson(RankArgs({"--json", "--sort", "top"})), 41, number("top_probability"),
                  true);
    ExpectOrdered(RunJson(RankArgs({"--json", "--sort", "overall"})), 41, number("overall"), true);
    ExpectOrdered(
        RunJson(RankArgs({"--json", "--sort", "name"})), 41,
        [](const json& row) { return row["name"].get<std::string>(); }, false);
}

TEST(CliRank, WeaponsWithoutDamagePerSecondGoLast)
{
    // Weapons of speed 40 or less get no positive delay.
    const std::vector<std::string> args =
        RankArgs({"--speed-formula", "(SPEED-40)/10", "--sort", "dps"});
    std::vector<std::string> jsonArgs = args;
    jsonArgs.push_back("--json");
    const json rows = RunJson(jsonArgs);
    ASSERT_EQ(rows.size(), 41u);
    std::size_t firstMissing = rows.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i]["dps"].is_null()) {
            firstMissing = std::min(firstMissing, i);
            EXPECT_LE(rows[i]["speed"], 40);
        } else {
            EXPECT_EQ(firstMissing, rows.size()) << "a figure after a missing one, row " << i;
            EXPECT_GT(rows[i]["speed"], 40);
        }
    }
    ASSERT_LT(firstMissing, rows.size());

    const TRun text = RunArgs(args);
    ASSERT_EQ(text.Code, 0) << text.Err;
    const auto lines = Lines(text.Out);
    ASSERT_EQ(lines.size(), 42u);
    // Last row: "-" under "DPS", right-aligned.
    const std::size_t dpsEnd = lines[0].find("DPS") + 3;
    EXPECT_EQ(lines.back().substr(dpsEnd - 2, 2), " -") << lines.back();

    // The CSV leaves the field empty instead.
    std::vector<std::string> csvArgs = args;
    csvArgs.push_back("--csv");
    const TRun csv = RunArgs(csvArgs);
    ASSERT_EQ(csv.Code, 0) << csv.Err;
    EXPECT_EQ(Lines(csv.Out).back(), "40,Heavy Crossbow,Archery,10,-3,30,36,,6.00,37");
}

// A minimal RFC 4180 reader: quoted fields with doubled quotes, no line
// breaks inside fields.
std::vector<std::string> CsvFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

TEST(CliRank, CsvCarriesTheJsonFigures)
{
    const TRun csv = RunArgs(RankArgs({"--csv", "--sort", "delay"}));
    ASSERT_EQ(csv.Code, 0) << csv.Err;
    const json rows = RunJson(RankArgs({"--json", "--sort", "delay"}));
    const auto lines = Lines(csv.Out);
    ASSERT_EQ(lines.size(), rows.size() + 1);
    EXPECT_EQ(lines[0],
              "index,name,type,speed,delay,average,hq_average,dps,top_probability,overall");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const json& row = rows[i];
        SCOPED_TRACE(row["name"].get<std::string>());
        const auto fields = CsvFields(lines[i + 1]);
        ASSERT_EQ(fields.size(), 10u) << lines[i + 1];
        EXPECT_EQ(fields[0], std::to_string(row["index"].get<int>()));
        EXPECT_EQ(fields[1], row["name"]);
        EXPECT_EQ(fields[2], row["type"]);
        EXPECT_EQ(std::stod(fields[4]), row["delay"].get<double>());
        EXPECT_EQ(std::stod(fields[5]), row["average"].get<double>());
        EXPECT_EQ(std::stod(fields[6]), row["hq_average"].get<double>());
        // Two decimals.
        ASSERT_EQ(fields[7].size() - fields[7].find('.'), 3u) << fields[7];
        // Half a hundredth, and a little for the decimal text of the rounded figure.
        const double hundredthHalf = 0.005 + 1e-12;
        EXPECT_NEAR(std::stod(fields[7]), row["dps"].get<double>(), hundredthHalf);
        EXPECT_NEAR(std::stod(fields[8]), row["top_probability"].get<double>(), hundredthHalf);
        EXPECT_EQ(fields[9], std::to_string(row["overall"].get<int>()));
    }
}

TEST(CliRank, CsvQuotesNamesWithQuotes)
{
    // The table itself splits on every comma, so a quote is what a name can hold.
    const TTemporaryFile file(TableHeader + "0,Club,8,24,16,40,Mace,4,5,4,4d5+4\n"
                                            "1,Old \"Blade\",5,26,15.5,58,Swords,3,8,2,3d8+2\n");
    const TRun csv = RunArgs({"rank", "--weapons", file.Path(), "--stats", "100,100,0,100,0,0",
                              "--csv", "--sort", "name"});
    ASSERT_EQ(csv.Code, 0) << csv.Err;
    const auto lines = Lines(csv.Out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].rfind("0,Club,Mace,40,", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("1,\"Old \"\"Blade\"\"\",Swords,58,", 0), 0u) << lines[2];
    const auto fields = CsvFields(lines[2]);
    ASSERT_EQ(fields.size(), 10u) << lines[2];
    EXPECT_EQ(fields[1], "Old \"Blade\"");
}

TEST(CliRank, EmptyTableGivesHeadersOnly)
{
    const TTemporaryFile file(TableHeader);
    const std::vector<std::string> args{"rank", "--weapons", file.Path(), "--stats", "1,2,3,4,5,6"};
    const auto with = [&](const char* format) {
        std::vector<std::string> formatted = args;
        formatted.push_back(format);
        return formatted;
    };
    EXPECT_EQ(RunJson(with("--json")), json::array());
    const TRun csv = RunArgs(with("--csv"));
    EXPECT_EQ(csv.Code, 0);
    EXPECT_EQ(csv.Out,
              "index,name,type,speed,delay,average,hq_average,dps,top_probability,overall\n");
    const TRun text = RunArgs(args);
    EXPECT_EQ(text.Code, 0);
    EXPECT_EQ(text.Out, "Name  Type  Speed  Delay  Average  HQ  DPS  Top %  Overall\n");
}

TEST(CliRank, PlainTextIsAnAlignedTable)
{
    const TRun run = RunArgs(RankArgs({}));
    ASSERT_EQ(run.Code, 0) << run.Err;
    const auto lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 42u);
    EXPECT_EQ(lines[0].rfind("Name ", 0), 0u) << lines[0];
    const json rows = RunJson(RankArgs({"--json"}));
    const std::size_t typeColumn = lines[0].find("Type");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        // Left-aligned names and types, right-aligned numbers ending together.
        EXPECT_EQ(lines[i].rfind(rows[i - 1]["name"].get<std::string>(), 0), 0u) << lines[i];
        EXPECT_EQ(lines[i].substr(typeColumn, rows[i - 1]["type"].get<std::string>().size()),
                  rows[i - 1]["type"]);
        EXPECT_EQ(DisplayWidth(lines[i]), DisplayWidth(lines[0])) << lines[i];
    }
}

namespace {

// A failing command: exit code 1, nothing on standard output, and standard
// error starting with ErrStart and containing ErrContains.
struct TErrorCase
{
    const char* Name;
    std::vector<std::string> Args;
    const char* ErrStart;
    const char* ErrContains;
};

TRun ExpectError(const TErrorCase& c)
{
    TRun run = RunArgs(c.Args);
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(run.Out.empty()) << run.Out;
    EXPECT_EQ(run.Err.rfind(c.ErrStart, 0), 0u) << run.Err;
    EXPECT_NE(run.Err.find(c.ErrContains), std::string::npos) << run.Err;
    return run;
}

} // namespace

TEST(CliRank, ArgumentAndFormulaErrors)
{
    const TErrorCase cases[] = {
        {"unknown sort key", RankArgs({"--sort", "speedy"}), "--sort: \"speedy\"",
         "name, type, speed, delay, average, hq, dps, top, overall"},
        {"five stats", {"rank", "--weapons", WeaponsFile, "--stats", "1,2,3,4,5"}, "--stats", "6"},
        {"stat not a number",
         {"rank", "--weapons", WeaponsFile, "--stats", "1,2,x,4,5,6"},
         "--stats",
         "not an integer"},
        {"no stats", {"rank", "--weapons", WeaponsFile}, "", "--stats"},
        {"no weapons file", {"rank", "--stats", "1,2,3,4,5,6"}, "", "--weapons"},
        {"missing weapons file",
         {"rank", "--weapons", "/nonexistent/W.csv", "--stats", "1,2,3,4,5,6"},
         "The weapons file does not exist",
         ""},
        {"json and csv", RankArgs({"--json", "--csv"}), "", "excludes"},
        {"rounding mode", RankArgs({"--rounding", "-1"}), "--rounding", ""},
        {"rejected damage formula", RankArgs({"--formula", "Damage+"}), "E", ""},
        {"unbound speed name", RankArgs({"--speed-formula", "SPEED*y"}), "ESyntaxError: ", ""},
        {"fault in one row", RankArgs({"--formula", "1/(Damage-20)", "--rounding", "3"}),
         "EZeroDivide: ", ""},
        {"fault for a stat",
         {"rank", "--weapons", WeaponsFile, "--stats", "1,2,3,4,5,6", "--formula",
          "Damage/(STR-1)"},
         "EZeroDivide: ",
         ""},
        {"speed fault", RankArgs({"--speed-formula", "1/(SPEED-58)"}), "EZeroDivide: ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = ExpectError(c);
        // Reported once: one line, and one more only for the pointer to
        // --help, or two pointing into the formula.
        const auto lines = Lines(run.Err);
        EXPECT_GE(lines.size(), 1u);
        EXPECT_LE(lines.size(), 3u) << run.Err;
        if (lines.size() == 2) {
            EXPECT_EQ(lines[1], "Run with --help for more information.");
        }
        if (lines.size() == 3) {
            EXPECT_EQ(lines[2].find_first_not_of(' '), lines[2].size() - 1) << run.Err;
            EXPECT_EQ(lines[2].back(), '^') << run.Err;
        }
    }
}

TEST(CliErrors, ReportOnStderrWithExitCodeOne)
{
    const TErrorCase cases[] = {
        {"unbound name", DamageArgs({"--formula", "2+y"}), "ESyntaxError: ", ""},
        {"missing bracket", {"eval", "(1+2"}, "EMissMatchingBracket: ", ""},
        {"division by zero", {"eval", "1/0"}, "EZeroDivide: ", ""},
        {"speed zero", {"speed", "--speed", "0", "--stats", "0,0,0"}, "--speed", "below 1"},
        {"negative speed",
         {"radar", "--damage", "9", "--top-probability", "5", "--speed", "-5", "--type", "Mace"},
         "--speed",
         "below 1"},
        {"negative sides",
         {"spread", "--dice", "2", "--sides", "-6", "--bonus", "0"},
         "--sides",
         ""},
        {"too few stats",
         {"damage", "--low", "1", "--high", "2", "--average", "1.5", "--type", "Mace", "--stats",
          "1,2,3"},
         "--stats",
         "6"},
        {"speed wants three stats",
         {"speed", "--speed", "40", "--stats", "1,2,3,4,5,6"},
         "--stats",
         "3"},
        {"stat out of range",
         {"speed", "--speed", "40", "--stats", "2147483648,0,0"},
         "--stats",
         "32-bit"},
        {"stat not a number",
         {"speed", "--speed", "40", "--stats", "a,0,0"},
         "--stats",
         "not an integer"},
        {"speed out of range",
         {"speed", "--speed", "-2147483649", "--stats", "0,0,0"},
         "--speed",
         "32-bit"},
        {"infinite damage",
         {"damage", "--low", "inf", "--high", "2", "--average", "1", "--type", "Mace", "--stats",
          "0,0,0,0,0,0"},
         "--low",
         "finite"},
        {"rounding mode", DamageArgs({"--rounding", "4"}), "--rounding", ""},
        {"damage without low",
         {"damage", "--high", "2", "--average", "1", "--type", "Mace", "--stats", "0,0,0,0,0,0"},
         "damage: --low",
         "--weapons"},
        {"described and named",
         {"damage", "--low", "1", "--high", "2", "--average", "1", "--type", "Mace", "--weapons",
          WeaponsFile, "--weapon", "Club", "--stats", "0,0,0,0,0,0"},
         "",
         "excludes"},
        {"weapon without file", {"speed", "--weapon", "Club", "--stats", "0,0,0"}, "", "requires"},
        {"unknown weapon",
         {"damage", "--weapons", WeaponsFile, "--weapon", "Excalibur", "--stats", "0,0,0,0,0,0"},
         "There is no weapon named \"Excalibur\"",
         ""},
        {"missing weapons file",
         {"speed", "--weapons", "/nonexistent/W.csv", "--weapon", "Club", "--stats", "0,0,0"},
         "The weapons file does not exist",
         ""},
        {"nine names", {"eval", "--names", "a,b,c,d,e,f,g,h,i", "a"}, "--names", ""},
        {"disabled name", {"eval", "--names", ",b", "a+b"}, "ESyntaxError: ", ""},
        {"later slots unnamed", {"eval", "--names", "p", "p*x"}, "ESyntaxError: ", ""},
        {"name of a digit", {"eval", "--names", "2", "1"}, "EVariableNameError: ", "\"2\""},
        {"name pi", {"eval", "--names", "pi", "1"}, "EVariableNameError: ", "\"pi\""},
        {"function in name", {"eval", "--names", "spin", "1"}, "EVariableNameError: ", "\"spin\""},
        {"name twice", {"eval", "--names", "x,x", "x"}, "EVariableNameError: ", "\"x\""},
        {"bad value", {"eval", "--values", "1,x", "a"}, "--values", ""},
        {"unknown command", {"fly"}, "", ""},
        {"no command", {}, "", "subcommand"},
        {"missing dice", {"spread", "--sides", "6", "--bonus", "0"}, "", "--dice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = ExpectError(c);
        // A message follows the class name.
        EXPECT_GT(run.Err.size(), std::string(c.ErrStart).size() + 5) << run.Err;
    }
}

// `command` on the bundled table, one --setup per setup.
std::vector<std::string> SetupArgs(const char* command, const std::vector<std::string>& setups,
                                   const std::vector<std::string>& extra)
{
    std::vector<std::string> args{command, "--weapons", WeaponsFile};
    for (const auto& setup : setups)
        args.insert(args.end(), {"--setup", setup});
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// A setup's weapon and its inputs as --stats takes them, input `input` set to `value`.
std::pair<std::string, std::string> SetupParts(const std::string& setup, std::size_t input = 6,
                                               int value = 0)
{
    auto stats = SplitList(setup.substr(setup.rfind('@') + 1));
    if (input < stats.size())
        stats[input] = std::to_string(value);
    std::string list;
    for (const auto& stat : stats)
        list += (list.empty() ? "" : ",") + stat;
    return {setup.substr(0, setup.rfind('@')), list};
}

TEST(CliCompare, CellsAgreeWithTheSingleWeaponClasses)
{
    struct TCase
    {
        std::vector<std::string> Setups;
        const char* Formula;
        const char* SpeedFormula;
        std::int32_t Rounding;
    } const cases[] = {
        {{"Katana@100,100,25,100,100,100", "Double Axe@90,35,25,80,60,100"},
         DefaultDamageMethod,
         DefaultSpeedMethod,
         RoundUp},
        // DEX past the speed grid's 200.
        {{"Bow@60,90,20,85,40,0", "Axe@100,0,0,100,100,7", "Heavy Crossbow@50,230,10,90,30,0"},
         "Damage*(TacticsR+LumberjR)/2+STR/7",
         "15000/((30+3*DEXR)*SPEED)",
         NoRounding},
    };
    const json table = RunJson({"weapons", "--file", WeaponsFile, "--json"})["weapons"];
    for (const auto& c : cases) {
        const json rows =
            RunJson(SetupArgs("compare", c.Setups,
                              {"--formula", c.Formula, "--speed-formula", c.SpeedFormula,
                               "--rounding", std::to_string(c.Rounding), "--json"}));
        ASSERT_EQ(rows.size(), 16u);
        const auto cell = [&](std::size_t row, const char* key, std::size_t s) {
            EXPECT_EQ(rows[row]["row"], key);
            return rows[row]["values"][s];
        };
        for (std::size_t s = 0; s < c.Setups.size(); ++s) {
            const auto [name, list] = SetupParts(c.Setups[s]);
            SCOPED_TRACE(c.Setups[s]);
            const auto stats = ParseInt32List(list, 6, "--setup");
            const json& w = *RowNamed(table, name);
            TWeaponDataAndPCData data{stats[0], stats[1], stats[2], stats[3],
                                      stats[4], stats[5], {}};
            data.Weapon = {w["high"], w["low"], w["average"], w["type"], name};
            TWeaponDamges damages(data);
            damages.SetRoundingMode(c.Rounding);
            damages.SetDamageMethod(c.Formula);
            const TWeaponSpeedData character{name, w["speed"], stats[1], stats[0], stats[2]};
            TWeaponSpeed speed;
            speed.SetSpeedMethod(c.SpeedFormula);
            // Any DEX, where the grid's Delays() end at 200.
            double delay = 0;
            speed.DelaysAt(character, std::vector<double>{w["speed"]}, std::span(&delay, 1));
            EXPECT_EQ(cell(0, "weapon", s), name);
            EXPECT_EQ(cell(2, "dex", s), stats[1]);
            EXPECT_EQ(cell(7, "hq_low", s), damages.HQLow());
            EXPECT_EQ(cell(8, "hq_high", s), damages.HQHigh());
            EXPECT_EQ(cell(9, "hq_average", s), damages.HQAve());
            EXPECT_EQ(cell(10, "average", s), damages.Table()[0][0][2]);
            EXPECT_EQ(cell(11, "supreme_average", s), damages.Table()[5][5][2]);
            EXPECT_EQ(cell(12, "delay", s), delay);
            EXPECT_DOUBLE_EQ(cell(13, "dps", s).get<double>(), damages.Table()[0][0][2] / delay);
        }
    }
}

TEST(CliCompare, TextAndCsvMarkTheBestAndShowDifferences)
{
    // The first setup twice: equal figures are best together and differ by nothing.
    const std::vector<std::string> setups{"Katana@100,100,25,100,100,100",
                                          "Axe@100,100,25,100,100,100",
                                          "Katana@100,100,25,100,100,100"};
    const auto text = Lines(RunArgs(SetupArgs("compare", setups, {})).Out);
    ASSERT_EQ(text.size(), 16u);
    EXPECT_EQ(text[0], "Weapon           Katana     Axe            Katana");
    EXPECT_EQ(text[12], "Delay                 1*    1.5   (+0.5)        1*  (0)");
    EXPECT_EQ(text[13], "DPS               16.00*  15.33   (-0.67)   16.00*  (0.00)");
    const auto csv = Lines(RunArgs(SetupArgs("compare", setups, {"--csv"})).Out);
    ASSERT_EQ(csv.size(), 17u);
    EXPECT_EQ(csv[0], "row,value_1,value_2,value_3,difference_2,difference_3,best_1,best_2,best_3");
    EXPECT_EQ(csv[1], "weapon,Katana,Axe,Katana,,,0,0,0");
    EXPECT_EQ(csv[14], "dps,16.00,15.33,16.00,-0.67,0.00,1,0,1");
}

TEST(CliSweep, PointsAgreeWithTheSingleWeaponCommands)
{
    const json table = RunJson({"weapons", "--file", WeaponsFile, "--json"})["weapons"];
    const std::vector<std::string> setups{"Katana@83,100,25,97,61,100",
                                          "Double Axe@50,35,10,80,60,100"};
    struct TCase
    {
        std::vector<std::string> Args;
        std::size_t Input;
        std::vector<int> Values;
    } const cases[] = {
        {{"--stat", "DEX", "--from", "20", "--to", "60", "--step", "20"}, 1, {20, 40, 60}},
        // A skill ends at 100; a step past the end is not taken.
        {{"--stat", "tactics", "--from", "95", "--step", "2"}, 3, {95, 97, 99}},
        {{"--stat", "str", "--from", "240", "--step", "5"}, 0, {240, 245, 250}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.Args;
        args.push_back("--json");
        const json answer = RunJson(SetupArgs("sweep", setups, args));
        const json& points = answer["points"];
        ASSERT_EQ(points.size(), c.Values.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(points[i]["value"], c.Values[i]);
            for (std::size_t s = 0; s < setups.size(); ++s) {
                const auto [name, list] = SetupParts(setups[s], c.Input, c.Values[i]);
                SCOPED_TRACE(name + " at " + list);
                const TSingleFigures single = SingleFigures(*RowNamed(table, name), list, {}, {});
                const json& figures = points[i]["setups"][s];
                EXPECT_EQ(figures["average"], single.Average);
                EXPECT_DOUBLE_EQ(figures["dps"].get<double>(), single.Average / single.Delay);
            }
        }
    }
}

TEST(CliGains, ChangesAgreeWithTheSingleWeaponCommands)
{
    const json katana = RunJson({"weapons", "--file", WeaponsFile, "--json"})["weapons"][2];
    const std::string stats = "100,90,25,90,100,0", setup = "Katana@" + stats;
    const std::vector<std::string> args{"gains",  "--weapons", WeaponsFile, "--weapon",
                                        "Katana", "--stats",   stats};
    std::vector<std::string> jsonArgs = args;
    jsonArgs.push_back("--json");
    const json answer = RunJson(jsonArgs);
    const TSingleFigures base = SingleFigures(katana, args.back(), {}, {});
    EXPECT_EQ(answer["delay"], base.Delay);
    // Anatomy is at its end already, and Tactics' +10 reaches it, so it has no "max".
    const json& gains = answer["gains"];
    ASSERT_EQ(gains.size(), 14u);
    const std::vector<std::string> inputs{"STR", "DEX", "INT", "Tactics", "Anatomy", "Lumberjack"};
    for (std::size_t i = 0; i < gains.size(); ++i) {
        const json& gain = gains[i];
        SCOPED_TRACE(gain.dump());
        EXPECT_EQ(gain["best"], i == 0);
        const auto input = std::find(inputs.begin(), inputs.end(), gain["input"]) - inputs.begin();
        EXPECT_EQ(gain["from"], std::stoi(SplitList(args.back()).at(input)));
        // The speed command's table ends at DEX 200; the text below pins DEX 250.
        if (input == 1 && gain["to"] > MaxDex)
            continue;
        const TSingleFigures after =
            SingleFigures(katana, SetupParts(setup, input, gain["to"]).second, {}, {});
        EXPECT_EQ(gain["hq_average"], after.HQAverage - base.HQAverage);
        EXPECT_EQ(gain["average"], after.Average - base.Average);
        EXPECT_EQ(gain["delay"], after.Delay - base.Delay);
        EXPECT_DOUBLE_EQ(gain["dps"].get<double>(),
                         after.Average / after.Delay - base.Average / base.Delay);
    }
    const json delays = RunJson({"speed", "--weapons", WeaponsFile, "--weapon", "Katana", "--stats",
                                 "100,90,25", "--json"})["delays"];
    int faster = 91;
    while (delays[faster] >= delays[90])
        ++faster;
    EXPECT_EQ(answer["next_faster_swing"],
              json({{"more_dex", faster - 90}, {"delay", delays[faster]}}));

    const auto text = Lines(RunArgs(args).Out);
    ASSERT_EQ(text.size(), 1u + 14u + 1u);
    EXPECT_EQ(text[1], "DEX         max     90  \u2192  250   0        0     -1  +20.00*");
    EXPECT_EQ(text.back(), "Next faster swing: +4 DEX \u2192 1 s");
}

TEST(CliSetups, MalformedArgumentsAreNamed)
{
    const std::string katana = "Katana@100,25,100,100,100,0";
    const auto compare = [&](const char* setup) {
        return SetupArgs("compare", {setup, katana}, {});
    };
    const auto sweep = [&](std::vector<std::string> range) {
        return SetupArgs("sweep", {katana}, range);
    };
    const TErrorCase cases[] = {
        {"unknown weapon", compare("Katanna@100,25,100,100,100,0"),
         "--setup \"Katanna@100,25,100,100,100,0\": no weapon named \"Katanna\"\n", ""},
        {"split at the last @", compare("Axe@1@1,2,3,4,5,6"),
         "--setup \"Axe@1@1,2,3,4,5,6\": no weapon named \"Axe@1\"\n", ""},
        {"no @", compare("Katana"),
         "--setup \"Katana\": expected NAME@STR,DEX,INT,Tactics,Anatomy,Lumberjack\n", ""},
        {"skill over 100, stats are not", compare("Katana@300,300,300,100,101,0"),
         "--setup \"Katana@300,300,300,100,101,0\": Anatomy 101 is above 100\n", ""},
        {"negative", compare("Katana@0,-1,0,0,0,0"),
         "--setup \"Katana@0,-1,0,0,0,0\": DEX -1 is below 0\n", ""},
        {"one setup", SetupArgs("compare", {katana}, {}),
         "--setup: 2 to 6 setups to compare, got 1\n", ""},
        {"gains",
         {"gains", "--weapons", WeaponsFile, "--weapon", "Katana", "--stats", "0,0,0,0,0,101"},
         "--stats: Lumberjack 101 is above 100\n",
         ""},
        {"unknown input", sweep({"--stat", "Luck"}),
         "--stat: \"Luck\" is not one of STR, DEX, INT, Tactics, Anatomy, Lumberjack\n", ""},
        {"skill past 100", sweep({"--stat", "tactics", "--to", "101"}),
         "--to: \"101\" is above 100, where Tactics ends\n", ""},
        {"from past the default end", sweep({"--stat", "INT", "--from", "251"}),
         "--from: 251 is above --to 250\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectError(c);
    }
}

TEST(CliSetupText, StandsForTheOptionsItReplaces)
{
    const std::string damage = "Damage * (TacticsR + STR/400 + AnatomyR) / 2 + Plus";
    const std::string speed = "12000/((20+2.5*DEXR)*SPEED)", stats = "90,85,25,97,61,100";
    const TRun written =
        RunArgs({"setup", "--weapons", WeaponsFile, "--weapon", "Double Axe", "--stats", stats,
                 "--formula", damage, "--speed-formula", speed, "--rounding", "2"});
    ASSERT_EQ(written.Code, 0) << written.Err;
    ASSERT_EQ(written.Out.find('\n'), written.Out.size() - 1) << written.Out;
    EXPECT_EQ(SetupText(ParseSetupText(written.Out)),
              SetupText({"Double Axe", {90, 85, 25, 97, 61, 100, {}}, damage, speed, 2}));

    struct TCase
    {
        std::vector<std::string> Separate;
        std::vector<std::string> Same;
    } const cases[] = {
        {{"--stats", stats, "--formula", damage, "--rounding", "2", "--weapon", "Double Axe"}, {}},
        {{"--stats", stats, "--formula", damage, "--rounding", "2", "--weapon", "Double Axe",
          "--json", "--explain"},
         {"--json", "--explain"}},
        {{"--stats", "90,85,25", "--formula", speed, "--weapon", "Double Axe"}, {}},
        {{"--stats", stats, "--formula", damage, "--speed-formula", speed, "--rounding", "2",
          "--csv"},
         {"--csv"}},
    };
    const char* const commands[] = {"damage", "damage", "speed", "rank"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const TRun expected = RunArgs(SetupArgs(commands[i], {}, cases[i].Separate));
        // Blanks around the text, as a chat client leaves them.
        const TRun actual =
            RunArgs(SetupArgs(commands[i], {" " + written.Out + " "}, cases[i].Same));
        ASSERT_EQ(expected.Code, 0) << expected.Err;
        EXPECT_GT(expected.Out.size(), 100u);
        EXPECT_EQ(actual.Code, 0) << actual.Err;
        EXPECT_EQ(actual.Out, expected.Out);
    }
}

TEST(CliDamage, ExplainShowsTheWorkingOfTheFiguresShown)
{
    const std::vector<std::string> args{"damage", "--weapons", WeaponsFile,          "--weapon",
                                        "Katana", "--stats",   "100,25,100,100,0,0", "--explain"};
    std::vector<std::string> jsonArgs = args;
    jsonArgs.push_back("--json");
    const json answer = RunJson(jsonArgs);
    const json& explain = answer["explain"];
    ASSERT_EQ(explain.size(), 4u);
    EXPECT_EQ(explain["hq_low"]["rounded"], answer["hq"]["low"]);
    EXPECT_EQ(explain["hq_high"]["rounded"], answer["hq"]["high"]);
    EXPECT_EQ(explain["hq_average"]["rounded"], answer["hq"]["average"]);
    EXPECT_EQ(explain["average"]["rounded"], answer["table"][0][0][2]);
    // The raw value in full: it reads 13.175 only when rounded to fewer digits.
    EXPECT_EQ(explain["average"], json::parse(R"({"substituted":"(15.5*(1.5+(100/500)+0+0))/2+0",
        "raw":13.174999999999999,"rounding":"up","rounded":14.0})"));

    const auto lines = Lines(RunArgs(args).Out);
    ASSERT_EQ(lines.size(), 3u + 19u + 5u);
    EXPECT_EQ(lines[22], "");
    EXPECT_EQ(lines[23], "HQ Low:             (6*(1.5+(100/500)+0+0))/2+0 = 5.1, rounded up: 6");
    EXPECT_EQ(lines[26], "Normal/Normal Ave:  (15.5*(1.5+(100/500)+0+0))/2+0 = "
                         "13.174999999999999, rounded up: 14");
}

// The words follow the locale; the caret counts a wide character as two columns.
TEST(CliErrors, FormulaFaultPointsIntoTheFormula)
{
    struct TRow
    {
        const char* Name;
        const char* Locale;
        std::vector<std::string> Args;
        const char* Err;
    };
    const TRow rows[] = {
        {"English",
         "C",
         {"eval", "2 + y"},
         "ESyntaxError: The expression is improper. Please check it.\n  2 + y\n      ^\n"},
        {"Japanese, after wide characters",
         "ja_JP.UTF-8",
         {"eval", "カタナ+(1"},
         "EMissMatchingBracket: 括弧の数が一致していません。式を再点検してください。\n"
         "  カタナ+(1\n         ^\n"},
        {"evaluation fault in Japanese",
         "ja_JP.UTF-8",
         {"eval", "--values", "3", "a/(a-3)"},
         "EZeroDivide: Floating point division by zero\n  a/(a-3)\n   ^\n"},
        {"formula of a setup text", "C",
         SetupArgs("damage", {"qm1;w=Katana;s=1,2,3,4,5,6;r=0;d=1;v=(SPEED)*)1("}, {}),
         "EMissMatchingBracket: Number of bracket is miss-matching. Review your expression.\n"
         "  (SPEED)*)1(\n          ^\n"},
    };
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    for (const TRow& row : rows) {
        setenv("LC_ALL", row.Locale, 1);
        const TRun run = RunArgs(row.Args);
        EXPECT_EQ(run.Code, 1) << row.Name;
        EXPECT_EQ(run.Err, row.Err) << row.Name;
    }
    if (old)
        setenv("LC_ALL", saved.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

TEST(CliSetupText, RefusedTextsAndOptionsAreNamed)
{
    const std::string katana = "qm1;w=Katana;s=100,25,100,100,100,0;r=0;d=Damage;v=SPEED";
    const auto damage = [](const char* text) { return SetupArgs("damage", {text}, {}); };
    const auto setup = [](std::vector<std::string> options) {
        options.insert(options.begin(), "setup");
        return options;
    };
    const TErrorCase cases[] = {
        {"stats besides", SetupArgs("damage", {katana}, {"--stats", "1,2,3,4,5,6"}),
         "--stats excludes --setup", ""},
        {"speed formula besides", SetupArgs("rank", {katana}, {"--speed-formula", "SPEED"}),
         "--speed-formula excludes --setup", ""},
        {"weapon besides", SetupArgs("speed", {katana}, {"--weapon", "Katana"}),
         "--weapon excludes --setup", ""},
        {"no weapons file",
         {"speed", "--setup", katana},
         "speed: --setup needs --weapons FILE",
         ""},
        {"skill above 100", damage("qm1;w=Katana;s=1,2,3,4,5,101;r=0;d=1;v=1"),
         "--setup: field \"s\" (the six inputs): Lumberjack 101 is above 100\n"
         "  qm1;w=Katana;s=1,2,3,4,5,101;r=0;d=1;v=1\n"
         "                           ^\n",
         ""},
        {"damage formula", damage("qm1;w=Katana;s=1,2,3,4,5,6;r=0;d=Damage%2By;v=SPEED"),
         "ESyntaxError: ", ""},
        {"speed formula of a damage text", damage("qm1;w=Katana;s=1,2,3,4,5,6;r=0;d=1;v=(SPEED"),
         "EMissMatchingBracket: ", ""},
        {"setup of an unknown weapon",
         setup({"--weapons", WeaponsFile, "--weapon", "Katanna", "--stats", "1,2,3,4,5,6"}),
         "There is no weapon named \"Katanna\"", ""},
        {"setup with a skill above 100", setup({"--weapon", "Katana", "--stats", "1,2,3,101,5,6"}),
         "--stats: Tactics 101 is above 100\n", ""},
        {"setup with a bad formula",
         setup({"--weapon", "K", "--stats", "1,2,3,4,5,6", "--formula", "Damage+"}), "E", ""},
        {"setup without a name", setup({"--weapon", "", "--stats", "1,2,3,4,5,6"}),
         "--weapon: the name is empty\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectError(c);
    }
}

TEST(CliHelp, PrintsUsageAndSucceeds)
{
    const TRun top = RunArgs({"--help"});
    EXPECT_EQ(top.Code, 0);
    for (const char* command : {"eval", "damage", "speed", "spread", "radar", "weapons"})
        EXPECT_NE(top.Out.find(command), std::string::npos) << command;
    const TRun damage = RunArgs({"damage", "--help"});
    EXPECT_EQ(damage.Code, 0);
    EXPECT_NE(damage.Out.find("--stats"), std::string::npos);
    EXPECT_NE(damage.Out.find("(Damage*(TacticsR+(STR/500)+AnatomyR+LumberjR))/2+Plus"),
              std::string::npos);
    EXPECT_TRUE(damage.Err.empty());
}

} // namespace
