#pragma once

#include <cstddef>
#include <string>

namespace Expr {

// The texts users know from the first versions of the program, word for
// word; the edge puts them into the user's language.
inline constexpr const char* kBracketMessage =
    "Number of bracket is miss-matching. Review your expression.";
inline constexpr const char* kSyntaxMessage = "The expression is improper. Please check it.";

// Raises the exception of an evaluation fault (a TFault) at `position` in the
// formula, its text kept in `errorMessage` for ErrorMessage().
[[noreturn]] void FailEvaluation(int fault, std::size_t position, std::string& errorMessage);

} // namespace Expr
