#include "expr/ExtendedStep.h"

namespace Expr {

[[gnu::noinline]] int EvaluateApart(int code, long double left, long double right, double& stored)
{
    return Evaluate(code, left, right, stored);
}

} // namespace Expr
