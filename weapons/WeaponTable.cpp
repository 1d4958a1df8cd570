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

const char* const MissingFileMessage = "WData.csvファイルが存在しません。";
const char* const CsvErrorMessage = "CSVFileのエラーです。";

constexpr int ColumnCount = 11;
const char* const ColumnNames[ColumnCount] = {"Index", "Name", "Low",   "High",  "Average", "Speed",
                                              "Type",  "Dice", "Sides", "Bonus", "Note"};

// A bad line: the file line number (1-based) and what was wrong with it.
struct TLineError
{
    std::size_t Line;
    std::string What;
};

[[noreturn]] void Fail(std::size_t line, std::string what)
{
    throw TLineError{line, std::move(what)};
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
            Fail(m_fileLine, "列が多すぎます（列は,で区切って11個ですが、区切りが" +
                                 std::to_string(m_commas) + "個あります）");
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
            Fail(m_fileLine, Name(column) + "列 " + Quoted(Field(column)) +
                                 " は32ビット整数の範囲を超えています");
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
            Fail(m_fileLine,
                 Name(column) + "列 " + Quoted(Field(column)) + " は整数ではありません");
        return value;
    }

    // Delays, dice and ratings are only defined from `least` on.
    std::int32_t IntegerFrom(int column, std::int32_t least, const char* rule) const
    {
        const std::int32_t value = Integer(column);
        if (value < least)
            Fail(m_fileLine, Name(column) + "列 " + Quoted(Field(column)) + " は" + rule);
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
            Fail(m_fileLine, Name(column) + "列 " + Quoted(Field(column)) +
                                 " は大きすぎるか小さすぎる数値です");
        if (ec != std::errc() || end != number.data() + number.size())
            Fail(m_fileLine,
                 Name(column) + "列 " + Quoted(Field(column)) + " は数値ではありません");
        return negative ? -value : value;
    }

private:
    static std::string Name(int column) { return ColumnNames[column]; }
    std::string_view Field(int column) const { return m_fields[static_cast<std::size_t>(column)]; }

    std::string_view CheckedField(int column) const
    {
        const std::string_view field = Field(column);
        if (!field.empty())
            return field;
        std::string what = Name(column) + "列が空です";
        if (m_commas < ColumnCount - 1)
            what += "（列は,で区切って11個必要ですが、区切りが" + std::to_string(m_commas) +
                    "個しかありません）";
        Fail(m_fileLine, what);
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
    weapon.Speed = line.IntegerFrom(5, 1, "正の整数でなければなりません");
    weapon.Type = line.Text(6);
    // No dice at all is a fixed damage; fewer than none is no dice.
    weapon.DiceCount = line.IntegerFrom(7, 0, "負の数にはできません");
    weapon.DiceSides = line.IntegerFrom(8, 0, "負の数にはできません");
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

[[noreturn]] void RaiseCsvError(const std::string& detail)
{
    throw EFileError(std::string(CsvErrorMessage) + "\n" + detail);
}

} // namespace

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
        throw EFileError(MissingFileMessage);
    if (kind != TFileKind::Regular)
        RaiseCsvError("通常のファイルではありません: " + path + " (" +
                      std::string(FileKindText(kind)) + ")");

    // Read whole into a buffer of the file's size, so the text is held once.
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        RaiseCsvError("ファイルを読み込めません: " + path);
    const std::streamoff size = file.tellg();
    std::string bytes;
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        file.seekg(0);
        file.read(bytes.data(), size);
    }
    if (size < 0 || file.bad() || (size > 0 && file.gcount() != size))
        RaiseCsvError("ファイルを読み込めません: " + path);
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
        RaiseCsvError(std::to_string(line) + "行目: UTF-8 でも Shift_JIS でもない文字があります");
    }

    std::vector<std::string_view> lines = SplitLines(text);
    // An editor may leave empty lines at the end; one in the middle is a mistake.
    while (!lines.empty() && IsBlankLine(lines.back()))
        lines.pop_back();

    // Slot 0 stands for the header, which is skipped whatever it holds.
    std::vector<TWDataCSVTable> slots(lines.size());
    try {
        for (std::size_t k = 1; k < lines.size(); ++k) {
            if (IsBlankLine(lines[k]))
                Fail(k + 1, "空行です");
            slots[k] = ParseLine(k + 1, lines[k]);
        }
    } catch (const TLineError& error) {
        RaiseCsvError(std::to_string(error.Line) + "行目: " + error.What);
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
