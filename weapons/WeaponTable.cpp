#include "weapons/WeaponTable.h"

#include "expr/Exception.h"
#include "weapons/FileKind.h"
#include "weapons/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string_view>

namespace {

constexpr int ColumnCount = 11;
const char* const ColumnNames[ColumnCount] = {"Index", "Name", "Low",   "High",  "Average", "Speed",
                                              "Type",  "Dice", "Sides", "Bonus", "Note"};

// The English of a fault, for logs and scripts; the edge words it for the user.
std::string EnglishText(TWeaponTableFault fault, std::size_t line, int column,
                        const std::string& piece, std::size_t commas, TFileKind kind)
{
    using enum TWeaponTableFault;
    if (fault == MissingFile)
        return "The file WData.csv does not exist.";
    std::string detail;
    const std::string columnText =
        column >= 0 && column < ColumnCount ? std::string(ColumnNames[column]) + " column" : "";
    const std::string quoted = columnText + " " + Quoted(piece);
    switch (fault) {
    case MissingFile:
        break;
    case NotRegularFile:
        detail = "Not a regular file: " + piece + " (" + std::string(FileKindText(kind)) + ")";
        break;
    case Unreadable:
        detail = "Cannot read the file: " + piece;
        break;
    case BadEncoding:
        detail = "a character that is neither UTF-8 nor Shift_JIS";
        break;
    case BlankLine:
        detail = "empty line";
        break;
    case TooManyColumns:
        detail = "too many columns (11 columns separated by commas, but there are " +
                 std::to_string(commas) + " commas)";
        break;
    case EmptyColumn:
        detail = columnText + " is empty";
        if (commas < ColumnCount - 1)
            detail += " (11 columns separated by commas are needed, but there are only " +
                      std::to_string(commas) + " commas)";
        break;
    case NotInteger:
        detail = quoted + " is not an integer";
        break;
    case IntegerOutOfRange:
        detail = quoted + " is outside the 32-bit integer range";
        break;
    case NotNumber:
        detail = quoted + " is not a number";
        break;
    case NumberOutOfRange:
        detail = quoted + " is too large or too small a number";
        break;
    case NotPositive:
        detail = quoted + " must be a positive integer";
        break;
    case Negative:
        detail = quoted + " cannot be negative";
        break;
    }
    if (line > 0)
        detail = "Line " + std::to_string(line) + ": " + detail;
    return "Error in the CSV file.\n" + detail;
}

[[noreturn]] void Fail(TWeaponTableFault fault, std::size_t line, int column = -1,
                       std::string piece = {}, std::size_t commas = 0)
{
    throw EWeaponTableError(fault, line, column, std::move(piece), commas, TFileKind::Regular);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Numbers may stand between blanks ("0, Broadsword, 5"); names never lose theirs.
std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Ten steps, each taking the text before the first comma and deleting it
// with the comma; a step that finds no comma yields an empty text and deletes
// nothing. The Note takes all that is left, which holds no further comma:
// lines with more are refused before they are split.
std::array<std::string_view, ColumnCount> SplitColumns(std::string_view line)
{
    std::array<std::string_view, ColumnCount> fields;
    for (int i = 0; i < ColumnCount - 1; ++i) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos)
            continue;
        fields[static_cast<std::size_t>(i)] = line.substr(0, comma);
        line.remove_prefix(comma + 1);
    }
    fields[ColumnCount - 1] = line;
    return fields;
}

class TLineParser
{
public:
    TLineParser(std::size_t fileLine, std::string_view text)
        : m_fileLine(fileLine),
          m_commas(static_cast<std::size_t>(std::count(text.begin(), text.end(), ','))),
          m_fields(SplitColumns(text))
    {
        // A comma in the Note, or a column too many, would otherwise take the
        // place of the Note without a word.
        if (m_commas > ColumnCount - 1)
            Fail(TWeaponTableFault::TooManyColumns, m_fileLine, -1, {}, m_commas);
    }

