#include "expr/Compiler.h"

#include "expr/Exception.h"
#include "expr/Messages.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

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

// A formula in the middle of its rewriting: each character with the byte of
// the formula as typed that it stands for, so that a fault found in the
// rewritten text is reported where the user wrote it.
struct TMappedText
{
    std::string Text;
    std::vector<std::size_t> Source;

    void Append(char c, std::size_t source)
    {
        Text += c;
        Source.push_back(source);
    }
    void Append(std::string_view piece, std::size_t source)
    {
        Text += piece;
        Source.insert(Source.end(), piece.size(), source);
    }
    TMappedText Piece(std::size_t first, std::size_t count) const
    {
        return {
            Text.substr(first, count),
            std::vector<std::size_t>(Source.begin() + static_cast<std::ptrdiff_t>(first),
                                     Source.begin() + static_cast<std::ptrdiff_t>(first + count))};
    }
    // Everything in [first, first + count) stands for `source` from now on.
    void Replace(std::size_t first, std::size_t count, std::string_view with, std::size_t source)
    {
        Text.replace(first, count, with);
        const auto at = Source.begin() + static_cast<std::ptrdiff_t>(first);
        Source.erase(at, at + static_cast<std::ptrdiff_t>(count));
        Source.insert(Source.begin() + static_cast<std::ptrdiff_t>(first), with.size(), source);
    }
};

// Where the characters of a replacement stand: all at the start of what they
// replace (a function name's code, a variable's slot number), or each where
// the same character of the match stood, the last one's beyond it (so that
// "(-" becoming "(0-" keeps its bracket and its minus).
enum class TStands
{
    AtStart,
    EachAtItsOwn,
};

// Replaces every occurrence from left to right; the replacement is not searched again.
void ReplaceAll(TMappedText& text, std::string_view from, std::string_view to,
                TStands stands = TStands::AtStart)
{
    if (text.Text.find(from) == std::string::npos) {
        return;
    }
    TMappedText result;
    result.Text.reserve(text.Text.size());
    result.Source.reserve(text.Text.size());
    std::size_t start = 0;
    for (std::size_t found = text.Text.find(from); found != std::string::npos;
         found = text.Text.find(from, start)) {
        for (std::size_t k = start; k < found; ++k) {
            result.Append(text.Text[k], text.Source[k]);
        }
        for (std::size_t k = 0; k < to.size(); ++k) {
            const std::size_t of = stands == TStands::AtStart ? 0 : std::min(k, from.size() - 1);
            result.Append(to[k], text.Source[found + of]);
        }
        start = found + from.size();
    }
    for (std::size_t k = start; k < text.Text.size(); ++k) {
        result.Append(text.Text[k], text.Source[k]);
    }
    text = std::move(result);
}

std::string TwoDigits(int slot)
{
    return std::string{static_cast<char>('0' + slot / 10), static_cast<char>('0' + slot % 10)};
}

// The number conversion always reads "." as the decimal point, whatever the user's locale.
double ToLiteral(const std::string& run, std::size_t position)
{
    double value = 0;
    const char* first = run.data();
    const char* last = first + run.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error != std::errc{} || end != last || !std::isfinite(value)) {
        throw EConvertError("'" + run + "' is not a valid floating point value", position);
    }
    return value;
}

bool IsSlot(std::string_view piece)
{
    return piece.size() == 2 && IsDigit(piece[0]) && IsDigit(piece[1]);
}

[[noreturn]] void FailSlot(std::string_view piece, std::size_t position)
{
    throw EConvertError("'" + std::string(piece) + "' is not a valid integer value", position);
}

bool IsFunctionCodeChar(char c)
{
    return c == '@' || c == '#' || c == '$';
}

// Every operand in the encoded text is exactly two digits; anything else means
// the formula had an operator without an operand or a function name without its
// bracket. The fault is that function name where one stands in the operand,
// else the operator (`operatorSource`) that lacks it.
int OperandSlot(const TMappedText& text, std::size_t first, std::size_t last,
                std::size_t operatorSource)
{
    const std::string_view piece = std::string_view(text.Text).substr(first, last - first);
    if (IsSlot(piece)) {
        return (piece[0] - '0') * 10 + (piece[1] - '0');
    }
    for (std::size_t k = first; k < last; ++k) {
        if (IsFunctionCodeChar(text.Text[k])) {
            FailSlot(piece, text.Source[k]);
        }
    }
    FailSlot(piece, operatorSource);
}

