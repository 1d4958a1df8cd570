#pragma once

#include "expr/Exception.h"

#include <cstddef>
#include <string>
#include <string_view>

// Bytes that are neither UTF-8 nor Shift_JIS; Position() is the offset of
// the byte where decoding stopped. what() says so in English.
class EUndecodableText : public EFileError
{
public:
    explicit EUndecodableText(std::size_t offset);
    // Kept as its base: a script reads the class from what is printed.
    const char* ClassName() const noexcept override { return "EFileError"; }
};

// Text that Shift_JIS cannot hold; Position() is the offset of the first
// byte of the character it stopped at. what() says so in English.
class EUnencodableText : public EConvertError
{
public:
    explicit EUnencodableText(std::size_t offset);
    const char* ClassName() const noexcept override { return "EConvertError"; }
};

// Files written on Windows arrive in Shift_JIS (code page 932); others in
// UTF-8, with or without a byte-order mark. Returns UTF-8 without BOM.
// Raises EUndecodableText when the bytes are neither.
std::string DecodeToUtf8(const std::string& bytes);
// The same without raising: false when the bytes are neither, with the
// offset of the byte where decoding stopped (so a reader can name the line).
// With a byte-order mark the rest must be UTF-8.
bool TryDecodeToUtf8(const std::string& bytes, std::string& utf8, std::size_t& badOffset);
// The same in place, so a large file that is UTF-8 already is not copied.
// On failure `text` is left as it was.
bool TryDecodeToUtf8InPlace(std::string& text, std::size_t& badOffset);
// For writing a file that a Windows program of the same family can read back.
// Raises EUnencodableText for text that Shift_JIS cannot hold.
std::string EncodeUtf8ToShiftJis(const std::string& utf8);

// The text between double quotes, for messages that show what was read.
std::string Quoted(std::string_view text);
