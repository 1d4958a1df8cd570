#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Terminal columns taken by UTF-8 text: East Asian wide characters (kana,
// kanji, the wave dash of the DEX ranges) count two, everything else one.
std::size_t DisplayWidth(std::string_view utf8);

enum class TAlign
{
    Left,
    Right,
};

// Rows of cells printed as aligned columns, two blanks apart, without
// trailing blanks. Every row may have its own number of cells.
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