// What a bracket reduced to must be one slot number: an empty bracket is the
// bracket's fault, anything beyond the first operand (a second operand side
// by side, a function name without its bracket) that of what stands there.
int ContentSlot(const TMappedText& content, std::size_t bracketSource)
{
    if (IsSlot(content.Text)) {
        return (content.Text[0] - '0') * 10 + (content.Text[1] - '0');
    }
    for (std::size_t k = 0; k < content.Text.size(); ++k) {
        if (k >= 2 || !IsDigit(content.Text[k])) {
            FailSlot(content.Text, content.Source[k]);
        }
    }
    FailSlot(content.Text, bracketSource);
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

// Brackets must nest: the fault is the first closing bracket that closes
// nothing, or else the first opening one that is never closed. Counting
// alone would take ")1+2(" or "1)+(2" (which the outer brackets added later
// make whole) for a formula.
void CheckBrackets(const std::string& expression)
{
    std::size_t depth = 0;
    std::size_t unclosed = 0;
    for (std::size_t i = 0; i < expression.size(); ++i) {
        const char c = expression[i];
        if (c == '(' || c == '[' || c == '{') {
            if (depth++ == 0) {
                unclosed = i;
            }
        } else if (c == ')' || c == ']' || c == '}') {
            if (depth == 0) {
                throw EMissMatchingBracket(kBracketMessage, i);
            }
            --depth;
        }
    }
    if (depth != 0) {
        throw EMissMatchingBracket(kBracketMessage, unclosed);
    }
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

TProgram Compile(const std::string& expression, const std::array<std::string, 8>& variableNames)
{
    TProgram program;

    CheckBrackets(expression);

    // The outer brackets stand at the text's two ends, so that an empty
    // formula is the fault of its first byte.
    TMappedText text;
    text.Text.reserve(expression.size() + 2);
    text.Source.reserve(expression.size() + 2);
    text.Append('(', 0);
    for (std::size_t i = 0; i < expression.size(); ++i) {
        if (expression[i] != ' ') {
            text.Append(expression[i], i);
        }
    }
    text.Append(')', expression.size());
    text.Text = AsciiLower(std::move(text.Text));
    for (char& c : text.Text) {
        if (c == '[' || c == '{') {
            c = '(';
        } else if (c == ']' || c == '}') {
            c = ')';
        }
    }

    if (text.Text.size() > kMaxNormalisedLength) {
        throw ESyntaxError(kSyntaxMessage, text.Source[kMaxNormalisedLength - 1]);
    }

    ReplaceAll(text, "+-", "-");
    ReplaceAll(text, "(-", "(0-", TStands::EachAtItsOwn);
    for (const TFunction& function : kFunctions) {
        ReplaceAll(text, function.Name, function.Code);
    }
    // pi stands as one mark until the literals are cut, so that a number or a
    // name written against it is seen there instead of merging with its digits
    // ("2pi" would read as 23.14159265358979).
    if (const std::size_t mark = text.Text.find(kPiMark); mark != std::string::npos) {
        throw ESyntaxError(kSyntaxMessage, text.Source[mark]);
    }
    ReplaceAll(text, "pi", std::string_view(&kPiMark, 1));

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
            ReplaceAll(text, names[i], kPlaceholders[i]);
        }
    }

    int nextLiteral = kFirstLiteralSlot;
    auto addLiteral = [&](const std::string& run, std::size_t position) {
        const double value = ToLiteral(run, position);
        // The last literal must leave slot 99 free for B, so at most 89 literals.
        if (nextLiteral >= kLastSlot) {
            throw ESyntaxError(kSyntaxMessage, position);
        }
        program.Slots[nextLiteral] = value;
        return TwoDigits(nextLiteral++);
    };
    TMappedText encoded;
    encoded.Append('(', text.Source[0]);
    std::string run;
    std::size_t runSource = 0;
    for (std::size_t i = 1; i < text.Text.size(); ++i) {
        const char c = text.Text[i];
        if (c == kPiMark) {
            if (GluesToPi(text.Text[i - 1]) || GluesToPi(text.Text[i + 1])) {
                throw ESyntaxError(kSyntaxMessage, text.Source[i]);
            }
            encoded.Append(addLiteral(kPiText, text.Source[i]), text.Source[i]);
            continue;
        }
        if (IsDigit(c) || c == '.') {
            if (run.empty()) {
                runSource = text.Source[i];
            }
            run += c;
            continue;
        }
        if (!run.empty()) {
            encoded.Append(addLiteral(run, runSource), runSource);
            run.clear();
        }
        encoded.Append(c, text.Source[i]);
    }
    if (!run.empty()) {
        encoded.Append(addLiteral(run, runSource), runSource);
    }

    for (int i = 0; i < 8; ++i) {
        if (!names[i].empty()) {
            if (const std::size_t first = encoded.Text.find(kPlaceholders[i]);
                first != std::string::npos) {
                program.VariablePositions[static_cast<std::size_t>(i)] = encoded.Source[first];
            }
            ReplaceAll(encoded, kPlaceholders[i], TwoDigits(i + 1));
        }
    }

    TMappedText check = encoded;
    for (const TFunction& function : kFunctions) {
        ReplaceAll(check, function.Code, "");
    }
    for (const char* symbol : {"(", ")", "^", "*", "/", "+", "-"}) {
        ReplaceAll(check, symbol, "");
    }
    if (const auto left = std::find_if(check.Text.begin(), check.Text.end(),
                                       [](char c) { return !IsDigit(c) && c != '.'; });
        left != check.Text.end()) {
        throw ESyntaxError(kSyntaxMessage,
                           check.Source[static_cast<std::size_t>(left - check.Text.begin())]);
    }

    program.Base = nextLiteral;
    int count = 0;
    auto addOperation = [&](std::int8_t code, int left, int right, int sign, std::size_t position) {
        const int slot = program.Base + count + 1;
        if (slot > kLastSlot) {
            throw ESyntaxError(kSyntaxMessage, position);
        }
        program.OperationPositions[static_cast<std::size_t>(count)] = position;
        program.Operations[count++] = {code, static_cast<std::int8_t>(left),
                                       static_cast<std::int8_t>(right),
                                       static_cast<std::int8_t>(sign)};
        return TwoDigits(slot);
    };
    // An operation's result stands where its left operand began.
    auto reduce = [&](TMappedText content) {
        for (const TOperator& pass : kPasses) {
            for (std::size_t at = content.Text.find(pass.Symbol); at != std::string::npos;
                 at = content.Text.find(pass.Symbol)) {
                const std::size_t operatorSource = content.Source[at];
                const std::size_t leftStart = at >= 2 ? at - 2 : 0;
                const int left = OperandSlot(content, leftStart, at, operatorSource);
                std::size_t rightStart = at + 1;
                int sign = 1;
                if (rightStart < content.Text.size() && content.Text[rightStart] == '-') {
                    sign = -1;
                    ++rightStart;
                }
                const std::size_t rightEnd = std::min(rightStart + 2, content.Text.size());
                const int right = OperandSlot(content, rightStart, rightEnd, operatorSource);
                content.Replace(leftStart, rightEnd - leftStart,
                                addOperation(pass.Operation, left, right, sign, operatorSource),
                                content.Source[leftStart]);
            }
        }
        return content;
    };

    // A reduced bracket stands where it opened, or where its function's name begins.
    for (std::size_t open = encoded.Text.rfind('('); open != std::string::npos;
         open = encoded.Text.rfind('(')) {
        const std::size_t close = encoded.Text.find(')', open);
        if (close == std::string::npos) {
            throw ESyntaxError(kSyntaxMessage, encoded.Source[open]);
        }
        const TMappedText content = reduce(encoded.Piece(open + 1, close - open - 1));
        const int slot = ContentSlot(content, encoded.Source[open]);
        std::int8_t function = 0;
        if (open >= 3 && IsFunctionCode(encoded.Text, open - 3, function)) {
            const std::size_t name = encoded.Source[open - 3];
            encoded.Replace(open - 3, close - open + 4, addOperation(function, slot, 0, 1, name),
                            name);
        } else {
            encoded.Replace(open, close - open + 1, content.Text, encoded.Source[open]);
        }
    }
    program.Result = ContentSlot(reduce(encoded), 0);
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
