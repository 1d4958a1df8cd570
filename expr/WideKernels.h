#pragma once

#include "expr/RoundingChecks.h"

#include <cmath>
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

using TKernelFunction = void (*)(const double*, long double, const double*, long double, double*,
                                 std::size_t);
// Runs the rows in fours up to the last full four and returns how many it
// ran; the bool tells whether any of them holds a NaN to evaluate again.
using TWideKernelFunction = std::size_t (*)(const double*, double, const double*, double, double*,
                                            std::size_t, bool&);
// Indexed by kernel, then by shape (0: both operands are columns, 1: the
// left one, 2: the right one).
extern const TKernelFunction* const kKernels[6];
#ifdef QUILLMARCH_WIDE_KERNELS
extern const TWideKernelFunction* const kWideKernels[6];
#endif

// One arithmetic operation over a block of rows (shape 0: both operands are
// columns, 1: the left one, 2: the right one). A fault shows as inf or NaN,
// left for the caller's scan from the row returned: rows that passed the
// double kernel's checks, which admit only finite results, need none.
// Inline, so that the operands stay in the x87 unit instead of being passed on
// the stack.
inline std::size_t RunArithmetic(TKernel kernel, int shape, const double* left,
                                 long double leftValue, const double* right, long double rightValue,
                                 double* out, std::size_t rows)
{
    const TKernelFunction narrow = kKernels[kernel][shape];
#ifdef QUILLMARCH_WIDE_KERNELS
    const bool leftColumn = shape != 2;
    const bool rightColumn = shape != 1;
    const double leftDouble = leftColumn ? 0 : static_cast<double>(leftValue);
    const double rightDouble = rightColumn ? 0 : static_cast<double>(rightValue);
    // A uniform operand beyond the double range (1 / 2^-1074) stays extended.
    if (kUseWideKernels && (leftColumn || leftDouble == leftValue) &&
        (rightColumn || rightDouble == rightValue)) {
        bool marked = false;
        const std::size_t done =
            kWideKernels[kernel][shape](left, leftDouble, right, rightDouble, out, rows, marked);
        if (marked) {
            for (std::size_t r = 0; r < done; ++r) {
                if (std::isnan(out[r])) {
                    narrow(leftColumn ? left + r : left, leftValue, rightColumn ? right + r : right,
                           rightValue, out + r, 1);
                }
            }
        }
        if (done < rows) {
            narrow(leftColumn ? left + done : left, leftValue, rightColumn ? right + done : right,
                   rightValue, out + done, rows - done);
        }
        return marked ? 0 : done;
    }
#endif
    narrow(left, leftValue, right, rightValue, out, rows);
    return 0;
}

} // namespace Expr
