#include "weapons/Working.h"

#include "weapons/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <vector>

namespace {

// The evaluator's function names, in the order it takes them out of a
// formula before it looks for variables: "e" in "exp" is no variable.
constexpr std::array<std::string_view, 13> FunctionNames = {
    "log10", "sqrt", "ln",  "exp", "arcsin", "arccos", "arctan",
    "sin",   "cos",  "tan", "abs", "erfc",   "erf"};

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct TLetter
{
    char Lower;
    std::size_t At;
    bool Taken;
};

struct TMatch
{
    std::size_t First;
    std::size_t Last;
    std::size_t Slot;
};

TWorkingRounding DamageRounding(std::int32_t mode)
{
    switch (mode) {
    case RoundUp:
        return TWorkingRounding::Up;
    case RoundDown:
        return TWorkingRounding::Down;
    case RoundHalfAwayFromZero:
        return TWorkingRounding::HalfAwayFromZero;
    default:
        return TWorkingRounding::None;
    }
}

} // namespace

std::string ExactNumber(double value)
{
    std::string text = FormatGeneral(value);
    double back = 0;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), back);
    if (read.ec == std::errc() && back == value)
        return text;
    char shortest[64];
    const auto written = std::to_chars(shortest, shortest + sizeof shortest, value);
    return std::string(shortest, written.ptr);
}

// The evaluator drops the blanks, lowers the case and replaces each word,
// left to right, by a mark no later word can match; the same passes over the
// letters, marking them taken, find the very occurrences it finds.
std::string SubstitutedFormula(std::string_view formula, const std::array<const char*, 8>& names,
                               const std::array<double, 8>& values)
{
    std::vector<TLetter> letters;
    for (std::size_t i = 0; i < formula.size(); ++i)
        if (formula[i] != ' ')
            letters.push_back({AsciiLower(formula[i]), i, false});

    std::vector<TMatch> matches;
    const auto take = [&](std::string_view word, std::size_t slot, bool keep) {
        for (std::size_t k = 0; k + word.size() <= letters.size();) {
            bool found = true;
            for (std::size_t j = 0; j < word.size() && found; ++j)
                found = !letters[k + j].Taken && letters[k + j].Lower == AsciiLower(word[j]);
            if (!found) {
                ++k;
                continue;
            }
            for (std::size_t j = 0; j < word.size(); ++j)
                letters[k + j].Taken = true;
            if (keep)
                matches.push_back({letters[k].At, letters[k + word.size() - 1].At, slot});
            k += word.size();
        }
    };
    for (const std::string_view function : FunctionNames)
        take(function, 0, false);
    take("pi", 0, false);
    // Longest names first; among equal lengths the later slot wins.
    std::array<std::size_t, 8> order;
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const std::string_view x = names[a] ? names[a] : "", y = names[b] ? names[b] : "";
        return x.size() != y.size() ? x.size() > y.size() : a > b;
    });
    for (const std::size_t slot : order)
        if (names[slot] && *names[slot])
            take(names[slot], slot, true);

    std::sort(matches.begin(), matches.end(),
              [](const TMatch& a, const TMatch& b) { return a.First < b.First; });
    std::string text;
    std::size_t next = 0;
    for (const TMatch& match : matches) {
        text.append(formula.substr(next, match.First - next));
        const double value = values[match.Slot];
        // "2*-3" would read as a subtraction to someone checking the working.
        if (value < 0)
            text.append("(").append(ExactNumber(value)).append(")");
        else
            text.append(ExactNumber(value));
        next = match.Last + 1;
    }
    text.append(formula.substr(next));
    return text;
}

TWorking DamageWorking(TWeaponDamges& calculator, const TWeaponDataAndPCData& setup,
                       const TWeaponDamges::TResultAt& at)
{
    const TWeaponDamges::TUnrounded row = calculator.Unrounded(setup, at);
    TWorking working;
    working.Substituted = SubstitutedFormula(calculator.DamageMethod(),
                                             TWeaponDamges::VariableNames(), row.Variables);
    working.Raw = row.Value;
    working.Rounding = DamageRounding(calculator.RoundingMode());
    working.Rounded = TWeaponDamges::Round(row.Value, calculator.RoundingMode());
    return working;
}

TWorking DelayWorking(TWeaponSpeed& speed, const TWeaponSpeed::TDelayRow& row)
{
    const TWeaponSpeed::TUnrounded delay = speed.Unrounded(row);
    TWorking working;
    working.Substituted =
        SubstitutedFormula(speed.SpeedMethod(), TWeaponSpeed::VariableNames(), delay.Variables);
    working.Raw = delay.Value;
    working.Rounding = TWorkingRounding::UpToHalfSecond;
    working.Rounded = TWeaponSpeed::RoundUpToHalfSecond(delay.Value);
    return working;
}
