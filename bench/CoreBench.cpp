#include "expr/MathsParser.h"
#include "weapons/DamageSpread.h"
#include "weapons/WeaponD.h"
#include "weapons/WeaponRanking.h"
#include "weapons/WeaponSpeed.h"
#include "weapons/WeaponTable.h"

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// The evaluator against two baselines in one run: the same formulas written
// in C++ (each step in long double, stored as double, as the evaluator does:
// the limit) and muparser. bench/run turns the results into ratios.
namespace {

// The default damage formula, operation by operation in the evaluator's
// order: "/" before "*" within a bracket, "+" from the left.
double HandDamage(double str, double damage, double tacticsR, double anatomyR, double lumberjR,
                  double plus)
{
    using L = long double;
    const double byStr = static_cast<double>(L(str) / 500.0L);
    const double sum1 = static_cast<double>(L(tacticsR) + byStr);
    const double sum2 = static_cast<double>(L(sum1) + anatomyR);
    const double sum3 = static_cast<double>(L(sum2) + lumberjR);
    const double product = static_cast<double>(L(damage) * sum3);
    const double half = static_cast<double>(L(product) / 2.0L);
    return static_cast<double>(L(half) + plus);
}

// The default speed formula: 2.5 * DEXR, 25 + that, times SPEED, 15000 over it.
double HandSpeed(double dexR, double speed)
{
    using L = long double;
    const double scaled = static_cast<double>(2.5L * dexR);
    const double sum = static_cast<double>(25.0L + scaled);
    const double product = static_cast<double>(L(sum) * speed);
    return static_cast<double>(15000.0L / product);
}

// Copies of the calculators' rounding, so that the baselines inline them as
// the calculators do (the library's are out of line here).
inline double RoundByMode(double value, std::int32_t mode)
{
    switch (mode) {
    case RoundUp:
        return std::ceil(value);
    case RoundDown:
        return std::floor(value);
    case RoundHalfAwayFromZero:
        return std::round(value);
    default:
        return value;
    }
}

inline double RoundUpToHalfSecond(double value)
{
    const double whole =
        std::fabs(value) < 0x1p52
            ? std::copysign(static_cast<double>(static_cast<std::int64_t>(value)), value)
            : value;
    const double fraction = value - whole;
    const int halves = static_cast<int>(fraction > 0) + static_cast<int>(fraction > 0.5);
    return whole + std::copysign(0.5 * halves, whole);
}

constexpr std::int32_t TacticsBonuses[6] = {0, 5, 10, 15, 20, 25};
constexpr std::int32_t DamagePluses[6] = {0, 1, 3, 5, 7, 9};

std::int32_t SkillBonus(std::int32_t skill)
{
    if (skill == 0)
        return 0;
    if (skill == 100)
        return 30;
    return static_cast<std::int32_t>(std::ceil(skill / 5.0));
}

TWeaponDataAndPCData Character()
{
    TWeaponDataAndPCData data;
    data.STR = 100;
    data.DEX = 100;
    data.INT = 25;
    data.Tactics = 100;
    data.Anatomy = 100;
    data.Lumberjack = 100;
    data.Weapon = {21, 11, 16, "AXE", "Battle Axe"};
    return data;
}

// The damage refresh (3 HQ and 108 table values, rounded) with the formula
// given as a callable of the six formula inputs, the same steps as the
// calculator's own.
struct TDamageResults
{
    double HQ[3];
    TDamageTable Table;
};

template <typename Formula>
void RefreshDamage(const TWeaponDataAndPCData& data, std::int32_t mode, Formula formula,
                   TDamageResults& results)
{
    const std::int32_t anatomy = SkillBonus(data.Anatomy);
    const std::int32_t lumberjack = data.Weapon.Type == "AXE" ? SkillBonus(data.Lumberjack) : 0;
    const bool archery = data.Weapon.Type == "Archery";
    const auto evaluate = [&](double base, bool hq, std::int32_t tactics, std::int32_t plus) {
        double damage = hq ? std::trunc(base * 1.2) : base;
        if (base == 0)
            damage = 1;
        const double tacticsR = (static_cast<double>(data.Tactics) + 50 + tactics) / 100;
        return RoundByMode(
            formula(data.STR, damage, tacticsR, anatomy / 100.0, lumberjack / 100.0, plus), mode);
    };
    const double bases[3] = {data.Weapon.LowDamage, data.Weapon.HighDamage,
                             data.Weapon.AverageDamage};
    for (int f = 0; f < 3; ++f)
        results.HQ[f] = evaluate(bases[f], true, 0, 0);
    for (int a = 0; a < 6; ++a)
        for (int d = 0; d < 6; ++d)
            for (int f = 0; f < 3; ++f)
                results.Table[a][d][f] =
                    evaluate(bases[f], false, archery ? 0 : TacticsBonuses[a], DamagePluses[d]);
}

// The speed refresh: 201 delays rounded up to half a second, merged into ranges.
template <typename Formula>
void RefreshSpeed(Formula formula, std::array<double, MaxDex + 1>& delays,
                  std::vector<TSpeedRange>& ranges)
{
    for (int n = 0; n <= MaxDex; ++n)
        delays[static_cast<std::size_t>(n)] = RoundUpToHalfSecond(formula(n));
    ranges.clear();
    int start = 0, column = 1, row = 0;
    for (int n = 0; n <= MaxDex; ++n) {
        const auto i = static_cast<std::size_t>(n);
        if (n < MaxDex && delays[i] == delays[i + 1])
            continue;
        if (column > 7) {
            column = 0;
            row += 2;
        }
        ranges.push_back({start, n, delays[i], column, row});
        start = n + 1;
        ++column;
    }
}

// muparser with the damage formula's variables bound to its own fields.
struct TMuDamage
{
    double STR = 0, Damage = 0, TacticsR = 0, AnatomyR = 0, LumberjR = 0, Plus = 0;
    mu::Parser Parser;

