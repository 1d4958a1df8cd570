#include "cli/TextLayout.h"

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <sstream>

namespace {

bool IsWide(std::uint32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

std::size_t DisplayWidth(std::string_view utf8)
{
    // Nearly every cell is plain ASCII, one column a byte; a table of a
    // million rows is measured twice.
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return utf8.size();
    std::size_t width = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 1;
        std::uint32_t code = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        } else if (lead >= 0xE0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
            code = lead & 0x1Fu;
        }
        // A broken sequence counts each of its bytes as one column.
        bool complete = i + length <= utf8.size();
        for (std::size_t k = 1; complete && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0u) != 0x80u)
                complete = false;
            else
                code = (code << 6) | (next & 0x3Fu);
        }
        if (!complete) {
            length = 1;
            code = lead;
        }
        width += IsWide(code) ? 2 : 1;
        i += length;
    }
    return width;
}

std::string PointInto(std::string_view text, std::size_t position)
{
    std::string shown(text);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    const std::size_t column = DisplayWidth(std::string_view(shown).substr(0, position));
    std::string lines = "  ";
    lines.append(shown).append("\n  ").append(column, ' ').append("^");
    return lines;
}

void TColumnLayout::Measure(std::span<const std::string_view> cells)
{
    if (m_widths.size() < cells.size())
        m_widths.resize(cells.size(), 0);
    for (std::size_t c = 0; c < cells.size(); ++c)
        m_widths[c] = std::max(m_widths[c], DisplayWidth(cells[c]));
}

void TColumnLayout::Write(std::ostream& out, std::span<const std::string_view> cells)
{
    m_line.clear();
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const std::size_t pad = m_widths.at(c) - DisplayWidth(cells[c]);
        const bool right = c < m_alignment.size() && m_alignment[c] == TAlign::Right;
        if (c > 0)
            m_line += "  ";
        if (right)
            m_line.append(pad, ' ');
        m_line += cells[c];
        if (!right)
            m_line.append(pad, ' ');
    }
    m_line.erase(m_line.find_last_not_of(' ') + 1);
    m_line += '\n';
    out.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
}

std::string TTextTable::Render() const
{
    std::vector<std::vector<std::string_view>> rows;
    for (const auto& row : m_rows)
        rows.emplace_back(row.begin(), row.end());
    TColumnLayout layout(m_alignment);
    for (const auto& row : rows)
        layout.Measure(row);
    std::ostringstream text;
    for (const auto& row : rows)
        layout.Write(text, row);
    return text.str();
}
