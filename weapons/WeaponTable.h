#pragma once

#include "expr/Exception.h"
#include "weapons/FileKind.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One weapon, one data line of WData.csv, fields in the file's column order.
struct TWDataCSVTable
{
    std::int32_t Index = 0;
    std::string Name;
    double LowDamage = 0;
    double HighDamage = 0;
    double AverageDamage = 0;
    std::int32_t Speed = 0;
    std::string Type;
    std::int32_t DiceCount = 0;
    std::int32_t DiceSides = 0;
    std::int32_t DamageBonus = 0;
    std::string DamageNote;
};

// What was wrong with a weapon table, for the edge to word.
enum class TWeaponTableFault
{
    MissingFile,
    // Piece is the path, Kind what stands there instead.
    NotRegularFile,
    // Piece is the path.
    Unreadable,
    // A byte that starts neither UTF-8 nor Shift_JIS text.
    BadEncoding,
    BlankLine,
    // Commas is how many the line holds.
    TooManyColumns,
    // Commas is how many the line holds, fewer than ten when that is why.
    EmptyColumn,
    NotInteger,
    IntegerOutOfRange,
    NotNumber,
    NumberOutOfRange,
    // Speed below 1.
    NotPositive,
    // Dice or Sides below 0.
    Negative,
};

// A weapon table that cannot be read, and where: Line is the file's line
// (1-based, 0 when the fault is the file's), Column the column's place
// (0 Index .. 10 Note, -1 when no column is at fault) and Piece the column's
// text as it stands. what() says the same in English.
class EWeaponTableError : public EFileError
{
public:
    static constexpr int NoColumn = -1;

    EWeaponTableError(TWeaponTableFault fault, std::size_t line, int column, std::string piece,
                      std::size_t commas, TFileKind kind);
    // Scripts read the class of a table's fault from what the command line
    // prints, and that has always been EFileError.
    const char* ClassName() const noexcept override { return "EFileError"; }
    TWeaponTableFault Fault() const noexcept { return m_fault; }
    std::size_t Line() const noexcept { return m_line; }
    int Column() const noexcept { return m_column; }
    // "Index", "Name", ... "Note"; empty without a column.
    const char* ColumnName() const noexcept;
    const std::string& Piece() const noexcept { return m_piece; }
    std::size_t Commas() const noexcept { return m_commas; }
    TFileKind Kind() const noexcept { return m_kind; }

private:
    TWeaponTableFault m_fault;
    std::size_t m_line;
    int m_column;
    std::string m_piece;
    std::size_t m_commas;
    TFileKind m_kind;
};

// The weapon table read from WData.csv. Slot 0 stands for the header line,
// data line k is slot k, so a weapon's Index n is found in slot n + 1.
class TWeaponTable
{
public:
    // Reads the file. On failure raises EWeaponTableError naming the fault,
    // the line and the column; the table is then left empty.
    // A path naming anything but a regular file (a directory, a FIFO, a
    // device) is refused before it is opened, naming the path and its kind.
    // Lines end with CR LF, LF or a lone CR; empty lines at the end are
    // ignored, one in the middle is an error. A line holds exactly 11
    // columns: more than 10 commas is an error, as the Note cannot hold a
    // comma. Number columns may stand between spaces or tabs and take an
    // optional sign; integers are decimal digits only and must fit 32 bits;
    // decimals use "." whatever the locale and may carry an exponent (1.5e1).
    // Speed must be 1 or more, Dice and Sides 0 or more. Text columns keep
    // every blank.
    void LoadFromFile(const std::string& path);
    // The same from text already in memory (UTF-8 with or without BOM, or Shift_JIS).
    void LoadFromBytes(const std::string& bytes);

    int Count() const { return m_count; }
    // Slot 1..Count(); slot 0 is the header's place and stays empty.
    const std::vector<TWDataCSVTable>& Slots() const { return m_slots; }
    const TWDataCSVTable& Weapon(int dataLine) const { return m_slots.at(dataLine); }
    // The weapon in slot index + 1 (the Index column counts the data lines
    // from 0); nothing when the number lies outside 0 .. Count()-1.
    std::optional<TWDataCSVTable> FindByIndex(int index) const;

    void Clear();

private:
    // Takes the bytes over: a table of a million lines is read without a
    // second copy of its text.
    void LoadFromOwnBytes(std::string bytes);

    std::vector<TWDataCSVTable> m_slots;
    int m_count = 0;
};
