#pragma once

#include <string>

// Files written on Windows arrive in Shift_JIS (code page 932); others in
// UTF-8, with or without a byte-order mark. Returns UTF-8 without BOM.
// Raises EFileError when the bytes are neither.
std::string DecodeToUtf8(const std::string& bytes);
// For writing a file that a Windows program of the same family can read back.
std::string EncodeUtf8ToShiftJis(const std::string& utf8);
