#include "expr/MathsParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#endif

// The exact error terms below must not be fused into multiply-adds.
#if defined(__clang__)
#pragma clang fp contract(off)
#endif

namespace {

// The encoded text addresses slots with two digits, so everything must fit in 0..99.
constexpr int kLastSlot = 99;
constexpr int kFirstLiteralSlot = 10;
// Longer texts were never counted reliably; they are refused rather than half-read.
constexpr std::size_t kMaxNormalisedLength = 256;

enum TFault
{
    kZeroDivide = 1,
    kInvalidOp,
    kOverflow
};

struct TFunction
{
    const char* Name;
    const char* Code;
    std::int8_t Operation;
};

// Longer names stand before their prefixes ("arcsin" before "sin", "erfc" before "erf").
constexpr TFunction kFunctions[] = {
    {"log10", "@@@", 8},   {"sqrt", "@@#", 18},   {"ln", "@@$", 7},      {"exp", "@#@", 6},
    {"arcsin", "@##", 13}, {"arccos", "@#$", 14}, {"arctan", "@$@", 15}, {"sin", "@$#", 9},
    {"cos", "@$$", 10},    {"tan", "#@@", 11},    {"abs", "#@#", 12},    {"erfc", "#@$", 17},
    {"erf", "##@", 16},
};

constexpr const char* kPlaceholders[8] = {"!!", "!&", "!%", "&!", "&&", "&%", "%!", "%&"};

struct TOperator
{
    char Symbol;
    std::int8_t Operation;
};

// The fixed pass order of the formula language: "/" before "*" and "-" before "+".
constexpr TOperator kPasses[] = {{'^', 1}, {'/', 3}, {'*', 2}, {'-', 5}, {'+', 4}};

// Stands for pi between the name substitutions and the cutting of literals;
// a control character, which no formula may hold.
constexpr char kPiMark = '\x01';
constexpr const char* kPiText = "3.14159265358979";

// A number, a variable's placeholder or pi again next to pi would be read as
// one operand with it.
bool GluesToPi(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == kPiMark || c == '!' || c == '&' || c == '%';
}

const char* BracketMessage(bool japanese)
{
    return japanese ? "括弧の数が一致していません。式を再点検してください。"
                    : "Number of bracket is miss-matching. Review your expression.";
}

const char* SyntaxMessage(bool japanese)
{
    return japanese ? "誤った表記が見られます。修正して下さい。"
                    : "The expression is improper. Please check it.";
}

// Replaces every occurrence from left to right; the replacement is not searched again.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to)
{
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found = text.find(from); found != std::string::npos;
         found = text.find(from, start)) {
        result.append(text, start, found - start);
        result += to;
        start = found + from.size();
    }
    result.append(text, start, std::string::npos);
    return result;
}

// Only ASCII letters: the text may hold UTF-8 or any other bytes.
std::string AsciiLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string TwoDigits(int slot)
{
    return std::string{static_cast<char>('0' + slot / 10), static_cast<char>('0' + slot % 10)};
}

// The number conversion always reads "." as the decimal point, whatever the user's locale.
double ToLiteral(const std::string& run)
{
    double value = 0;
    const char* first = run.data();
    const char* last = first + run.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error != std::errc{} || end != last || !std::isfinite(value)) {
        throw EConvertError("'" + run + "' is not a valid floating point value");
    }
    return value;
}

// Every operand in the encoded text is exactly two digits; anything else means the
// formula had an operator without an operand, an empty bracket or a stray function name.
int ToSlot(const std::string& piece)
{
    if (piece.size() != 2 || !IsDigit(piece[0]) || !IsDigit(piece[1])) {
        throw EConvertError("'" + piece + "' is not a valid integer value");
    }
    return (piece[0] - '0') * 10 + (piece[1] - '0');
}

bool IsFunctionCode(const std::string& text, std::size_t at, std::int8_t& operation)
{
    for (const TFunction& function : kFunctions) {
        if (text.compare(at, 3, function.Code) == 0) {
            operation = function.Operation;
            return true;
        }
    }
    return false;
}

long double Erfc(long double x)
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

long double Power(long double base, long double exponent, int& fault)
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

