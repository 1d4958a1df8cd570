#include "expr/WideKernels.h"

#include "expr/ExtendedStep.h"
#include "expr/RoundingChecks.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

// The exact error terms must not be fused into multiply-adds.
#if defined(__clang__)
#pragma clang fp contract(off)
#endif

namespace Expr {

namespace {

template <TKernel Kernel>
[[gnu::always_inline]] inline long double Apply(long double left, long double right)
{
    if constexpr (Kernel == kAdd) {
        return left + right;
    } else if constexpr (Kernel == kSubtract) {
        return left - right;
    } else if constexpr (Kernel == kMultiply) {
        return left * right;
    } else if constexpr (Kernel == kNegatedMultiply) {
        return -(left * right);
    } else if constexpr (Kernel == kDivide) {
        return left / right;
    } else {
        return -(left / right);
    }
}

// A division by zero gives inf or NaN here, which the caller's scan turns into
// the fault Value() raises; so these loops need no test per row.
template <TKernel Kernel, bool LeftColumn, bool RightColumn>
void RunKernel(const double* left, long double leftValue, const double* right,
               long double rightValue, double* out, std::size_t rows)
{
    for (std::size_t r = 0; r < rows; ++r) {
        const long double a = LeftColumn ? static_cast<long double>(left[r]) : leftValue;
        const long double b = RightColumn ? static_cast<long double>(right[r]) : rightValue;
        out[r] = static_cast<double>(Apply<Kernel>(a, b));
    }
}

template <TKernel Kernel>
constexpr TKernelFunction kKernelsOf[3] = {
    RunKernel<Kernel, true, true>, RunKernel<Kernel, true, false>, RunKernel<Kernel, false, true>};

#ifdef QUILLMARCH_WIDE_KERNELS
// The arithmetic kernels again, four rows at a time in double, for processors
// with AVX2 and fused multiply-add (chosen at run time). Each row's exact
// error comes from a fused multiply-add (products, remainders of quotients) or
// from Knuth's two-sum, and the row keeps its double result only where that
// provably equals the extended result rounded to double, as in Value(). Every
// other row, including any that overflows, underflows or faults, is marked
// with a NaN and evaluated again in extended precision.

#define QUILLMARCH_WIDE [[gnu::target("avx2,fma"), gnu::always_inline]] inline

QUILLMARCH_WIDE __m256i WideBits(__m256d value)
{
    return _mm256_castpd_si256(value);
}

QUILLMARCH_WIDE __m256i WideExponent(__m256d value)
{
    return _mm256_and_si256(WideBits(value), _mm256_set1_epi64x(0x7ff0000000000000));
}

// Lanes whose exponent field lies in low..2046 (finite, and not below 2^(low - 1023)).
QUILLMARCH_WIDE __m256i WideInRange(__m256i exponent, long long low)
{
    const __m256i atLeast = _mm256_cmpgt_epi64(exponent, _mm256_set1_epi64x((low - 1) << 52));
    const __m256i finite = _mm256_cmpgt_epi64(_mm256_set1_epi64x(0x7ff0000000000000), exponent);
    return _mm256_and_si256(atLeast, finite);
}

// RoundsAlike for four lanes; the exponent field must be 55 or more.
QUILLMARCH_WIDE __m256i WideRoundsAlike(__m256i exponent, __m256d error)
{
    const __m256i limit = _mm256_add_epi64(
        exponent, _mm256_set1_epi64x(0x000ff00000000000 - (std::int64_t{54} << 52)));
    const __m256i magnitude =
        _mm256_and_si256(WideBits(error), _mm256_set1_epi64x(0x7fffffffffffffff));
    return _mm256_cmpgt_epi64(limit, magnitude);
}

// Or the exact value lies exactly halfway (|error| is half a unit of the
// result), a tie both roundings break alike.
QUILLMARCH_WIDE __m256i WideRoundsAlikeOrTie(__m256i exponent, __m256d error)
{
    const __m256i magnitude =
        _mm256_and_si256(WideBits(error), _mm256_set1_epi64x(0x7fffffffffffffff));
    const __m256i halfUnit = _mm256_sub_epi64(exponent, _mm256_set1_epi64x(std::int64_t{53} << 52));
    return _mm256_or_si256(WideRoundsAlike(exponent, error),
                           _mm256_cmpeq_epi64(magnitude, halfUnit));
}

template <TKernel Kernel> QUILLMARCH_WIDE __m256d WideApply(__m256d a, __m256d b, __m256i& ok)
{
    const __m256d zero = _mm256_setzero_pd();
    if constexpr (Kernel == kAdd || Kernel == kSubtract) {
        if constexpr (Kernel == kSubtract) {
            b = _mm256_xor_pd(b, _mm256_set1_pd(-0.0));
        }
        const __m256d sum = _mm256_add_pd(a, b);
        const __m256d bPart = _mm256_sub_pd(sum, a);
        const __m256d aPart = _mm256_sub_pd(sum, bPart);
        const __m256d error = _mm256_add_pd(_mm256_sub_pd(a, aPart), _mm256_sub_pd(b, bPart));
        const __m256i exponent = WideExponent(sum);
        // Two doubles that cancel do so exactly, with the same sign of zero.
        const __m256i exact = _mm256_castpd_si256(_mm256_cmp_pd(sum, zero, _CMP_EQ_OQ));
        ok = _mm256_or_si256(
            _mm256_and_si256(WideInRange(exponent, 55), WideRoundsAlikeOrTie(exponent, error)),
            exact);
        return sum;
    } else if constexpr (Kernel == kMultiply || Kernel == kNegatedMultiply) {
        const __m256d product = _mm256_mul_pd(a, b);
        const __m256d error = _mm256_fmsub_pd(a, b, product);
        const __m256i exponent = WideExponent(product);
        // A zero factor gives an exact zero of the right sign (the other is finite).
        const __m256i exact = _mm256_castpd_si256(
            _mm256_or_pd(_mm256_cmp_pd(a, zero, _CMP_EQ_OQ), _mm256_cmp_pd(b, zero, _CMP_EQ_OQ)));
        // From an exponent field of 110 on, the error term cannot underflow.
        ok = _mm256_or_si256(
            _mm256_and_si256(WideInRange(exponent, 110), WideRoundsAlikeOrTie(exponent, error)),
            exact);
        return Kernel == kMultiply ? product : _mm256_xor_pd(product, _mm256_set1_pd(-0.0));
    } else {
        const __m256d quotient = _mm256_div_pd(a, b);
        // Exact as long as nothing underflows, which the ranges below ensure.
        const __m256d remainder = _mm256_fnmadd_pd(quotient, b, a);
        const __m256i exponent = WideExponent(quotient);
        const __m256d ulp = _mm256_castsi256_pd(
            _mm256_sub_epi64(exponent, _mm256_set1_epi64x(std::int64_t{52} << 52)));
        const __m256d magnitudeMask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffff));
        // The error of the quotient is remainder / b; the margin covers the
        // rounding of this bound, as in FastDivide.
        const __m256d limit = _mm256_mul_pd(_mm256_and_pd(b, magnitudeMask),
                                            _mm256_mul_pd(ulp, _mm256_set1_pd(0.5 - 0x1p-10)));
        const __m256i close = _mm256_castpd_si256(
            _mm256_cmp_pd(_mm256_and_pd(remainder, magnitudeMask), limit, _CMP_LT_OQ));
        const __m256i ranges =
            _mm256_and_si256(WideInRange(exponent, 110), WideInRange(WideExponent(a), 160));
        const __m256i nonZeroDivisor = _mm256_castpd_si256(_mm256_cmp_pd(b, zero, _CMP_NEQ_UQ));
        const __m256i zeroDividend = _mm256_castpd_si256(_mm256_cmp_pd(a, zero, _CMP_EQ_OQ));
        ok = _mm256_and_si256(nonZeroDivisor,
                              _mm256_or_si256(_mm256_and_si256(ranges, close), zeroDividend));
        return Kernel == kDivide ? quotient : _mm256_xor_pd(quotient, _mm256_set1_pd(-0.0));
    }
}

