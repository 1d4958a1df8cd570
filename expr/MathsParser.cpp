#include "expr/MathsParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
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

// The smallest magnitude that rounds to an infinite double: halfway between
// the largest double and 2^1024, where the tie goes to the even 2^1024.
constexpr long double kDoubleOverflow = 0x1p1024L - 0x1p970L;

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

// Hides the value from the compiler's vectoriser, which would otherwise merge
// neighbouring copies into one wide load.
[[gnu::always_inline]] inline double Opaque(double value)
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    asm("" : "+x"(value));
#endif
    return value;
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

void TMathsParser::SetExpression(std::string text)
{
    try {
        const TProgram program = Compile(text);
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
    text = ReplaceAll(text, "pi", "3.14159265358979");

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
    for (std::size_t i = 0; i < 8; ++i) {
        program.VariableMasks[i] = (program.UsedVariables >> i & 1U) != 0 ? ~std::uint64_t{0} : 0;
    }
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

double TMathsParser::Value()
{
    double* const slots = m_program.Slots.data();
    // A variable the caller left at inf or NaN fails like a faulty result would,
    // instead of flowing silently into the formula. The variables are copied one
    // at a time: the caller has usually just stored one of them, and a wide load
    // over that store would wait for it to retire.
    std::uint64_t carries = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const double value = Opaque(m_vars[i]);
        slots[i + 1] = value;
        carries |= NonFiniteCarry(value) & m_program.VariableMasks[i];
    }
    if ((carries >> 63) != 0) {
        for (std::size_t i = 0; i < 8; ++i) {
            if (m_program.VariableMasks[i] != 0 && !std::isfinite(slots[i + 1])) {
                FailEvaluation(std::isnan(slots[i + 1]) ? kInvalidOp : kOverflow);
            }
        }
    }

    double* const results = slots + m_program.Base + 1;
    const int count = m_program.Count;
    for (int i = 0; i < count; ++i) {
        const TOperation operation = m_program.Operations[i];
        const long double left = slots[operation.Left];
        // Every binary code applies the sign to the right operand; for multiply and
        // divide that equals signing the left one, and the sign change is exact.
        long double right = slots[operation.Right];
        if (operation.Sign < 0) {
            right = -right;
        }
        long double value = 0;
        switch (operation.Code) {
        case 2:
            value = left * right;
            break;
        case 3:
            value = left / right;
            break;
        case 4:
            value = left + right;
            break;
        case 5:
            value = left - right;
            break;
        default: {
            if (!IsKnownCode(operation.Code)) {
                continue;
            }
            double stored = 0;
            if (const int fault = EvaluateApart(operation.Code, left, right, stored)) {
                FailEvaluation(fault);
            }
            results[i] = stored;
            continue;
        }
        }
        // Stored straight into its slot, where the next operation reads it, and
        // tested beside that store rather than after it. The four arithmetic
        // codes fault exactly when the stored result is inf or NaN (a division
        // by zero included); the fault is then named apart.
        results[i] = static_cast<double>(value);
        if (!(std::fabs(value) < kDoubleOverflow)) {
            double ignored = 0;
            FailEvaluation(EvaluateApart(operation.Code, left, right, ignored));
        }
    }
    return slots[m_program.Result];
}

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
            const double value = m_vars[i];
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
            kKernels[kernel][shape](left, leftValue, right, uniformRight, result, limit);
            // Here a fault always shows as inf or NaN; the row is evaluated
            // again on its own to name it exactly as Value() would.
            if (const std::size_t bad = FirstNonFinite(result, limit); bad < limit) {
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
