#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// What a compiled formula is: literals and variables in numbered slots, and a
// flat table of three-address operations over them. The compiler builds it,
// the interpreter, the batch evaluator and the native code run it.
namespace Expr {

// The encoded text addresses slots with two digits, so everything must fit in 0..99.
constexpr int kLastSlot = 99;
constexpr int kFirstLiteralSlot = 10;

// Why an evaluation failed; the public class turns it into its exception.
enum TFault
{
    kZeroDivide = 1,
    kInvalidOp,
    kOverflow
};

// Operation codes: 1 ^, 2 *, 3 /, 4 +, 5 -, then the functions of one operand
// (6 exp .. 18 sqrt, see the compiler's table).
constexpr int kLastBinaryCode = 5;
constexpr int kLastCode = 18;

inline bool IsKnownCode(int code)
{
    return code >= 1 && code <= kLastCode;
}

// One three-address operation; slot numbers fit the two-digit codes of the
// encoded text, so a byte each keeps the table compact.
struct TOperation
{
    std::int8_t Code;
    std::int8_t Left;
    std::int8_t Right;
    std::int8_t Sign;
};

// The operations again, prepared for Value(): the sign folded into the
// kind, and whether an operand is the result of the step just before, so
// that it is taken from a register instead of a slot just written.
enum TStepKind : std::uint8_t
{
    StepAdd,
    StepSubtract,
    StepMultiply,
    StepDivide,
    StepOther,
};
struct TStep
{
    TStepKind Kind;
    std::uint8_t Left;
    std::uint8_t Right;
    // Bit 0: left is the previous result; bit 1: right is; bit 2: negate right.
    std::uint8_t Flags;
    // Kind * 8 + Flags, worked out once for the dispatch.
    std::uint8_t Case;
};

// Everything a compilation produces. It is built in a scratch copy and
// assigned only on success, so a rejected formula leaves the old one working.
struct TProgram
{
    // 0 and 9 stay 0, 1..8 hold the variables V1 .. V8 themselves (the
    // setters write there, so evaluation copies nothing), literals from 10,
    // results from Base + 1.
    std::array<double, 100> Slots{};
    std::array<TOperation, 99> Operations{};
    int Count = 0;
    int Base = 10;
    int Result = 0;
    // Bit i set when variable slot i + 1 is read by the program.
    unsigned UsedVariables = 0;
    // The variable slots the program reads, for the check before each run.
    std::array<std::uint8_t, 8> ReadSlots{};
    int ReadCount = 0;
    std::array<TStep, 99> Steps{};
    // The result is that of the last operation.
    bool ResultIsLast = false;
    // Every operation is + - * or /.
    bool Arithmetic = false;
    // Where each operation's operator or function name, and each variable's
    // first use, stand in the formula as typed: a fault names the place.
    // Read only when one is raised, so the evaluation loops never touch them.
    std::array<std::size_t, 99> OperationPositions{};
    std::array<std::size_t, 8> VariablePositions{};
};

} // namespace Expr
