#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A small INI document of sections and key=value lines, kept line by line so
// that comments, unknown sections and unknown keys survive a read and write.
// Works on UTF-8 text only and touches no file: the settings store does the
// reading and writing, and a fuzzer can drive the parser on its own.
// Section and key names compare without regard to ASCII case, as Windows
// programs of the same family do; the first of two equal keys wins.
class TIniFile
{
public:
    TIniFile() = default;

    // Replaces the document with `text` (LF or CRLF line ends, UTF-8).
    void Parse(const std::string& text);
    // Bytes as they lie on disk: UTF-8 with or without a byte-order mark, or
    // Shift_JIS as written on Windows. Bytes that are neither are taken as
    // they are, so the ASCII keys still count.
    void ParseBytes(const std::string& bytes);
    // The document as UTF-8 text, in the line ends it was read with (LF for
    // a new document).
    std::string Text() const;

    std::optional<std::string> Value(const std::string& section, const std::string& key) const;
    // Changes the first matching line in place, or adds the key at the end of
    // its section, or adds the section at the end of the document.
    void SetValue(const std::string& section, const std::string& key, const std::string& value);

    // Defaults are returned for a missing key and for a value that is not of
    // the type asked for.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t fallback) const;
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value)
    {
        SetValue(section, key, value);
    }
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    bool UsesCrLf() const { return m_crlf; }

    // A whole-text integer in the 32-bit range, with optional sign and blanks.
    static std::optional<std::int32_t> ParseInteger(const std::string& text);

private:
    enum class TLineKind
    {
        Other,
        Section,
        Entry,
    };
    struct TLine
    {
        TLineKind Kind = TLineKind::Other;
        // For a section: its name; for an entry: the name of its section.
        std::string Section;
        std::string Key;
        std::string Value;
        // The line as read; written back unchanged unless the value changed.
        std::string Raw;
        bool Changed = false;
    };

    static bool SameName(const std::string& a, const std::string& b);
    static std::string EntryText(const std::string& key, const std::string& value);

    std::vector<TLine> m_lines;
    bool m_crlf = false;
};