bool IsKnownCode(int code)
{
    return code >= 1 && code <= 18;
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

// Out of line, so the common arithmetic of Value() stays a small loop.
[[gnu::noinline]] int EvaluateApart(int code, long double left, long double right, double& stored)
{
    return Evaluate(code, left, right, stored);
}

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

using TKernelFunction = void (*)(const double*, long double, const double*, long double, double*,
                                 std::size_t);

template <TKernel Kernel>
constexpr TKernelFunction kKernelsOf[3] = {
    RunKernel<Kernel, true, true>, RunKernel<Kernel, true, false>, RunKernel<Kernel, false, true>};

constexpr const TKernelFunction* kKernels[] = {
    kKernelsOf<kAdd>,      kKernelsOf<kSubtract>,
    kKernelsOf<kMultiply>, kKernelsOf<kNegatedMultiply>,
    kKernelsOf<kDivide>,   kKernelsOf<kNegatedDivide>,
};

#if defined(__x86_64__) || defined(__i386__)
// The arithmetic kernels again, four rows at a time in double, for processors
// with AVX2 and fused multiply-add (chosen at run time). Each row's exact
// error comes from a fused multiply-add (products, remainders of quotients) or
// from Knuth's two-sum, and the row keeps its double result only where that
// provably equals the extended result rounded to double, as in Value(). Every
// other row, including any that overflows, underflows or faults, is marked
// with a NaN and evaluated again in extended precision.
#define QUILLMARCH_WIDE_KERNELS 1

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

using TWideKernelFunction = std::size_t (*)(const double*, double, const double*, double, double*,
                                            std::size_t, bool&);

template <TKernel Kernel>
constexpr TWideKernelFunction kWideKernelsOf[3] = {RunWideKernel<Kernel, true, true>,
                                                   RunWideKernel<Kernel, true, false>,
                                                   RunWideKernel<Kernel, false, true>};

constexpr const TWideKernelFunction* kWideKernels[] = {
    kWideKernelsOf<kAdd>,      kWideKernelsOf<kSubtract>,
    kWideKernelsOf<kMultiply>, kWideKernelsOf<kNegatedMultiply>,
    kWideKernelsOf<kDivide>,   kWideKernelsOf<kNegatedDivide>,
};

bool HasWideKernels()
{
    // The tests set this to run the portable arithmetic on any processor.
    if (std::getenv("QUILLMARCH_PORTABLE_ARITHMETIC") != nullptr) {
        return false;
    }
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

const bool kUseWideKernels = HasWideKernels();
#endif

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

// One arithmetic operation over a block of rows (shape 0: both operands are
// columns, 1: the left one, 2: the right one). A fault shows as inf or NaN,
// left for the caller's scan from the row returned: rows that passed the
// double kernel's checks, which admit only finite results, need none.
std::size_t RunArithmetic(TKernel kernel, int shape, const double* left, long double leftValue,
                          const double* right, long double rightValue, double* out,
                          std::size_t rows)
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

// x / 2^k equals x * 2^-k exactly, and multiplying is much cheaper.
bool IsPowerOfTwo(long double value)
{
    int exponent = 0;
    return value != 0 && std::isfinite(value) && std::fabs(std::frexp(value, &exponent)) == 0.5L;
}

std::string InQuotes(const std::string& text)
{
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

[[noreturn]] void FailName(const std::string& english, const std::string& japanese, bool inJapanese)
{
    throw EVariableNameError(inJapanese ? japanese : english);
}

// Names are found in the formula by their text alone, after the function
// names and pi have been taken out of it; so a name holding one of those or
// a character the language uses for itself could never be found.
std::array<std::string, 8> CheckedNames(const std::vector<std::string>& names, bool japanese)
{
    if (names.size() > 8) {
        FailName("At most 8 variable names.", "変数名は8個までです。", japanese);
    }
    std::array<std::string, 8> checked;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name.empty()) {
            continue;
        }
        const std::string quoted = InQuotes(name);
        if (!IsAsciiLetter(name.front())) {
            FailName("Variable name " + quoted + " must start with a letter.",
                     "変数名 " + quoted + " は英字で始めてください。", japanese);
        }
        if (!std::all_of(name.begin(), name.end(),
                         [](char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_'; })) {
            FailName("Variable name " + quoted + " may hold only letters, digits and _.",
                     "変数名 " + quoted + " に使えるのは英字、数字と _ だけです。", japanese);
        }
        const std::string lower = AsciiLower(name);
        const auto refuseReserved = [&](const char* word) {
            if (lower.find(word) != std::string::npos) {
                FailName("Variable name " + quoted + " contains the reserved name " +
                             InQuotes(word) + ".",
                         "変数名 " + quoted + " は予約された名前 " + InQuotes(word) +
                             " を含んでいます。",
                         japanese);
            }
        };
        for (const TFunction& function : kFunctions) {
            refuseReserved(function.Name);
        }
        refuseReserved("pi");
        for (std::size_t k = 0; k < i; ++k) {
            if (AsciiLower(names[k]) == lower) {
                FailName("Variable name " + quoted + " is given to two variables.",
                         "変数名 " + quoted + " が2つの変数に付けられています。", japanese);
            }
        }
        checked[i] = name;
    }
    return checked;
}

} // namespace

bool MessagesInJapanese()
{
#ifdef _WIN32
    char directory[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
    if (length == 0 || length > MAX_PATH) {
        return false;
    }
    const std::string font = std::string(directory, length) + "\\Fonts\\MSMINCHO.TTC";
    return GetFileAttributesA(font.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return std::strncmp(value, "ja", 2) == 0;
        }
    }
    return false;
#endif
}

TMathsParser::TMathsParser()
    : m_names{"a", "b", "c", "d", "e", "f", "g", "x"}, m_japanese(MessagesInJapanese())
{
}

void TMathsParser::SetVarNames(const std::vector<std::string>& names)
{
    try {
        m_names = CheckedNames(names, m_japanese);
    } catch (const Exception& error) {
        m_errorMessage = error.what();
        throw;
    }
}

void TMathsParser::SetExpression(std::string text)
{
    try {
        TProgram program = Compile(text);
        std::copy_n(m_program.Slots.begin() + 1, 8, program.Slots.begin() + 1);
        m_program = program;
        m_expression = std::move(text);
    } catch (const Exception& error) {
        m_errorMessage = error.what();
        throw;
    }
}

TMathsParser::TProgram TMathsParser::Compile(const std::string& expression) const
{
    TProgram program;

    std::string text;
    text.reserve(expression.size() + 2);
    text += '(';
    for (char c : expression) {
        if (c != ' ') {
            text += c;
        }
    }
    text += ')';
    text = AsciiLower(std::move(text));
    for (char& c : text) {
        if (c == '[' || c == '{') {
            c = '(';
        } else if (c == ']' || c == '}') {
            c = ')';
        }
    }

    if (std::count(text.begin(), text.end(), '(') != std::count(text.begin(), text.end(), ')')) {
        throw EMissMatchingBracket(BracketMessage(m_japanese));
    }
    if (text.size() > kMaxNormalisedLength) {
        throw ESyntaxError(SyntaxMessage(m_japanese));
    }

    text = ReplaceAll(text, "+-", "-");
    text = ReplaceAll(text, "(-", "(0-");
    for (const TFunction& function : kFunctions) {
        text = ReplaceAll(text, function.Name, function.Code);
    }
    // pi stands as one mark until the literals are cut, so that a number or a
    // name written against it is seen there instead of merging with its digits
    // ("2pi" would read as 23.14159265358979).
    if (text.find(kPiMark) != std::string::npos) {
        throw ESyntaxError(SyntaxMessage(m_japanese));
    }
    text = ReplaceAll(text, "pi", std::string(1, kPiMark));

    // Longest names first, so a name never matches inside a longer one; among equal
    // lengths the higher-numbered variable wins.
    std::array<std::string, 8> names;
    std::array<int, 8> order{};
    for (int i = 0; i < 8; ++i) {
        names[i] = AsciiLower(m_names[i]);
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&names](int a, int b) {
        if (names[a].size() != names[b].size()) {
            return names[a].size() > names[b].size();
        }
        return a > b;
    });
    for (int i : order) {
        if (!names[i].empty()) {
            text = ReplaceAll(text, names[i], kPlaceholders[i]);
        }
    }

    int nextLiteral = kFirstLiteralSlot;
    auto addLiteral = [&](const std::string& run) {
        const double value = ToLiteral(run);
        // The last literal must leave slot 99 free for B, so at most 89 literals.
        if (nextLiteral >= kLastSlot) {
            throw ESyntaxError(SyntaxMessage(m_japanese));
        }
        program.Slots[nextLiteral] = value;
        return TwoDigits(nextLiteral++);
    };
    std::string encoded = "(";
    std::string run;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == kPiMark) {
            if (GluesToPi(text[i - 1]) || GluesToPi(text[i + 1])) {
                throw ESyntaxError(SyntaxMessage(m_japanese));
            }
            encoded += addLiteral(kPiText);
            continue;
        }
        if (IsDigit(c) || c == '.') {
            run += c;
            continue;
        }
        if (!run.empty()) {
            encoded += addLiteral(run);
            run.clear();
        }
        encoded += c;
    }
    if (!run.empty()) {
        encoded += addLiteral(run);
    }

    for (int i = 0; i < 8; ++i) {
        if (!names[i].empty()) {
            encoded = ReplaceAll(encoded, kPlaceholders[i], TwoDigits(i + 1));
        }
    }

    std::string check = encoded;
    for (const TFunction& function : kFunctions) {
        check = ReplaceAll(check, function.Code, "");
    }
    for (const char* symbol : {"(", ")", "^", "*", "/", "+", "-"}) {
        check = ReplaceAll(check, symbol, "");
    }
    if (!std::all_of(check.begin(), check.end(), [](char c) { return IsDigit(c) || c == '.'; })) {
        throw ESyntaxError(SyntaxMessage(m_japanese));
    }

    program.Base = nextLiteral;
    int count = 0;
    auto addOperation = [&](std::int8_t code, int left, int right, int sign) {
        const int slot = program.Base + count + 1;
        if (slot > kLastSlot) {
            throw ESyntaxError(SyntaxMessage(m_japanese));
        }
        program.Operations[count++] = {code, static_cast<std::int8_t>(left),
                                       static_cast<std::int8_t>(right),
                                       static_cast<std::int8_t>(sign)};
        return TwoDigits(slot);
    };
    auto reduce = [&](std::string content) {
        for (const TOperator& pass : kPasses) {
            for (std::size_t at = content.find(pass.Symbol); at != std::string::npos;
                 at = content.find(pass.Symbol)) {
                const std::size_t leftStart = at >= 2 ? at - 2 : 0;
                const int left = ToSlot(content.substr(leftStart, at - leftStart));
                std::size_t rightStart = at + 1;
                int sign = 1;
                if (rightStart < content.size() && content[rightStart] == '-') {
                    sign = -1;
                    ++rightStart;
                }
                const int right = ToSlot(content.substr(rightStart, 2));
                content.replace(leftStart, rightStart + 2 - leftStart,
                                addOperation(pass.Operation, left, right, sign));
            }
        }
        return content;
    };

    for (std::size_t open = encoded.rfind('('); open != std::string::npos;
         open = encoded.rfind('(')) {
        const std::size_t close = encoded.find(')', open);
        if (close == std::string::npos) {
            throw ESyntaxError(SyntaxMessage(m_japanese));
        }
        const std::string content = reduce(encoded.substr(open + 1, close - open - 1));
        const int slot = ToSlot(content);
        std::int8_t function = 0;
        if (open >= 3 && IsFunctionCode(encoded, open - 3, function)) {
            encoded.replace(open - 3, close - open + 4, addOperation(function, slot, 0, 1));
        } else {
            encoded.replace(open, close - open + 1, content);
        }
    }
    program.Result = ToSlot(reduce(encoded));
    program.Count = count;

    auto markUsed = [&program](int slot) {
        if (slot >= 1 && slot <= 8) {
            program.UsedVariables |= 1U << (slot - 1);
        }
    };
    markUsed(program.Result);
    for (int i = 0; i < count; ++i) {
        markUsed(program.Operations[i].Left);
        if (program.Operations[i].Code <= 5) {
            markUsed(program.Operations[i].Right);
        }
    }
    for (std::uint8_t slot = 1; slot <= 8; ++slot) {
        if ((program.UsedVariables >> (slot - 1) & 1U) != 0) {
            program.ReadSlots[static_cast<std::size_t>(program.ReadCount++)] = slot;
        }
    }
    for (int i = 0; i < count; ++i) {
        const TOperation operation = program.Operations[i];
        const bool negative = operation.Sign < 0;
        TStep& step = program.Steps[i];
        step.Left = static_cast<std::uint8_t>(operation.Left);
        step.Right = static_cast<std::uint8_t>(operation.Right);
        switch (operation.Code) {
        case 2:
            step.Kind = StepMultiply;
            break;
        case 3:
            step.Kind = StepDivide;
            break;
        case 4:
            step.Kind = negative ? StepSubtract : StepAdd;
            break;
        case 5:
            step.Kind = negative ? StepAdd : StepSubtract;
            break;
        default:
            step.Kind = StepOther;
            break;
        }
        const int previous = program.Base + i;
        step.Flags = static_cast<std::uint8_t>(
            (i > 0 && operation.Left == previous ? 1 : 0) |
            (i > 0 && operation.Code <= 5 && operation.Right == previous ? 2 : 0) |
            (negative && (operation.Code == 2 || operation.Code == 3) ? 4 : 0));
        step.Case = static_cast<std::uint8_t>(step.Kind * 8 + step.Flags);
    }
    program.ResultIsLast = count > 0 && program.Result == program.Base + count;
    program.Arithmetic = std::all_of(program.Steps.begin(), program.Steps.begin() + count,
                                     [](const TStep& step) { return step.Kind != StepOther; });
    return program;
}

