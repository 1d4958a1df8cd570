#include "expr/Compiler.h"

#include "expr/Exception.h"
#include "expr/Messages.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Expr {

namespace {

// Longer texts were never counted reliably; they are refused rather than half-read.
constexpr std::size_t kMaxNormalisedLength = 256;

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

} // namespace

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

TProgram Compile(const std::string& expression, const std::array<std::string, 8>& variableNames,
                 bool japanese)
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
        throw EMissMatchingBracket(BracketMessage(japanese));
    }
    if (text.size() > kMaxNormalisedLength) {
        throw ESyntaxError(SyntaxMessage(japanese));
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
        throw ESyntaxError(SyntaxMessage(japanese));
    }
    text = ReplaceAll(text, "pi", std::string(1, kPiMark));

    // Longest names first, so a name never matches inside a longer one; among equal
    // lengths the higher-numbered variable wins.
    std::array<std::string, 8> names;
    std::array<int, 8> order{};
    for (int i = 0; i < 8; ++i) {
        names[i] = AsciiLower(variableNames[i]);
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
            throw ESyntaxError(SyntaxMessage(japanese));
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
                throw ESyntaxError(SyntaxMessage(japanese));
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
        throw ESyntaxError(SyntaxMessage(japanese));
    }

    program.Base = nextLiteral;
    int count = 0;
    auto addOperation = [&](std::int8_t code, int left, int right, int sign) {
        const int slot = program.Base + count + 1;
        if (slot > kLastSlot) {
            throw ESyntaxError(SyntaxMessage(japanese));
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
            throw ESyntaxError(SyntaxMessage(japanese));
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

} // namespace Expr
