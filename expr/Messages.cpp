#include "expr/Messages.h"

#include "expr/Exception.h"
#include "expr/Program.h"

namespace Expr {

void FailEvaluation(int fault, std::size_t position, std::string& errorMessage)
{
    switch (fault) {
    case kZeroDivide:
        errorMessage = "Floating point division by zero";
        throw EZeroDivide(errorMessage, position);
    case kOverflow:
        errorMessage = "Floating point overflow";
        throw EOverflow(errorMessage, position);
    default:
        errorMessage = "Invalid floating point operation";
        throw EInvalidOp(errorMessage, position);
    }
}

} // namespace Expr
