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
    slots[1] = m_vars[0];
    slots[2] = m_vars[1];
    slots[3] = m_vars[2];
    slots[4] = m_vars[3];
    slots[5] = m_vars[4];
    slots[6] = m_vars[5];
    slots[7] = m_vars[6];
    slots[8] = m_vars[7];
    // A variable the caller left at inf or NaN fails like a faulty result would,
    // instead of flowing silently into the formula.
    if (m_program.UsedVariables != 0) {
        for (int i = 0; i < 8; ++i) {
            if ((m_program.UsedVariables & (1U << i)) != 0 && !std::isfinite(slots[i + 1])) {
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
        const long double right = operation.Sign * static_cast<long double>(slots[operation.Right]);
        int fault = 0;
        long double value = 0;
        switch (operation.Code) {
        case 1:
            value = Power(left, right, fault);
            break;
        case 2:
            value = left * right;
            break;
        case 3:
            if (right == 0) {
                fault = left == 0 ? kInvalidOp : kZeroDivide;
            } else {
                value = left / right;
            }
            break;
        case 4:
            value = left + right;
            break;
        case 5:
            value = left - right;
            break;
        case 6:
            value = std::exp(left);
            break;
        case 7:
        case 8:
            if (left < 0) {
                fault = kInvalidOp;
            } else if (left == 0) {
                fault = kZeroDivide;
            } else {
                value = operation.Code == 7 ? std::log(left) : std::log10(left);
            }
            break;
        case 9:
            value = std::fabs(left) >= 0x1p63L ? 0 : std::sin(left);
            break;
        case 10:
            value = std::fabs(left) >= 0x1p63L ? 0 : std::cos(left);
            break;
        case 11:
            value = std::tan(left);
            break;
        case 12:
            value = std::fabs(left);
            break;
        case 13:
        case 14: {
            const long double cosine = 1 - left * left;
            if (cosine < 0) {
                fault = kInvalidOp;
            } else if (operation.Code == 13) {
                value = std::atan2(left, std::sqrt(cosine));
            } else {
                value = std::atan2(std::sqrt(cosine), left);
            }
            break;
        }
        case 15:
            value = std::atan2(left, 1.0L);
            break;
        case 16:
            value = 1 - Erfc(left);
            break;
        case 17:
            value = Erfc(left);
            break;
        case 18:
            if (left < 0) {
                fault = kInvalidOp;
            } else {
                value = std::sqrt(left);
            }
            break;
        default:
            continue;
        }
        const double stored = static_cast<double>(value);
        if (fault == 0 && !std::isfinite(stored)) {
            fault = std::isnan(value) ? kInvalidOp : kOverflow;
        }
        if (fault != 0) {
            FailEvaluation(fault);
        }
        results[i] = stored;
    }
    return slots[m_program.Result];
}