void TMathsParser::FailEvaluation(int fault)
{
    switch (fault) {
    case kZeroDivide:
        m_errorMessage = "Floating point division by zero";
        throw EZeroDivide(m_errorMessage);
    case kOverflow:
        m_errorMessage = "Floating point overflow";
        throw EOverflow(m_errorMessage);
    default:
        m_errorMessage = "Invalid floating point operation";
        throw EInvalidOp(m_errorMessage);
    }
}

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

template <bool Fused> [[gnu::always_inline]] inline double TMathsParser::RunSteps()
{
    double* const slots = m_program.Slots.data();
    constexpr auto Add = Fused ? FusedAdd : FastAdd;
    constexpr auto Subtract = Fused ? FusedSubtract : FastSubtract;
    constexpr auto Multiply = Fused ? FusedMultiply : FastMultiply;
    constexpr auto Divide = Fused ? FusedDivide : FastDivide;
    double* const results = slots + m_program.Base + 1;
    const int count = m_program.Count;
    double last = 0;
    for (int i = 0; i < count; ++i) {
        const TStep& step = m_program.Steps[i];
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
            const TOperation operation = m_program.Operations[i];
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
                FailEvaluation(fault);
            }
            last = stored;
        }
        results[i] = last;
    }
    return m_program.ResultIsLast ? last : slots[m_program.Result];
}

