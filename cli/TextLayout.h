#pragma once

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Terminal columns taken by UTF-8 text: East Asian wide characters (kana,
// kanji, the wave dash of the DEX ranges) count two, everything else one.
std::size_t DisplayWidth(std::string_view utf8);

// Two lines pointing into `text`: the text, then a caret under the byte
// `position` (at the end when it lies beyond), both indented by two blanks
// and without a final line break. A control character would break the line,
// so it shows as "?".
std::string PointInto(std::string_view text, std::size_t position);

enum class TAlign
{
    Left,
    Right,
};

// Rows of cells printed as aligned columns, two blanks apart, without
// trailing blanks. Every row may have its own number of cells. The widths
// are taken from every row before the first is written, so a table of a
// million weapons is measured in one pass and written in a second, each row
// formatted anew, instead of being held whole.
class TColumnLayout
{
public:
    explicit TColumnLayout(std::vector<TAlign> alignment = {}) : m_alignment(std::move(alignment))
    {
    }
    void Measure(std::span<const std::string_view> cells);
    // Only rows given to Measure may be written.
    void Write(std::ostream& out, std::span<const std::string_view> cells);

private:
    std::vector<TAlign> m_alignment;
    std::vector<std::size_t> m_widths;
    // Kept between rows, so writing one allocates nothing.
    std::string m_line;
};

// The same for a table small enough to hold.
class TTextTable
{
public:
    void SetAlignment(std::vector<TAlign> alignment) { m_alignment = std::move(alignment); }
    void AddRow(std::vector<std::string> cells) { m_rows.push_back(std::move(cells)); }
    std::string Render() const;

private:
    std::vector<TAlign> m_alignment;
    std::vector<std::vector<std::string>> m_rows;
};
