#pragma once

#include "expr/Program.h"

#include <array>
#include <cstdint>
#include <string>

// Text to operation table: the formula language's rules of spelling, order
// and brackets.
namespace Expr {

struct TFunction
{
    const char* Name;
    const char* Code;
    std::int8_t Operation;
};

// Longer names stand before their prefixes ("arcsin" before "sin", "erfc" before "erf").
inline constexpr TFunction kFunctions[] = {
    {"log10", "@@@", 8},   {"sqrt", "@@#", 18},   {"ln", "@@$", 7},      {"exp", "@#@", 6},
    {"arcsin", "@##", 13}, {"arccos", "@#$", 14}, {"arctan", "@$@", 15}, {"sin", "@$#", 9},
    {"cos", "@$$", 10},    {"tan", "#@@", 11},    {"abs", "#@#", 12},    {"erfc", "#@$", 17},
    {"erf", "##@", 16},
};

// Only ASCII letters: the text may hold UTF-8 or any other bytes.
std::string AsciiLower(std::string text);
bool IsDigit(char c);

// Compiles `expression` over the variables named `names` (slot i + 1 for
// names[i]; an empty name is no variable). Raises EMissMatchingBracket,
// ESyntaxError or EConvertError as TMathsParser::SetExpression describes,
// each at its place in `expression`. The variable slots of the result are 0;
// the caller carries its values over.
TProgram Compile(const std::string& expression, const std::array<std::string, 8>& names);

} // namespace Expr
