#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// The exact error terms below must not be fused into multiply-adds.
#if defined(__clang__)
#pragma clang fp contract(off)
#endif

namespace Expr {

#if defined(__x86_64__) || defined(__i386__)
#define QUILLMARCH_WIDE_KERNELS 1
// The processor has AVX2 and fused multiply-add, and the tests have not
// asked for the portable arithmetic (QUILLMARCH_PORTABLE_ARITHMETIC).
extern const bool kUseWideKernels;
#endif

// Exact arithmetic in double. Each operation of Value() is defined as the
// extended-precision result rounded to double; that equals the plain double
// result except where the exact value lies within a 64-bit step of a point
// halfway between two doubles, where the two roundings can part. The helpers
// below compute the double result together with its exact error and accept
// it only when it is clearly away from such a point; otherwise the caller
// computes in extended precision. Each product and sum stands in its own
// statement so that no compiler fuses them into one rounding.

[[gnu::always_inline]] inline std::uint64_t Bits(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

[[gnu::always_inline]] inline int ExponentField(double value)
{
    return static_cast<int>(Bits(value) >> 52 & 0x7ff);
}

// Fields where neither splitting nor the error terms can overflow or
// underflow: roughly 2^-820 .. 2^990 in magnitude.
constexpr int kSafeLow = 200;
constexpr int kSafeHigh = 2012;

[[gnu::always_inline]] inline bool IsSafe(double value)
{
    const int field = ExponentField(value);
    return field >= kSafeLow && field <= kSafeHigh;
}

// True when `result`, off the exact value by `error` (exact), is also what
// rounding first to 64 bits and then to 53 bits gives.
[[gnu::always_inline]] inline bool RoundsAlike(double result, double error)
{
    // Just under half a unit in the last place of the result, 2^(e - 54) times
    // (2 - 2^-8) for a result of exponent e, compared as bits: for doubles of
    // the same sign the bits order like the values. At a power of two the grid
    // below is finer, but an exact value below it that rounds up to it in
    // double lies at most on the finer grid's halfway point, whose tie goes to
    // the even power of two in both roundings. Needs an exponent field of 55 or more.
    constexpr std::uint64_t kExponent = 0x7ff0000000000000;
    constexpr std::uint64_t kLimitSignificand = 0x000ff00000000000;
    const std::uint64_t limit =
        (Bits(result) & kExponent) - (std::uint64_t{54} << 52) + kLimitSignificand;
    return (Bits(error) & ~(std::uint64_t{1} << 63)) < limit;
}

// Veltkamp's split: high and low halves of 26 bits each, exactly.
[[gnu::always_inline]] inline void Split(double value, double& high, double& low)
{
    const double scaled = 134217729.0 * value;
    const double difference = scaled - value;
    high = scaled - difference;
    low = value - high;
}

// Dekker's product: the exact error of left * right rounded to double.
[[gnu::always_inline]] inline double ProductError(double left, double right, double product)
{
    double leftHigh = 0, leftLow = 0, rightHigh = 0, rightLow = 0;
    Split(left, leftHigh, leftLow);
    Split(right, rightHigh, rightLow);
    const double highHigh = leftHigh * rightHigh;
    const double highLow = leftHigh * rightLow;
    const double lowHigh = leftLow * rightHigh;
    const double lowLow = leftLow * rightLow;
    double error = highHigh - product;
    error = error + highLow;
    error = error + lowHigh;
    return error + lowLow;
}

[[gnu::always_inline]] inline bool FastAdd(double left, double right, double& result)
{
    const double sum = left + right;
    result = sum;
    if (static_cast<unsigned>(ExponentField(sum) - 55) > 2046U - 55U) {
        // Two doubles that cancel do so exactly, with the same sign of zero;
        // tiny and infinite sums are left to extended precision.
        return sum == 0;
    }
    // Knuth's two-sum: exact for any doubles whose sum is finite.
    const double rightPart = sum - left;
    const double leftPart = sum - rightPart;
    const double rightError = right - rightPart;
    const double leftError = left - leftPart;
    const double error = leftError + rightError;
    return RoundsAlike(sum, error);
}

[[gnu::always_inline]] inline bool FastMultiply(double left, double right, double& result)
{
    const double product = left * right;
    if (left == 0 || right == 0) {
        result = product;
        return true;
    }
    if (!IsSafe(left) || !IsSafe(right) || !IsSafe(product)) {
        return false;
    }
    result = product;
    return RoundsAlike(product, ProductError(left, right, product));
}

[[gnu::always_inline]] inline bool FastDivide(double left, double right, double& result)
{
    if (right == 0) {
        return false;
    }
    const double quotient = left / right;
    if (left == 0) {
        result = quotient;
        return true;
    }
    if (!IsSafe(left) || !IsSafe(right) || !IsSafe(quotient)) {
        return false;
    }
    // The remainder left - quotient * right is exact: the product is split
    // off exactly, and what is left of the subtraction is representable.
    const double product = quotient * right;
    const double productError = ProductError(quotient, right, product);
    const double difference = left - product;
    const double remainder = difference - productError;
    result = quotient;
    if (remainder == 0) {
        return true;
    }
    const std::uint64_t ulpBits = (Bits(quotient) & 0x7ff0000000000000) - (std::uint64_t{52} << 52);
    double ulp = 0;
    std::memcpy(&ulp, &ulpBits, sizeof ulp);
    // The error of the quotient is remainder / right; the margin covers the
    // rounding of this bound.
    const double limit = std::fabs(right) * (ulp * (0.5 - 0x1p-10));
    return std::fabs(remainder) < limit;
}

[[gnu::always_inline]] inline bool FastSubtract(double left, double right, double& result)
{
    return FastAdd(left, -right, result);
}

// The same tests where the processor has fused multiply-add, used only
// inside functions compiled for such processors. With the exact error e of
// a result r, r + e * (1 + 2^-9) rounds back to r exactly when |e| is at most
// about half a unit of r less 2^-10 units (a quarter unit below a power of
// two), so the exact value lies more than half a 64-bit step from every
// halfway point and both roundings give r. Any inf or NaN makes the test
// fail. The fused error of a product is exact from 2^-913 on.
constexpr double kErrorMargin = 1 + 0x1p-9;

// An exact value halfway between two doubles has 54 significant bits, which
// the 64-bit rounding keeps, so both roundings break the tie alike. Such ties
// are common (20 * 2.05), so they are taken here rather than sent to
// extended precision. `error` is exact; r + 2e is then the neighbour of r,
// whose difference from r is exact.
[[gnu::always_inline]] inline bool IsExactTie(double result, double error)
{
    return __builtin_fma(2.0, error, result) - result == 2 * error;
}

[[gnu::always_inline]] inline bool FusedAdd(double left, double right, double& result)
{
    const double sum = left + right;
    result = sum;
    // Knuth's two-sum is exact down to the subnormals, where sums are exact.
    const double rightPart = sum - left;
    const double leftPart = sum - rightPart;
    const double rightError = right - rightPart;
    const double leftError = left - leftPart;
    const double error = leftError + rightError;
    return __builtin_fma(error, kErrorMargin, sum) == sum || IsExactTie(sum, error);
}

[[gnu::always_inline]] inline bool FusedSubtract(double left, double right, double& result)
{
    return FusedAdd(left, -right, result);
}

[[gnu::always_inline]] inline bool FusedMultiply(double left, double right, double& result)
{
    const double product = left * right;
    result = product;
    if (std::fabs(product) >= 0x1p-913) {
        const double error = __builtin_fma(left, right, -product);
        return __builtin_fma(error, kErrorMargin, product) == product || IsExactTie(product, error);
    }
    // A zero factor gives an exact zero of the right sign.
    return left == 0 || right == 0;
}

[[gnu::always_inline]] inline bool FusedDivide(double left, double right, double& result)
{
    if (right == 0) {
        return false;
    }
    const double quotient = left / right;
    result = quotient;
    // The remainder is exact while the quotient and the dividend stay clear
    // of the subnormals (2^-913 and 2^-863); zero, inf and NaN fail the test.
    const double magnitude = std::fabs(quotient);
    if (!(magnitude >= 0x1p-913 && magnitude <= std::numeric_limits<double>::max()) ||
        std::fabs(left) < 0x1p-863) {
        return left == 0;
    }
    const double remainder = __builtin_fma(-quotient, right, left);
    const std::uint64_t ulpBits = (Bits(quotient) & 0x7ff0000000000000) - (std::uint64_t{52} << 52);
    double ulp = 0;
    std::memcpy(&ulp, &ulpBits, sizeof ulp);
    // As in FastDivide. (A quotient of two doubles is never exactly halfway.)
    const double limit = std::fabs(right) * (ulp * (0.5 - 0x1p-10));
    return std::fabs(remainder) < limit;
}

} // namespace Expr