template <bool Fused> [[gnu::always_inline]] inline double TMathsParser::TryRunSteps()
{
    double* const slots = m_program.Slots.data();
    constexpr auto Add = Fused ? FusedAdd : FastAdd;
    constexpr auto Subtract = Fused ? FusedSubtract : FastSubtract;
    constexpr auto Multiply = Fused ? FusedMultiply : FastMultiply;
    constexpr auto Divide = Fused ? FusedDivide : FastDivide;
    double* const results = slots + m_program.Base + 1;
    const int count = m_program.Count;
    double last = 0;
    // Steps that fail their check go on with an approximate (or inf, NaN)
    // value; nothing of it is kept, since the program then runs again.
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        const TStep& step = m_program.Steps[i];
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
        return Fused ? RunStepsFused() : RunStepsPortable();
    }
    return m_program.ResultIsLast ? last : slots[m_program.Result];
}

#undef QUILLMARCH_ARITHMETIC_STEP_CASES
#undef QUILLMARCH_STEP_FLAGS

double TMathsParser::Value()
{
    const double* const slots = m_program.Slots.data();
    // A variable the program reads that the caller left at inf or NaN fails
    // like a faulty result would, instead of flowing silently into the formula.
    // Each is read on its own: the caller has usually just stored one of them,
    // and a wide load over that store would wait for it to retire.
    std::uint64_t carries = 0;
    for (int k = 0; k < m_program.ReadCount; ++k) {
        carries |= NonFiniteCarry(slots[m_program.ReadSlots[static_cast<std::size_t>(k)]]);
    }
    if ((carries >> 63) != 0) {
        FailVariables();
    }

#ifdef QUILLMARCH_WIDE_KERNELS
    if (kUseWideKernels) {
        return m_program.Arithmetic ? TryRunStepsFused() : RunStepsFused();
    }
#endif
    return m_program.Arithmetic ? TryRunStepsPortable() : RunStepsPortable();
}

