#include "expr/VariableNames.h"

#include "expr/Compiler.h"
#include "expr/Exception.h"

#include <algorithm>

namespace Expr {

namespace {

std::string InQuotes(const std::string& text)
{
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

[[noreturn]] void FailName(const std::string& message)
{
    throw EVariableNameError(message);
}

} // namespace

// Names are found in the formula by their text alone, after the function
// names and pi have been taken out of it; so a name holding one of those or
// a character the language uses for itself could never be found.
std::array<std::string, 8> CheckedNames(const std::vector<std::string>& names)
{
    if (names.size() > 8) {
        FailName("At most 8 variable names.");
    }
    std::array<std::string, 8> checked;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name.empty()) {
            continue;
        }
        const std::string quoted = InQuotes(name);
        if (!IsAsciiLetter(name.front())) {
            FailName("Variable name " + quoted + " must start with a letter.");
        }
        if (!std::all_of(name.begin(), name.end(),
                         [](char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_'; })) {
            FailName("Variable name " + quoted + " may hold only letters, digits and _.");
        }
        const std::string lower = AsciiLower(name);
        const auto refuseReserved = [&](const char* word) {
            if (lower.find(word) != std::string::npos) {
                FailName("Variable name " + quoted + " contains the reserved name " +
                         InQuotes(word) + ".");
            }
        };
        for (const TFunction& function : kFunctions) {
            refuseReserved(function.Name);
        }
        refuseReserved("pi");
        for (std::size_t k = 0; k < i; ++k) {
            if (AsciiLower(names[k]) == lower) {
                FailName("Variable name " + quoted + " is given to two variables.");
            }
        }
        checked[i] = name;
    }
    return checked;
}

} // namespace Expr