    std::string Text(int column) const { return std::string(Field(column)); }

    std::int32_t Integer(int column) const
    {
        const std::string_view text = TrimBlanks(CheckedField(column));
        std::string_view digits = text;
        if (!digits.empty() && digits.front() == '+')
            digits.remove_prefix(1);
        // from_chars takes a '-' but no '+'; a second sign is no number.
        const bool hasSign = digits.size() != text.size();
        if (hasSign && !digits.empty() && digits.front() == '-')
            digits = {};
        std::int32_t value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec == std::errc::result_out_of_range)
            Fail(TWeaponTableFault::IntegerOutOfRange, m_fileLine, column, Text(column));
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
            Fail(TWeaponTableFault::NotInteger, m_fileLine, column, Text(column));
        return value;
    }

    // Delays, dice and ratings are only defined from `least` on.
    std::int32_t IntegerFrom(int column, std::int32_t least, TWeaponTableFault fault) const
    {
        const std::int32_t value = Integer(column);
        if (value < least)
            Fail(fault, m_fileLine, column, Text(column));
        return value;
    }

    // "." is the decimal separator whatever the user's locale says.
    double Decimal(int column) const
    {
        const std::string_view text = TrimBlanks(CheckedField(column));
        std::string_view number = text;
        bool negative = false;
        if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
            negative = number.front() == '-';
            number.remove_prefix(1);
        }
        // Refuse "inf", "nan" and a second sign, which from_chars would take.
        const bool startsWell =
            !number.empty() &&
            (std::isdigit(static_cast<unsigned char>(number.front())) || number.front() == '.');
        double value = 0;
        const auto [end, ec] =
            startsWell ? std::from_chars(number.data(), number.data() + number.size(), value,
                                         std::chars_format::general)
                       : std::from_chars_result{number.data(), std::errc::invalid_argument};
        if (ec == std::errc::result_out_of_range)
            Fail(TWeaponTableFault::NumberOutOfRange, m_fileLine, column, Text(column));
        if (ec != std::errc() || end != number.data() + number.size())
            Fail(TWeaponTableFault::NotNumber, m_fileLine, column, Text(column));
        return negative ? -value : value;
    }

private:
    std::string_view Field(int column) const { return m_fields[static_cast<std::size_t>(column)]; }

    std::string_view CheckedField(int column) const
    {
        const std::string_view field = Field(column);
        if (!field.empty())
            return field;
        Fail(TWeaponTableFault::EmptyColumn, m_fileLine, column, {}, m_commas);
    }

    std::size_t m_fileLine;
    std::size_t m_commas;
    std::array<std::string_view, ColumnCount> m_fields;
};

TWDataCSVTable ParseLine(std::size_t fileLine, std::string_view text)
{
    const TLineParser line(fileLine, text);
    TWDataCSVTable weapon;
    weapon.Index = line.Integer(0);
    weapon.Name = line.Text(1);
    weapon.LowDamage = line.Decimal(2);
    weapon.HighDamage = line.Decimal(3);
    weapon.AverageDamage = line.Decimal(4);
    weapon.Speed = line.IntegerFrom(5, 1, TWeaponTableFault::NotPositive);
    weapon.Type = line.Text(6);
    // No dice at all is a fixed damage; fewer than none is no dice.
    weapon.DiceCount = line.IntegerFrom(7, 0, TWeaponTableFault::Negative);
    weapon.DiceSides = line.IntegerFrom(8, 0, TWeaponTableFault::Negative);
    weapon.DamageBonus = line.Integer(9);
    weapon.DamageNote = line.Text(10);
    return weapon;
}

