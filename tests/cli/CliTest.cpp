#include "cli/Cli.h"
#include "cli/TextLayout.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using nlohmann::json;

const std::string WeaponsFile = std::string(QUILLMARCH_SOURCE_DIR) + "/data/WData.csv";

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
        {"later slots keep their default names",
         {"eval", "--names", "p", "--values", "2,0,0,0,0,0,0,5", "p*x"},
         "10\n"},
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

TEST(CliWeapons, MissingFileIsAnAnswerNotAnError)
{
    const TRun run = RunArgs({"weapons", "--file", "/nonexistent/WData.csv", "--json"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_TRUE(run.Err.empty());
    const json answer = json::parse(run.Out);
    EXPECT_EQ(answer["count"], 0);
    EXPECT_TRUE(answer["weapons"].empty());
    EXPECT_EQ(answer["message"], "WData.csvファイルが存在しません。");

    const TRun plain = RunArgs({"weapons", "--file", "/nonexistent/WData.csv"});
    EXPECT_EQ(plain.Code, 0);
    EXPECT_NE(plain.Out.find("0 weapons\nWData.csvファイルが存在しません。"), std::string::npos)
        << plain.Out;
}

// A weapons file in the test's temporary directory, removed afterwards.
class TTemporaryFile
{
public:
    explicit TTemporaryFile(const std::string& text)
        : m_path(std::filesystem::temp_directory_path() /
                 ("quillmarch-cli-test-" + std::to_string(::getpid()) + ".csv"))
    {
        std::ofstream(m_path, std::ios::binary) << text;
    }
    ~TTemporaryFile() { std::filesystem::remove(m_path); }
    std::string Path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

TEST(CliWeapons, BrokenFileIsReportedByEachCommandInItsWay)
{
    const TTemporaryFile file("Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n"
                              "0,Club,8,24,16,4x,Mace,4,5,4,4d5+4\n");
    const TRun list = RunArgs({"weapons", "--file", file.Path(), "--json"});
    EXPECT_EQ(list.Code, 0);
    const json answer = json::parse(list.Out);
    EXPECT_EQ(answer["count"], 0);
    EXPECT_TRUE(answer["weapons"].empty());
    ASSERT_TRUE(answer["message"].is_string());
    EXPECT_EQ(answer["message"].get<std::string>().rfind("CSVFileのエラーです。", 0), 0u);

    const TRun damage =
        RunArgs({"damage", "--weapons", file.Path(), "--weapon", "Club", "--stats", "0,0,0,0,0,0"});
    EXPECT_EQ(damage.Code, 1);
    EXPECT_TRUE(damage.Out.empty());
    EXPECT_EQ(damage.Err.rfind("EFileError: CSVFileのエラーです。", 0), 0u) << damage.Err;
}

TEST(CliWeapons, HeaderOnlyFileHasNoWeaponsAndNoMessage)
{
    const TTemporaryFile file("Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n");
    const json answer = RunJson({"weapons", "--file", file.Path(), "--json"});
    EXPECT_EQ(answer, json::parse(R"({"weapons":[],"count":0,"message":null})"));
    const TRun damage =
        RunArgs({"damage", "--weapons", file.Path(), "--weapon", "Club", "--stats", "0,0,0,0,0,0"});
    EXPECT_EQ(damage.Code, 1);
    EXPECT_NE(damage.Err.find("no weapon named \"Club\""), std::string::npos) << damage.Err;
}

TEST(CliErrors, ReportOnStderrWithExitCodeOne)
{
    struct TCase
    {
        const char* Name;
        std::vector<std::string> Args;
        const char* ErrStart;
        const char* ErrContains;
    } const cases[] = {
        {"unbound name", DamageArgs({"--formula", "2+y"}), "ESyntaxError: ", ""},
        {"missing bracket", {"eval", "(1+2"}, "EMissMatchingBracket: ", ""},
        {"division by zero", {"eval", "1/0"}, "EZeroDivide: ", ""},
        {"speed zero", {"speed", "--speed", "0", "--stats", "0,0,0"}, "EZeroDivide: ", ""},
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
        {"bad value", {"eval", "--values", "1,x", "a"}, "--values", ""},
        {"unknown command", {"fly"}, "", ""},
        {"no command", {}, "", "subcommand"},
        {"missing dice", {"spread", "--sides", "6", "--bonus", "0"}, "", "--dice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = RunArgs(c.Args);
        EXPECT_EQ(run.Code, 1);
        EXPECT_TRUE(run.Out.empty()) << run.Out;
        EXPECT_EQ(run.Err.rfind(c.ErrStart, 0), 0u) << run.Err;
        EXPECT_NE(run.Err.find(c.ErrContains), std::string::npos) << run.Err;
        // A message follows the class name.
        EXPECT_GT(run.Err.size(), std::string(c.ErrStart).size() + 5) << run.Err;
    }
}

TEST(CliErrors, FormulaMessageIsTheEvaluatorsText)
{
    const TRun run = RunArgs({"eval", "2+y"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(run.Err == "ESyntaxError: The expression is improper. Please check it.\n" ||
                run.Err == "ESyntaxError: 誤った表記が見られます。修正して下さい。\n")
        << run.Err;
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
