#pragma once

#include <string>

// The language of the parser's own messages: on Windows, whether the Japanese
// system font is installed; elsewhere, whether the first set one of LC_ALL,
// LC_MESSAGES and LANG starts with "ja".
bool MessagesInJapanese();

namespace Expr {

// The texts users know from the first versions of the program; they stay as
// they are, word for word.
const char* BracketMessage(bool japanese);
const char* SyntaxMessage(bool japanese);

// Raises the exception of an evaluation fault (a TFault), its text kept in
// `errorMessage` for ErrorMessage().
[[noreturn]] void FailEvaluation(int fault, std::string& errorMessage);

} // namespace Expr
