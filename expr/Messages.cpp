#include "expr/Messages.h"

#include "expr/Exception.h"
#include "expr/Program.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#endif

bool MessagesInJapanese()
{
#ifdef _WIN32
    char directory[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
    if (length == 0 || length > MAX_PATH) {
        return false;
    }
    const std::string font = std::string(directory, length) + "\\Fonts\\MSMINCHO.TTC";
    return GetFileAttributesA(font.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return std::strncmp(value, "ja", 2) == 0;
        }
    }
    return false;
#endif
}

namespace Expr {

const char* BracketMessage(bool japanese)
{
    return japanese ? "括弧の数が一致していません。式を再点検してください。"
                    : "Number of bracket is miss-matching. Review your expression.";
}

const char* SyntaxMessage(bool japanese)
{
    return japanese ? "誤った表記が見られます。修正して下さい。"
                    : "The expression is improper. Please check it.";
}

void FailEvaluation(int fault, std::string& errorMessage)
{
    switch (fault) {
    case kZeroDivide:
        errorMessage = "Floating point division by zero";
        throw EZeroDivide(errorMessage);
    case kOverflow:
        errorMessage = "Floating point overflow";
        throw EOverflow(errorMessage);
    default:
        errorMessage = "Invalid floating point operation";
        throw EInvalidOp(errorMessage);
    }
}

} // namespace Expr
