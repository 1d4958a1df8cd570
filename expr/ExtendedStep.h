#pragma once

#include "expr/Program.h"

#include <cmath>
#include <cstdint>
#include <cstring>

// One step of a program exactly as Value() defines it: the operation in
// extended precision, its result rounded to double. Every evaluation path
// (the interpreter, the batch evaluator, the native code's calls) goes
// through these, so all of them give the same bits and the same faults.
namespace Expr {

inline long double Erfc(long double x)
{
    const double z = std::fabs(static_cast<double>(x));
    const double t = static_cast<double>(1.0L / (1.0L + 0.5L * z));
    const long double lt = t;
    const long double y =
        lt *
        std::exp(
            -static_cast<long double>(z) * z - 1.26551223L +
            lt * (1.00002368L +
                  lt * (0.37409196L +
                        lt * (0.09678418L +
                              lt * (-0.18628806L +
                                    lt * (0.27886807L +
                                          lt * (-1.13520398L +
                                                lt * (1.48851587L + lt * (-0.82215223L +
                                                                          lt * 0.17087277L)))))))));
    return x >= 0 ? y : 2 - y;
}

inline long double Power(long double base, long double exponent, int& fault)
{
    if (exponent == 0) {
        return 1;
    }
    if (base == 0 && exponent > 0) {
        return 0;
    }
    if (exponent == std::trunc(exponent) && std::fabs(exponent) <= 2147483647.0L) {
        auto bits = static_cast<std::uint32_t>(std::fabs(exponent));
        long double result = 1;
        long double square = base;
        for (;;) {
            if (bits & 1U) {
                result *= square;
            }
            bits >>= 1;
            if (bits == 0) {
                break;
            }
            square *= square;
        }
        if (exponent > 0) {
            return result;
        }
        if (result == 0) {
            // Only a zero base divides by zero; otherwise the true result is too large.
            fault = base == 0 ? kZeroDivide : kOverflow;
            return 0;
        }
        return 1 / result;
    }
    if (base < 0) {
        fault = kInvalidOp;
        return 0;
    }
    if (base == 0) {
        fault = kZeroDivide;
        return 0;
    }
    return std::exp(exponent * std::log(base));
}

// One operation on one row, in extended precision; `fault` is set where the
// operation is undefined. Shared by the single and the batch evaluation so
// both report the same fault for the same operands.
[[gnu::always_inline]] inline long double Operate(int code, long double left, long double right,
                                                  int& fault)
{
    switch (code) {
    case 1:
        return Power(left, right, fault);
    case 2:
        return left * right;
    case 3:
        if (right == 0) {
            fault = left == 0 ? kInvalidOp : kZeroDivide;
            return 0;
        }
        return left / right;
    case 4:
        return left + right;
    case 5:
        return left - right;
    case 6:
        return std::exp(left);
    case 7:
    case 8:
        if (left < 0) {
            fault = kInvalidOp;
            return 0;
        }
        if (left == 0) {
            fault = kZeroDivide;
            return 0;
        }
        return code == 7 ? std::log(left) : std::log10(left);
    case 9:
        return std::fabs(left) >= 0x1p63L ? 0 : std::sin(left);
    case 10:
        return std::fabs(left) >= 0x1p63L ? 0 : std::cos(left);
    case 11:
        return std::tan(left);
    case 12:
        return std::fabs(left);
    case 13:
    case 14: {
        const long double cosine = 1 - left * left;
        if (cosine < 0) {
            fault = kInvalidOp;
            return 0;
        }
        return code == 13 ? std::atan2(left, std::sqrt(cosine))
                          : std::atan2(std::sqrt(cosine), left);
    }
    case 15:
        return std::atan2(left, 1.0L);
    case 16:
        return 1 - Erfc(left);
    case 17:
        return Erfc(left);
    default:
        if (left < 0) {
            fault = kInvalidOp;
            return 0;
        }
        return std::sqrt(left);
    }
}

// The value stored in the result slot and the fault Value() reports: the
// operation's own, or one for a result beyond the double range.
[[gnu::always_inline]] inline int Evaluate(int code, long double left, long double right,
                                           double& stored)
{
    int fault = 0;
    const long double value = Operate(code, left, right, fault);
    stored = static_cast<double>(value);
    if (fault == 0 && !std::isfinite(stored)) {
        fault = std::isnan(value) ? kInvalidOp : kOverflow;
    }
    return fault;
}

// Out of line, so the common arithmetic of Value() stays a small loop.
int EvaluateApart(int code, long double left, long double right, double& stored);

// Bit 63 is set when the value is inf or NaN: its exponent field is all ones,
// so adding one at the field's lowest bit carries out of it.
inline std::uint64_t NonFiniteCarry(double value)
{
    constexpr std::uint64_t kExponent = 0x7ff0000000000000;
    constexpr std::uint64_t kExponentUnit = 0x0010000000000000;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & kExponent) + kExponentUnit;
}

} // namespace Expr
