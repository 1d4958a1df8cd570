#pragma once

#include "expr/Program.h"
#include "expr/RoundingChecks.h"

#include <string>

// Runs a program's operation table step by step, the reference every faster
// path is held to. A fault raises its exception (expr/Messages.h) with the
// text kept in `errorMessage`.
namespace Expr {

// The steps of a program whose variables have been checked. In double with
// one check at the end when every step is + - * or /; otherwise, or when a
// step needs extended precision or faults, step by step in extended precision.
double TryRunStepsPortable(TProgram& program, std::string& errorMessage);
double RunStepsPortable(TProgram& program, std::string& errorMessage);
#ifdef QUILLMARCH_WIDE_KERNELS
double TryRunStepsFused(TProgram& program, std::string& errorMessage);
double RunStepsFused(TProgram& program, std::string& errorMessage);
#endif

inline double Interpret(TProgram& program, std::string& errorMessage)
{
#ifdef QUILLMARCH_WIDE_KERNELS
    if (kUseWideKernels) {
        return program.Arithmetic ? TryRunStepsFused(program, errorMessage)
                                  : RunStepsFused(program, errorMessage);
    }
#endif
    return program.Arithmetic ? TryRunStepsPortable(program, errorMessage)
                              : RunStepsPortable(program, errorMessage);
}

// Raises the fault of the first variable the program reads that holds inf or
// NaN, at the variable's first place in the formula.
void FailVariables(const TProgram& program, std::string& errorMessage);

} // namespace Expr