// CR LF, LF or a lone CR (older Mac editors) ends a line; the text after a
// final line end is no line. The next CR and the next LF are each looked up
// with one fast search and kept until passed: a search for either of two
// bytes at every character cost more than the rest of reading a large table.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    constexpr std::size_t none = std::string_view::npos;
    std::vector<std::string_view> lines;
    std::size_t start = 0, lf = text.find('\n'), cr = text.find('\r');
    while (start < text.size()) {
        if (lf != none && lf < start)
            lf = text.find('\n', start);
        if (cr != none && cr < start)
            cr = text.find('\r', start);
        const std::size_t end = std::min(lf, cr);
        if (end == none) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (end == cr && cr + 1 == lf ? 2 : 1);
    }
    return lines;
}

bool IsBlankLine(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), IsBlank);
}

} // namespace

EWeaponTableError::EWeaponTableError(TWeaponTableFault fault, std::size_t line, int column,
                                     std::string piece, std::size_t commas, TFileKind kind)
    : EFileError(EnglishText(fault, line, column, piece, commas, kind)), m_fault(fault),
      m_line(line), m_column(column), m_piece(std::move(piece)), m_commas(commas), m_kind(kind)
{
}

const char* EWeaponTableError::ColumnName() const noexcept
{
    return m_column >= 0 && m_column < ColumnCount ? ColumnNames[m_column] : "";
}

void TWeaponTable::Clear()
{
    m_slots.clear();
    m_count = 0;
}

void TWeaponTable::LoadFromFile(const std::string& path)
{
    Clear();
    // Looked at before opening: opening a FIFO waits for a writer that may
    // never come, and a device may never end.
    const TFileKind kind = FileKindOf(path);
    if (kind == TFileKind::Missing)
        throw EWeaponTableError(TWeaponTableFault::MissingFile, 0, -1, path, 0, kind);
    if (kind != TFileKind::Regular)
        throw EWeaponTableError(TWeaponTableFault::NotRegularFile, 0, -1, path, 0, kind);

    // Read whole into a buffer of the file's size, so the text is held once.
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        Fail(TWeaponTableFault::Unreadable, 0, -1, path);
    const std::streamoff size = file.tellg();
    std::string bytes;
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        file.seekg(0);
        file.read(bytes.data(), size);
    }
    if (size < 0 || file.bad() || (size > 0 && file.gcount() != size))
        Fail(TWeaponTableFault::Unreadable, 0, -1, path);
    file.close();
    LoadFromOwnBytes(std::move(bytes));
}

void TWeaponTable::LoadFromBytes(const std::string& bytes)
{
    LoadFromOwnBytes(bytes);
}

void TWeaponTable::LoadFromOwnBytes(std::string text)
{
    Clear();
    std::size_t badOffset = 0;
    if (!TryDecodeToUtf8InPlace(text, badOffset)) {
        // The lines up to the bad byte, which is never a line end itself,
        // are counted by the same rule that splits the table.
        const std::size_t line = SplitLines(std::string_view(text).substr(0, badOffset + 1)).size();
        Fail(TWeaponTableFault::BadEncoding, line);
    }

    std::vector<std::string_view> lines = SplitLines(text);
    // An editor may leave empty lines at the end; one in the middle is a mistake.
    while (!lines.empty() && IsBlankLine(lines.back()))
        lines.pop_back();

    // Slot 0 stands for the header, which is skipped whatever it holds.
    std::vector<TWDataCSVTable> slots(lines.size());
    for (std::size_t k = 1; k < lines.size(); ++k) {
        if (IsBlankLine(lines[k]))
            Fail(TWeaponTableFault::BlankLine, k + 1);
        slots[k] = ParseLine(k + 1, lines[k]);
    }
    m_slots = std::move(slots);
    m_count = m_slots.empty() ? 0 : static_cast<int>(m_slots.size() - 1);
}

std::optional<TWDataCSVTable> TWeaponTable::FindByIndex(int index) const
{
    if (index < 0 || index >= m_count)
        return std::nullopt;
    return m_slots[static_cast<std::size_t>(index) + 1];
}
