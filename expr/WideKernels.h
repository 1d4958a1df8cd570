#pragma once

#include <cstddef>

// The arithmetic of the batch evaluator over a block of rows: a loop in
// extended precision per kernel, and four rows at a time in double on
// processors with AVX2 and fused multiply-add.
namespace Expr {

// The arithmetic operations over a block of rows. A right operand's sign is
// folded in beforehand: into the value when it is the same for every row,
// otherwise by choosing the kernel (a - (-b) = a + b, a * (-b) = -(a * b) exactly).
enum TKernel
{
    kAdd,
    kSubtract,
    kMultiply,
    kNegatedMultiply,
    kDivide,
    kNegatedDivide,
};

// The first row whose value is inf or NaN, or `rows` when there is none.
std::size_t FirstNonFinite(const double* values, std::size_t rows);

// One arithmetic operation over a block of rows (shape 0: both operands are
// columns, 1: the left one, 2: the right one). A fault shows as inf or NaN,
// left for the caller's scan from the row returned: rows that passed the
// double kernel's checks, which admit only finite results, need none.
std::size_t RunArithmetic(TKernel kernel, int shape, const double* left, long double leftValue,
                          const double* right, long double rightValue, double* out,
                          std::size_t rows);

} // namespace Expr