    TMuDamage()
    {
        Parser.DefineVar("STR", &STR);
        Parser.DefineVar("Damage", &Damage);
        Parser.DefineVar("TacticsR", &TacticsR);
        Parser.DefineVar("AnatomyR", &AnatomyR);
        Parser.DefineVar("LumberjR", &LumberjR);
        Parser.DefineVar("Plus", &Plus);
        Parser.SetExpr(DefaultDamageMethod);
    }
    double operator()(double str, double damage, double tacticsR, double anatomyR, double lumberjR,
                      double plus)
    {
        STR = str;
        Damage = damage;
        TacticsR = tacticsR;
        AnatomyR = anatomyR;
        LumberjR = lumberjR;
        Plus = plus;
        return Parser.Eval();
    }
};

struct TMuSpeed
{
    double DEXR = 0, SPEED = 46;
    mu::Parser Parser;

    TMuSpeed()
    {
        Parser.DefineVar("DEXR", &DEXR);
        Parser.DefineVar("SPEED", &SPEED);
        Parser.SetExpr(DefaultSpeedMethod);
    }
    double operator()(double dexR)
    {
        DEXR = dexR;
        return Parser.Eval();
    }
};

TMathsParser DamageParser()
{
    static const char* const Names[8] = {"STR",      "Damage", "TacticsR", "AnatomyR",
                                         "LumberjR", "Plus",   "DEX",      "INT"};
    TMathsParser parser;
    for (std::size_t i = 0; i < 8; ++i)
        parser.SetVarName(i, Names[i]);
    parser.SetExpression(DefaultDamageMethod);
    return parser;
}

TMathsParser SpeedParser()
{
    static const char* const Names[8] = {"STR", "SPEED", "DEXR", "d", "e", "f", "DEX", "INT"};
    TMathsParser parser;
    for (std::size_t i = 0; i < 8; ++i)
        parser.SetVarName(i, Names[i]);
    parser.SetExpression(DefaultSpeedMethod);
    parser.SetV2(46);
    return parser;
}

// One evaluation, the damage argument (the speed formula's DEX) changing
// each time, on either path of Value(): the machine code, or the interpreter
// it stands in for.
void DamageValue(benchmark::State& state, bool native)
{
    // On the heap, as the calculators hold their evaluators in the program.
    const auto owner = std::make_unique<TMathsParser>(DamageParser());
    TMathsParser& parser = *owner;
    if (!native) {
        parser.SetNativeCode(false);
    }
    parser.SetV1(100);
    parser.SetV3(1.5);
    parser.SetV4(0.3);
    double damage = 11;
    for (auto _ : state) {
        parser.SetV2(damage);
        benchmark::DoNotOptimize(parser.Value());
        damage = damage < 30 ? damage + 1 : 11;
    }
}

void SpeedValue(benchmark::State& state, bool native)
{
    const auto owner = std::make_unique<TMathsParser>(SpeedParser());
    TMathsParser& parser = *owner;
    if (!native) {
        parser.SetNativeCode(false);
    }
    double dex = 0;
    for (auto _ : state) {
        parser.SetV3(dex);
        benchmark::DoNotOptimize(parser.Value());
        dex = dex < 200 ? dex + 1 : 0;
    }
}

void Damage_Value(benchmark::State& state)
{
    DamageValue(state, true);
}
BENCHMARK(Damage_Value);

void Damage_Hand(benchmark::State& state)
{
    double str = 100, tacticsR = 1.5, anatomyR = 0.3, lumberjR = 0, plus = 0, damage = 11;
    for (auto _ : state) {
        benchmark::DoNotOptimize(str);
        benchmark::DoNotOptimize(tacticsR);
        benchmark::DoNotOptimize(anatomyR);
        benchmark::DoNotOptimize(lumberjR);
        benchmark::DoNotOptimize(plus);
        benchmark::DoNotOptimize(HandDamage(str, damage, tacticsR, anatomyR, lumberjR, plus));
        damage = damage < 30 ? damage + 1 : 11;
    }
}
BENCHMARK(Damage_Hand);

void Damage_MuParser(benchmark::State& state)
{
    const auto owner = std::make_unique<TMuDamage>();
    TMuDamage& mu = *owner;
    mu.STR = 100;
    mu.TacticsR = 1.5;
    mu.AnatomyR = 0.3;
    double damage = 11;
    for (auto _ : state) {
        mu.Damage = damage;
        benchmark::DoNotOptimize(mu.Parser.Eval());
        damage = damage < 30 ? damage + 1 : 11;
    }
}
BENCHMARK(Damage_MuParser);

void Speed_Value(benchmark::State& state)
{
    SpeedValue(state, true);
}
BENCHMARK(Speed_Value);

void Speed_Hand(benchmark::State& state)
{
    double speed = 46, dex = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(speed);
        benchmark::DoNotOptimize(HandSpeed(dex, speed));
        dex = dex < 200 ? dex + 1 : 0;
    }
}
BENCHMARK(Speed_Hand);

