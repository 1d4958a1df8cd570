#include "app/IniFile.h"

#include "expr/Exception.h"
#include "weapons/TextEncoding.h"

#include <charconv>

namespace {

std::string Trim(const std::string& text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Windows readers drop one pair of quotes around a value.
std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

bool TIniFile::SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

void TIniFile::Parse(const std::string& text)
{
    m_lines.clear();
    m_crlf = false;
    std::string section;
    std::size_t pos = 0;
    bool firstLine = true;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string raw =
            text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? text.size() : end + 1;
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
            if (firstLine) {
                m_crlf = true;
            }
        }
        firstLine = false;

        TLine line;
        line.Raw = raw;
        const std::string trimmed = Trim(raw);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            if (close != std::string::npos) {
                section = Trim(trimmed.substr(1, close - 1));
                line.Kind = TLineKind::Section;
                line.Section = section;
            }
        } else if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#') {
            const std::size_t eq = trimmed.find('=');
            if (eq != std::string::npos && eq > 0) {
                line.Kind = TLineKind::Entry;
                line.Section = section;
                line.Key = Trim(trimmed.substr(0, eq));
                line.Value = Unquote(Trim(trimmed.substr(eq + 1)));
            }
        }
        m_lines.push_back(std::move(line));
    }
}

void TIniFile::ParseBytes(const std::string& bytes)
{
    std::string text;
    try {
        text = DecodeToUtf8(bytes);
    } catch (const Exception&) {
        text = bytes;
    }
    Parse(text);
}

std::string TIniFile::EntryText(const std::string& key, const std::string& value)
{
    // Quote a value whose blanks or quotes a reader would otherwise strip.
    const bool needsQuotes = !value.empty() && (Trim(value) != value || Unquote(value) != value);
    return key + "=" + (needsQuotes ? "\"" + value + "\"" : value);
}

std::string TIniFile::Text() const
{
    const char* newline = m_crlf ? "\r\n" : "\n";
    std::string text;
    for (const TLine& line : m_lines) {
        text += line.Changed ? EntryText(line.Key, line.Value) : line.Raw;
        text += newline;
    }
    return text;
}

std::optional<std::string> TIniFile::Value(const std::string& section, const std::string& key) const
{
    for (const TLine& line : m_lines) {
        if (line.Kind == TLineKind::Entry && SameName(line.Section, section) &&
            SameName(line.Key, key)) {
            return line.Value;
        }
    }
    return std::nullopt;
}

void TIniFile::SetValue(const std::string& section, const std::string& key,
                        const std::string& value)
{
    std::optional<std::size_t> endOfSection;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        TLine& line = m_lines[i];
        if (!SameName(line.Section, section) || line.Kind == TLineKind::Other) {
            continue;
        }
        if (line.Kind == TLineKind::Entry && SameName(line.Key, key)) {
            if (line.Value != value) {
                line.Value = value;
                line.Changed = true;
            }
            return;
        }
        endOfSection = i + 1;
    }

    TLine entry;
    entry.Kind = TLineKind::Entry;
    entry.Section = section;
    entry.Key = key;
    entry.Value = value;
    entry.Changed = true;
    if (endOfSection) {
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(*endOfSection),
                       std::move(entry));
        return;
    }
    TLine header;
    header.Kind = TLineKind::Section;
    header.Section = section;
    header.Raw = "[" + section + "]";
    m_lines.push_back(std::move(header));
    m_lines.push_back(std::move(entry));
}

std::optional<std::int32_t> TIniFile::ParseInteger(const std::string& text)
{
    std::string digits = Trim(text);
    if (!digits.empty() && digits.front() == '+') {
        digits.erase(0, 1);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    const char* first = digits.data();
    const char* last = first + digits.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) {
        return std::nullopt;
    }
    return value;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const
{
    return Value(section, key).value_or(fallback);
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                                   std::int32_t fallback) const
{
    const auto text = Value(section, key);
    if (!text) {
        return fallback;
    }
    return ParseInteger(*text).value_or(fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const
{
    const auto text = Value(section, key);
    if (!text) {
        return fallback;
    }
    const auto number = ParseInteger(*text);
    return number ? *number != 0 : fallback;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value)
{
    SetValue(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    SetValue(section, key, value ? "1" : "0");
}
