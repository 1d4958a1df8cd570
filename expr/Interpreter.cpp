#include "expr/Interpreter.h"

#include "expr/ExtendedStep.h"
#include "expr/Messages.h"

// The exact error terms of the double steps must not be fused into multiply-adds.
#if defined(__clang__)
#pragma clang fp contract(off)
#endif

namespace Expr {

namespace {

// One arithmetic step of Value() in double; false when it must be done in
// extended precision (or faults). A result goes to `last` only on success.
template <bool (*Function)(double, double, double&), bool LeftLast, bool RightLast, bool Negate>
[[gnu::always_inline]] inline bool RunStep(const double* slots, std::uint8_t leftSlot,
                                           std::uint8_t rightSlot, double& last)
{
    const double left = LeftLast ? last : slots[leftSlot];
    const double right =
        Negate ? -(RightLast ? last : slots[rightSlot]) : (RightLast ? last : slots[rightSlot]);
    double result = 0;
    if (!Function(left, right, result)) {
        return false;
    }
    last = result;
    return true;
}

// The same without a branch: the result is taken whatever the check says,
// and the check is returned for the caller to collect.
template <bool (*Function)(double, double, double&), bool LeftLast, bool RightLast, bool Negate>
[[gnu::always_inline]] inline bool RunStepUnchecked(const double* slots, std::uint8_t leftSlot,
                                                    std::uint8_t rightSlot, double& last)
{
    const double left = LeftLast ? last : slots[leftSlot];
    const double right =
        Negate ? -(RightLast ? last : slots[rightSlot]) : (RightLast ? last : slots[rightSlot]);
    double result = 0;
    const bool ok = Function(left, right, result);
    last = result;
    return ok;
}

} // namespace

// The cases both evaluation loops switch over: every arithmetic kind with
// every operand source (bit 0 left from the register, bit 1 right from the
// register, bit 2 negated right). X(Kind, Function, Flags) expands one case.
#define QUILLMARCH_STEP_FLAGS(X, Kind, Function)                                                   \
    X(Kind, Function, 0)                                                                           \
    X(Kind, Function, 1)                                                                           \
    X(Kind, Function, 2)                                                                           \
    X(Kind, Function, 3)                                                                           \
    X(Kind, Function, 4)                                                                           \
    X(Kind, Function, 5)                                                                           \
    X(Kind, Function, 6)                                                                           \
    X(Kind, Function, 7)
#define QUILLMARCH_ARITHMETIC_STEP_CASES(X)                                                        \
    QUILLMARCH_STEP_FLAGS(X, StepAdd, Add)                                                         \
    QUILLMARCH_STEP_FLAGS(X, StepSubtract, Subtract)                                               \
    QUILLMARCH_STEP_FLAGS(X, StepMultiply, Multiply)                                               \
    QUILLMARCH_STEP_FLAGS(X, StepDivide, Divide)

template <bool Fused>
[[gnu::always_inline]] inline double RunSteps(TProgram& program, std::string& errorMessage)
{
    double* const slots = program.Slots.data();
    constexpr auto Add = Fused ? FusedAdd : FastAdd;
    constexpr auto Subtract = Fused ? FusedSubtract : FastSubtract;
    constexpr auto Multiply = Fused ? FusedMultiply : FastMultiply;
    constexpr auto Divide = Fused ? FusedDivide : FastDivide;
    double* const results = slots + program.Base + 1;
    const int count = program.Count;
    double last = 0;
    for (int i = 0; i < count; ++i) {
        const TStep& step = program.Steps[i];
        // One case per kind and operand source, so that the choice between
        // the register and the slot is a predicted jump, not a data dependency.
        bool done = false;
        switch (step.Case) {
#define QUILLMARCH_STEP_CASE(Kind, Function, Flags)                                                \
    case Kind * 8 + (Flags):                                                                       \
        done = RunStep<Function, ((Flags)&1) != 0, ((Flags)&2) != 0, ((Flags)&4) != 0>(            \
            slots, step.Left, step.Right, last);                                                   \
        break;
            QUILLMARCH_ARITHMETIC_STEP_CASES(QUILLMARCH_STEP_CASE)
#undef QUILLMARCH_STEP_CASE
        default:
            break;
        }
        if (!done) {
            const TOperation operation = program.Operations[i];
            if (!IsKnownCode(operation.Code)) {
                last = results[i];
                continue;
            }
            // Every binary code applies the sign to the right operand; for
            // multiply and divide that equals signing the left one, and the sign
            // change is exact.
            const long double left = slots[operation.Left];
            const long double right =
                operation.Sign * static_cast<long double>(slots[operation.Right]);
            // Through a local of its own, so that `last` can stay in a register.
            double stored = 0;
            if (const int fault = EvaluateApart(operation.Code, left, right, stored)) {
                FailEvaluation(fault, program.OperationPositions[static_cast<std::size_t>(i)],
                               errorMessage);
            }
            last = stored;
        }
        results[i] = last;
    }
    return program.ResultIsLast ? last : slots[program.Result];
}

template <bool Fused>
[[gnu::always_inline]] inline double TryRunSteps(TProgram& program, std::string& errorMessage)
{
    double* const slots = program.Slots.data();
    constexpr auto Add = Fused ? FusedAdd : FastAdd;
    constexpr auto Subtract = Fused ? FusedSubtract : FastSubtract;
    constexpr auto Multiply = Fused ? FusedMultiply : FastMultiply;
    constexpr auto Divide = Fused ? FusedDivide : FastDivide;
    double* const results = slots + program.Base + 1;
    const int count = program.Count;
    double last = 0;
    // Steps that fail their check go on with an approximate (or inf, NaN)
    // value; nothing of it is kept, since the program then runs again.
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        const TStep& step = program.Steps[i];
        switch (step.Case) {
#define QUILLMARCH_STEP_CASE(Kind, Function, Flags)                                                \
    case Kind * 8 + (Flags):                                                                       \
        ok &= RunStepUnchecked<Function, ((Flags)&1) != 0, ((Flags)&2) != 0, ((Flags)&4) != 0>(    \
            slots, step.Left, step.Right, last);                                                   \
        break;
            QUILLMARCH_ARITHMETIC_STEP_CASES(QUILLMARCH_STEP_CASE)
#undef QUILLMARCH_STEP_CASE
        default:
            ok = false;
            break;
        }
        results[i] = last;
    }
    if (!ok) {
        return Fused ? RunStepsFused(program, errorMessage)
                     : RunStepsPortable(program, errorMessage);
    }
    return program.ResultIsLast ? last : slots[program.Result];
}

