#include "expr/BatchEvaluator.h"

#include "expr/ExtendedStep.h"
#include "expr/Messages.h"
#include "expr/WideKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Expr {

namespace {

// The first row whose value is inf or NaN, or `rows` when there is none. The
// first loop has no branch and vectorises.
std::size_t FirstNonFinite(const double* values, std::size_t rows)
{
    std::uint64_t carries = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        carries |= NonFiniteCarry(values[r]);
    }
    if ((carries >> 63) == 0) {
        return rows;
    }
    for (std::size_t r = 0; r < rows; ++r) {
        if (!std::isfinite(values[r])) {
            return r;
        }
    }
    return rows;
}

// x / 2^k equals x * 2^-k exactly, and multiplying is much cheaper.
bool IsPowerOfTwo(long double value)
{
    int exponent = 0;
    return value != 0 && std::isfinite(value) && std::fabs(std::frexp(value, &exponent)) == 0.5L;
}

} // namespace

// Rows from `limit` on no longer matter once one of them has faulted: the
// answer is then that row's fault or one of an earlier row. So the block
// shrinks to the rows before the first fault found, and the fault recorded
// for the new limit is that row's first, since operations run in order.
void RunBatchBlock(const TProgram& program, TBatch& batch, const TColumns& columns,
                   std::size_t first, std::size_t rows, double* out, std::string& errorMessage)
{
    std::size_t limit = rows;
    int fault = 0;
    // Where the fault recorded for `limit` lies in the formula.
    std::size_t position = 0;

    for (int slot = 0; slot < program.Base; ++slot) {
        batch.IsColumn[slot] = false;
        batch.Uniform[slot] = program.Slots[slot];
    }
    // Variables in slot order, as Value() checks them. The caller's values
    // are read one at a time: a wide copy right after the caller stored one
    // of them would wait for that store to retire.
    for (int i = 0; i < 8; ++i) {
        const int slot = i + 1;
        const bool used = (program.UsedVariables & (1U << i)) != 0;
        if (columns[i] != nullptr) {
            const double* column = columns[i] + first;
            batch.IsColumn[slot] = true;
            batch.Columns[slot] = column;
            if (used) {
                if (const std::size_t bad = FirstNonFinite(column, limit); bad < limit) {
                    limit = bad;
                    fault = std::isnan(column[bad]) ? kInvalidOp : kOverflow;
                    position = program.VariablePositions[static_cast<std::size_t>(i)];
                }
            }
        } else {
            const double value = program.Slots[static_cast<std::size_t>(slot)];
            batch.Uniform[slot] = value;
            if (used && !std::isfinite(value)) {
                limit = 0;
                fault = std::isnan(value) ? kInvalidOp : kOverflow;
                position = program.VariablePositions[static_cast<std::size_t>(i)];
            }
        }
        if (limit == 0) {
            FailEvaluation(fault, position, errorMessage);
        }
    }

    for (int k = 0; k < program.Count; ++k) {
        const TOperation operation = program.Operations[k];
        const int code = operation.Code;
        const int slot = program.Base + 1 + k;
        if (!IsKnownCode(code)) {
            batch.IsColumn[slot] = false;
            batch.Uniform[slot] = program.Slots[slot];
            continue;
        }
        const bool binary = code <= 5;
        const bool leftColumn = batch.IsColumn[operation.Left];
        const bool rightColumn = binary && batch.IsColumn[operation.Right];
        const double* left = batch.Columns[operation.Left];
        const double* right = batch.Columns[operation.Right];
        const long double leftValue = batch.Uniform[operation.Left];
        const long double rightValue =
            operation.Sign * static_cast<long double>(batch.Uniform[operation.Right]);

        // The same operands for every row: once for all of them, and a fault
        // there is row 0's.
        if (!leftColumn && !rightColumn) {
            double stored = 0;
            if (const int rowFault = Evaluate(code, leftValue, rightValue, stored)) {
                FailEvaluation(rowFault, program.OperationPositions[static_cast<std::size_t>(k)],
                               errorMessage);
            }
            batch.IsColumn[slot] = false;
            batch.Uniform[slot] = stored;
            continue;
        }

        double* result = batch.Results[k];
        batch.IsColumn[slot] = true;
        batch.Columns[slot] = result;
        if (code >= 2 && code <= 5) {
            const bool negative = operation.Sign < 0;
            TKernel kernel = kAdd;
            long double uniformRight = rightValue;
            switch (code) {
            case 2:
                kernel = rightColumn && negative ? kNegatedMultiply : kMultiply;
                break;
            case 3:
                kernel = rightColumn && negative ? kNegatedDivide : kDivide;
                if (!rightColumn && IsPowerOfTwo(rightValue)) {
                    kernel = kMultiply;
                    uniformRight = 1 / rightValue;
                }
                break;
            case 4:
                kernel = rightColumn && negative ? kSubtract : kAdd;
                break;
            default:
                kernel = rightColumn && negative ? kAdd : kSubtract;
                break;
            }
            const int shape = leftColumn ? (rightColumn ? 0 : 1) : 2;
            const std::size_t unchecked =
                RunArithmetic(kernel, shape, left, leftValue, right, uniformRight, result, limit);
            // Here a fault always shows as inf or NaN; the row is evaluated
            // again on its own to name it exactly as Value() would. Marked
            // unlikely, so that naming the fault's place costs the loop nothing.
            if (const std::size_t bad =
                    unchecked + FirstNonFinite(result + unchecked, limit - unchecked);
                bad < limit) [[unlikely]] {
                const long double a = leftColumn ? left[bad] : leftValue;
                const long double b = rightColumn
                                          ? operation.Sign * static_cast<long double>(right[bad])
                                          : rightValue;
                double stored = 0;
                fault = Evaluate(code, a, b, stored);
                position = program.OperationPositions[static_cast<std::size_t>(k)];
                limit = bad;
            }
        } else {
            for (std::size_t r = 0; r < limit; ++r) {
                const long double a = leftColumn ? left[r] : leftValue;
                const long double b =
                    rightColumn ? operation.Sign * static_cast<long double>(right[r]) : rightValue;
                if (const int rowFault = Evaluate(code, a, b, result[r])) [[unlikely]] {
                    fault = rowFault;
                    position = program.OperationPositions[static_cast<std::size_t>(k)];
                    limit = r;
                    break;
                }
            }
        }
        if (limit == 0) {
            FailEvaluation(fault, position, errorMessage);
        }
    }
    if (limit < rows) {
        FailEvaluation(fault, position, errorMessage);
    }

    if (batch.IsColumn[program.Result]) {
        std::memmove(out, batch.Columns[program.Result], rows * sizeof(double));
    } else {
        std::fill_n(out, rows, batch.Uniform[program.Result]);
    }
}

} // namespace Expr