[[gnu::noinline, gnu::cold]] void TMathsParser::FailVariables()
{
    for (int k = 0; k < m_program.ReadCount; ++k) {
        const double value = m_program.Slots[m_program.ReadSlots[static_cast<std::size_t>(k)]];
        if (!std::isfinite(value)) {
            FailEvaluation(std::isnan(value) ? kInvalidOp : kOverflow);
        }
    }
}

[[gnu::noinline]] double TMathsParser::TryRunStepsPortable()
{
    return TryRunSteps<false>();
}

[[gnu::noinline]] double TMathsParser::RunStepsPortable()
{
    return RunSteps<false>();
}

#ifdef QUILLMARCH_WIDE_KERNELS
[[gnu::target("avx2,fma"), gnu::noinline]] double TMathsParser::TryRunStepsFused()
{
    return TryRunSteps<true>();
}

[[gnu::target("avx2,fma"), gnu::noinline]] double TMathsParser::RunStepsFused()
{
    return RunSteps<true>();
}
#endif

void TMathsParser::ValueBatch(const TColumns& columns, std::size_t rows, double* out)
{
    for (std::size_t first = 0; first < rows; first += BatchRows) {
        RunBatchBlock(columns, first, std::min(BatchRows, rows - first), out + first);
    }
}

// Rows from `limit` on no longer matter once one of them has faulted: the
// answer is then that row's fault or one of an earlier row. So the block
// shrinks to the rows before the first fault found, and the fault recorded
// for the new limit is that row's first, since operations run in order.
void TMathsParser::RunBatchBlock(const TColumns& columns, std::size_t first, std::size_t rows,
                                 double* out)
{
    TBatch& batch = m_batch;
    const TProgram& program = m_program;
    std::size_t limit = rows;
    int fault = 0;

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
                }
            }
        } else {
            const double value = program.Slots[static_cast<std::size_t>(slot)];
            batch.Uniform[slot] = value;
            if (used && !std::isfinite(value)) {
                limit = 0;
                fault = std::isnan(value) ? kInvalidOp : kOverflow;
            }
        }
        if (limit == 0) {
            FailEvaluation(fault);
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
                FailEvaluation(rowFault);
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
            // again on its own to name it exactly as Value() would.
            if (const std::size_t bad =
                    unchecked + FirstNonFinite(result + unchecked, limit - unchecked);
                bad < limit) {
                const long double a = leftColumn ? left[bad] : leftValue;
                const long double b = rightColumn
                                          ? operation.Sign * static_cast<long double>(right[bad])
                                          : rightValue;
                double stored = 0;
                fault = Evaluate(code, a, b, stored);
                limit = bad;
            }
        } else {
            for (std::size_t r = 0; r < limit; ++r) {
                const long double a = leftColumn ? left[r] : leftValue;
                const long double b =
                    rightColumn ? operation.Sign * static_cast<long double>(right[r]) : rightValue;
                if (const int rowFault = Evaluate(code, a, b, result[r])) {
                    fault = rowFault;
                    limit = r;
                    break;
                }
            }
        }
        if (limit == 0) {
            FailEvaluation(fault);
        }
    }
    if (limit < rows) {
        FailEvaluation(fault);
    }

    if (batch.IsColumn[program.Result]) {
        std::memmove(out, batch.Columns[program.Result], rows * sizeof(double));
    } else {
        std::fill_n(out, rows, batch.Uniform[program.Result]);
    }
}