#undef QUILLMARCH_ARITHMETIC_STEP_CASES
#undef QUILLMARCH_STEP_FLAGS

[[gnu::noinline, gnu::cold]] void FailVariables(const TProgram& program, std::string& errorMessage)
{
    for (int k = 0; k < program.ReadCount; ++k) {
        const std::size_t slot = program.ReadSlots[static_cast<std::size_t>(k)];
        const double value = program.Slots[slot];
        if (!std::isfinite(value)) {
            FailEvaluation(std::isnan(value) ? kInvalidOp : kOverflow,
                           program.VariablePositions[slot - 1], errorMessage);
        }
    }
}

[[gnu::noinline]] double TryRunStepsPortable(TProgram& program, std::string& errorMessage)
{
    return TryRunSteps<false>(program, errorMessage);
}

[[gnu::noinline]] double RunStepsPortable(TProgram& program, std::string& errorMessage)
{
    return RunSteps<false>(program, errorMessage);
}

#ifdef QUILLMARCH_WIDE_KERNELS
[[gnu::target("avx2,fma"), gnu::noinline]] double TryRunStepsFused(TProgram& program,
                                                                   std::string& errorMessage)
{
    return TryRunSteps<true>(program, errorMessage);
}

[[gnu::target("avx2,fma"), gnu::noinline]] double RunStepsFused(TProgram& program,
                                                                std::string& errorMessage)
{
    return RunSteps<true>(program, errorMessage);
}
#endif

} // namespace Expr
