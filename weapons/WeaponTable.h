#pragma once

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

// The weapon table read from WData.csv. Slot 0 stands for the header line,
// data line k is slot k, so a weapon's Index n is found in slot n + 1.
class TWeaponTable
{
public:
    // Reads the file. On failure raises EFileError whose text starts with
    // the user's message ("WData.csvファイルが存在しません。" or
    // "CSVFileのエラーです。") and, for a bad line, adds the line number and
    // what was wrong on a second line; the table is then left empty.
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