void Speed_MuParser(benchmark::State& state)
{
    const auto owner = std::make_unique<TMuSpeed>();
    TMuSpeed& mu = *owner;
    double dex = 0;
    for (auto _ : state) {
        mu.DEXR = dex;
        benchmark::DoNotOptimize(mu.Parser.Eval());
        dex = dex < 200 ? dex + 1 : 0;
    }
}
BENCHMARK(Speed_MuParser);

// The machine code against the interpreter it stands in for, the cost of
// making it, and the batch evaluator's kernels against machine code per row.

void Damage_Interpreted(benchmark::State& state)
{
    DamageValue(state, false);
}
BENCHMARK(Damage_Interpreted);

void Speed_Interpreted(benchmark::State& state)
{
    SpeedValue(state, false);
}
BENCHMARK(Speed_Interpreted);

void Compile(benchmark::State& state, TMathsParser (*make)(), const char* formula, bool native)
{
    const auto owner = std::make_unique<TMathsParser>(make());
    TMathsParser& parser = *owner;
    parser.SetNativeCode(native);
    for (auto _ : state) {
        parser.SetExpression(formula);
        benchmark::DoNotOptimize(parser.NativeCode());
    }
    if (parser.NativeCode() != native)
        state.SkipWithError("the machine code was not made as asked");
}
BENCHMARK_CAPTURE(Compile, Damage, DamageParser, DefaultDamageMethod, true);
BENCHMARK_CAPTURE(Compile, DamageInterpreted, DamageParser, DefaultDamageMethod, false);
BENCHMARK_CAPTURE(Compile, Speed, SpeedParser, DefaultSpeedMethod, true);
BENCHMARK_CAPTURE(Compile, SpeedInterpreted, SpeedParser, DefaultSpeedMethod, false);