// Runs the rows in fours up to the last full four and returns how many it
// ran; `marked` tells whether any of them holds a NaN to evaluate again.
template <TKernel Kernel, bool LeftColumn, bool RightColumn>
[[gnu::target("avx2,fma")]] std::size_t RunWideKernel(const double* left, double leftValue,
                                                      const double* right, double rightValue,
                                                      double* out, std::size_t rows, bool& marked)
{
    const __m256d leftUniform = _mm256_set1_pd(leftValue);
    const __m256d rightUniform = _mm256_set1_pd(rightValue);
    const __m256d nan = _mm256_set1_pd(std::numeric_limits<double>::quiet_NaN());
    __m256i rejected = _mm256_setzero_si256();
    const std::size_t wide = rows & ~std::size_t{3};
    for (std::size_t r = 0; r < wide; r += 4) {
        const __m256d a = LeftColumn ? _mm256_loadu_pd(left + r) : leftUniform;
        const __m256d b = RightColumn ? _mm256_loadu_pd(right + r) : rightUniform;
        __m256i ok;
        const __m256d value = WideApply<Kernel>(a, b, ok);
        rejected = _mm256_or_si256(rejected, _mm256_xor_si256(ok, _mm256_set1_epi64x(-1)));
        _mm256_storeu_pd(out + r, _mm256_blendv_pd(nan, value, _mm256_castsi256_pd(ok)));
    }
    marked = _mm256_testz_si256(rejected, rejected) == 0;
    return wide;
}

#undef QUILLMARCH_WIDE

template <TKernel Kernel>
constexpr TWideKernelFunction kWideKernelsOf[3] = {RunWideKernel<Kernel, true, true>,
                                                   RunWideKernel<Kernel, true, false>,
                                                   RunWideKernel<Kernel, false, true>};

bool HasWideKernels()
{
    // The tests set this to run the portable arithmetic on any processor.
    if (std::getenv("QUILLMARCH_PORTABLE_ARITHMETIC") != nullptr) {
        return false;
    }
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

#endif

} // namespace

const TKernelFunction* const kKernels[6] = {
    kKernelsOf<kAdd>,      kKernelsOf<kSubtract>,
    kKernelsOf<kMultiply>, kKernelsOf<kNegatedMultiply>,
    kKernelsOf<kDivide>,   kKernelsOf<kNegatedDivide>,
};

#ifdef QUILLMARCH_WIDE_KERNELS
const bool kUseWideKernels = HasWideKernels();

const TWideKernelFunction* const kWideKernels[6] = {
    kWideKernelsOf<kAdd>,      kWideKernelsOf<kSubtract>,
    kWideKernelsOf<kMultiply>, kWideKernelsOf<kNegatedMultiply>,
    kWideKernelsOf<kDivide>,   kWideKernelsOf<kNegatedDivide>,
};
#endif

} // namespace Expr
