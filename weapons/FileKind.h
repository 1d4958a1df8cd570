#pragma once

#include <string>
#include <string_view>

// What a path names, looked up without opening it: opening a FIFO for
// reading blocks until a writer comes, and a device may never end, so a
// file to read is checked before it is opened.
enum class TFileKind
{
    Missing,
    Regular,
    Directory,
    Fifo,
    CharacterDevice,
    BlockDevice,
    Socket,
    Other,
};

// Follows symbolic links, as opening would.
TFileKind FileKindOf(const std::string& path);

// "a directory", "a named pipe (FIFO)", ...; empty for Missing and Regular.
// The command line uses it as it stands; the window chooses its own words.
std::string_view FileKindText(TFileKind kind);
