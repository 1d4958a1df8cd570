#pragma once

#include "expr/Exception.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A command line the program cannot act on although its shape was right:
// a malformed number, an unknown weapon, a missing weapons file.
class EArgumentError : public Exception
{
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EArgumentError"; }
};

// Splits on every comma and keeps empty items: "a,,c" gives three items.
std::vector<std::string> SplitList(std::string_view text);

// Decimal only (no octal or hex surprises), an optional sign, and nothing
// beyond the range of a 32-bit signed integer. `what` names the option in
// the complaint.
std::int32_t ParseInt32(std::string_view text, std::string_view what);
// A decimal number that is neither infinite nor NaN.
double ParseFinite(std::string_view text, std::string_view what);

// Exactly `count` comma-separated integers.
std::vector<std::int32_t> ParseInt32List(std::string_view text, std::size_t count,
                                         std::string_view what);
// One to `maxCount` comma-separated finite numbers.
std::vector<double> ParseFiniteList(std::string_view text, std::size_t maxCount,
                                    std::string_view what);