// 256 rows of the damage formula, the damage changing from row to row.
void DamageBatch(benchmark::State& state, bool kernels)
{
    const auto owner = std::make_unique<TMathsParser>(DamageParser());
    TMathsParser& parser = *owner;
    parser.SetV1(100);
    parser.SetV3(1.5);
    parser.SetV4(0.3);
    std::array<double, TMathsParser::BatchRows> damage, out;
    for (std::size_t r = 0; r < damage.size(); ++r)
        damage[r] = static_cast<double>(11 + r % 20);
    TMathsParser::TColumns columns{};
    columns[1] = damage.data();
    for (auto _ : state) {
        if (kernels) {
            parser.ValueBatch(columns, damage.size(), out.data());
        } else {
            for (std::size_t r = 0; r < damage.size(); ++r) {
                parser.SetV2(damage[r]);
                out[r] = parser.Value();
            }
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * damage.size()));
}
BENCHMARK_CAPTURE(DamageBatch, Kernels, true);
BENCHMARK_CAPTURE(DamageBatch, MachineCodeRows, false);

// The full damage refresh: the calculator itself, and the same steps with the
// hand-written formula and with muparser.

void DamageRefresh_Value(benchmark::State& state)
{
    TWeaponDataAndPCData data = Character();
    const auto owner = std::make_unique<TWeaponDamges>(data);
    TWeaponDamges& calc = *owner;
    calc.SetDamageMethod(DefaultDamageMethod);
    for (auto _ : state) {
        benchmark::DoNotOptimize(data);
        calc.SetStats(data);
        benchmark::DoNotOptimize(calc.Table());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DamageRefresh_Value);

void DamageRefresh_Hand(benchmark::State& state)
{
    TWeaponDataAndPCData data = Character();
    TDamageResults results;
    for (auto _ : state) {
        benchmark::DoNotOptimize(data);
        RefreshDamage(data, RoundDown, HandDamage, results);
        benchmark::DoNotOptimize(results);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DamageRefresh_Hand);

void DamageRefresh_MuParser(benchmark::State& state)
{
    TWeaponDataAndPCData data = Character();
    const auto owner = std::make_unique<TMuDamage>();
    TMuDamage& mu = *owner;
    TDamageResults results;
    for (auto _ : state) {
        benchmark::DoNotOptimize(data);
        RefreshDamage(data, RoundDown, std::ref(mu), results);
        benchmark::DoNotOptimize(results);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DamageRefresh_MuParser);

void SpeedRefresh_Value(benchmark::State& state)
{
    const auto owner = std::make_unique<TWeaponSpeed>();
    TWeaponSpeed& speed = *owner;
    speed.SetSpeedMethod(DefaultSpeedMethod);
    TWeaponSpeedData data{"Katana", 46, 100, 100, 25};
    for (auto _ : state) {
        benchmark::DoNotOptimize(data.Speed);
        speed.SetWeaponSpeedData(data);
        benchmark::DoNotOptimize(speed.Ranges().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(SpeedRefresh_Value);

void SpeedRefresh_Hand(benchmark::State& state)
{
    double weaponSpeed = 46;
    std::array<double, MaxDex + 1> delays;
    std::vector<TSpeedRange> ranges;
    ranges.reserve(MaxDex + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(weaponSpeed);
        RefreshSpeed([weaponSpeed](int dex) { return HandSpeed(dex, weaponSpeed); }, delays,
                     ranges);
        benchmark::DoNotOptimize(ranges.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(SpeedRefresh_Hand);

void SpeedRefresh_MuParser(benchmark::State& state)
{
    const auto owner = std::make_unique<TMuSpeed>();
    TMuSpeed& mu = *owner;
    std::array<double, MaxDex + 1> delays;
    std::vector<TSpeedRange> ranges;
    ranges.reserve(MaxDex + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(mu.SPEED);
        RefreshSpeed(std::ref(mu), delays, ranges);
        benchmark::DoNotOptimize(ranges.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(SpeedRefresh_MuParser);

// The dice spread against the enumeration of every outcome.

void Spread(benchmark::State& state)
{
    TDamageSpread spread;
    std::int32_t dice = static_cast<std::int32_t>(state.range(0));
    std::int32_t sides = static_cast<std::int32_t>(state.range(1));
    std::int32_t bonus = static_cast<std::int32_t>(state.range(2));
    for (auto _ : state) {
        benchmark::DoNotOptimize(dice);
        benchmark::DoNotOptimize(sides);
        spread.SetDiceData(dice, sides, bonus);
        benchmark::DoNotOptimize(spread.HighProbability());
    }
}
// The rest lie far outside the weapon table: the most dice whose sums all fit
// the chart, and many dice whose middle, tail or lowest sums a large negative
// bonus brings into it. The last three are the slowest kinds a scan of dice,
// sides and bonuses found: a tail of few sides narrow enough for two
// stretches, a skewed tail of huge dice that needs many points, and one that
// inclusion-exclusion takes.
BENCHMARK(Spread)
    ->Args({2, 6, 0})
    ->Args({5, 10, 0})
    ->Args({12, 5, 0})
    ->Args({20, 3, 0})
    ->Args({60, 1000000, 0})
    ->Args({1000, 2, -1470})
    ->Args({100000, 2, -99950})
    ->Args({91, 2050, -65486})
    ->Args({1000, 1000, -500440})
    ->Args({201, 3, -242})
    ->Args({69, 67201229, -1029299344})
    ->Args({41, 127682336, -1437433233});

// One entry per outcome, first die outermost, then the histogram.
double Enumerate(int dice, int sides)
{
    std::size_t total = 1;
    for (int i = 0; i < dice; ++i)
        total *= static_cast<std::size_t>(sides);
    std::vector<std::int32_t> outcomes(total);
    std::vector<int> faces(static_cast<std::size_t>(dice), 1);
    std::int32_t sum = dice;
    for (std::size_t k = 0; k < total; ++k) {
        outcomes[k] = sum;
        for (int d = dice - 1; d >= 0; --d) {
            int& face = faces[static_cast<std::size_t>(d)];
            if (face < sides) {
                ++face;
                ++sum;
                break;
            }
            sum -= face - 1;
            face = 1;
        }
    }
    std::array<std::size_t, 60> counts{};
    for (const std::int32_t value : outcomes)
        if (value >= 1 && value <= 60)
            ++counts[static_cast<std::size_t>(value - 1)];
    double highest = 0;
    for (const std::size_t count : counts)
        highest = std::max(highest, static_cast<double>(count * 100.0L / total));
    return highest;
}

void Spread_Enumeration(benchmark::State& state)
{
    const int dice = static_cast<int>(state.range(0));
    const int sides = static_cast<int>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(Enumerate(dice, sides));
}
BENCHMARK(Spread_Enumeration)
    ->Args({2, 6})
    ->Args({5, 10})
    ->Args({12, 5})
    ->Unit(benchmark::kMicrosecond);

// Loading a table of 10,000 weapons from memory.

// By default the rows share 40 sets of dice, as a real table shares few;
// with `distinctDice` every row has its own (up to 10,000 rows), all within
// the spread chart's damages.
std::string GeneratedTable(int rows, bool distinctDice = false)
{
    static const char* const Types[] = {"Swords", "AXE", "Fencing", "Mace", "Archery", "Staff"};
    std::string text = "Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\r\n";
    char line[160];
    for (int i = 0; i < rows; ++i) {
        const int low = 1 + i % 20, high = low + 10 + i % 7;
        const int dice = distinctDice ? 1 + i % 8 : 1 + i % 5;
        const int sides = distinctDice ? 2 + (i / 8) % 25 : 2 + i % 8;
        const int bonus = distinctDice ? i / 200 : i % 4;
        std::snprintf(line, sizeof line, "%d,Weapon %d,%d,%d,%.1f,%d,%s,%d,%d,%d,%dd%d+%d\r\n", i,
                      i, low, high, (low + high) / 2.0, 20 + i % 40, Types[i % 6], dice, sides,
                      bonus, dice, sides, bonus);
        text += line;
    }
    return text;
}

void LoadTable10k(benchmark::State& state)
{
    const std::string bytes = GeneratedTable(10000);
    TWeaponTable table;
    for (auto _ : state) {
        table.LoadFromBytes(bytes);
        benchmark::DoNotOptimize(table.Count());
    }
    if (table.Count() != 10000)
        state.SkipWithError("the generated table did not load whole");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(LoadTable10k)->Unit(benchmark::kMillisecond);

// Ranking a table of 10,000 weapons for one character and sorting it by
// damage per second, as the ranking page and `quillmarch-cli rank` do, with
// the formulas compiled once beforehand.
void RankTable10k(benchmark::State& state, bool distinctDice)
{
    TWeaponTable table;
    table.LoadFromBytes(GeneratedTable(10000, distinctDice));
    const auto owner = std::make_unique<TWeaponRanking>();
    TWeaponRanking& ranking = *owner;
    ranking.SetDamageMethod(DefaultDamageMethod);
    ranking.SetSpeedMethod(DefaultSpeedMethod);
    ranking.SetRoundingMode(RoundUp);
    const TWeaponDataAndPCData character = Character();
    std::vector<TWeaponRank> rows;
    for (auto _ : state) {
        ranking.SetStats(character);
        ranking.Rank(table, rows);
        SortRanking(rows, TRankColumn::DamagePerSecond,
                    BestFirstIsDescending(TRankColumn::DamagePerSecond));
        benchmark::DoNotOptimize(rows.data());
    }
    if (rows.size() != 10000 || !rows.front().DamagePerSecond)
        state.SkipWithError("the generated table did not rank whole");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 10000);
}
BENCHMARK_CAPTURE(RankTable10k, SharedDice, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RankTable10k, DistinctDice, true)->Unit(benchmark::kMillisecond);

// The baselines must compute what the evaluator computes, or the ratios
// compare different work.
bool BaselinesAgree()
{
    const TWeaponDataAndPCData data = Character();
    TWeaponDamges calc(data);
    calc.SetRoundingMode(NoRounding);
    calc.SetDamageMethod(DefaultDamageMethod);
    TDamageResults hand, mu;
    TMuDamage muDamage;
    RefreshDamage(data, NoRounding, HandDamage, hand);
    RefreshDamage(data, NoRounding, std::ref(muDamage), mu);
    bool agree = hand.Table == calc.Table() && hand.HQ[0] == calc.HQLow();
    for (int a = 0; a < 6; ++a)
        for (int d = 0; d < 6; ++d)
            for (int f = 0; f < 3; ++f)
                agree = agree && std::fabs(mu.Table[a][d][f] - calc.Table()[a][d][f]) < 1e-9;

    TWeaponSpeed speed;
    speed.SetSpeedMethod(DefaultSpeedMethod);
    speed.SetWeaponSpeedData({"Katana", 46, 100, 100, 25});
    std::array<double, MaxDex + 1> delays;
    std::vector<TSpeedRange> ranges;
    RefreshSpeed([](int dex) { return HandSpeed(dex, 46); }, delays, ranges);
    agree = agree && delays == speed.Delays() && ranges.size() == speed.Ranges().size();
    TMuSpeed muSpeed;
    RefreshSpeed(std::ref(muSpeed), delays, ranges);
    return agree && delays == speed.Delays();
}

} // namespace

int main(int argc, char** argv)
{
    if (!BaselinesAgree()) {
        std::fprintf(stderr, "The baselines do not compute the evaluator's results.\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
