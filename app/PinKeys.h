#pragma once

#include "app/IniFile.h"

#include <string>
#include <vector>

inline constexpr int MaxPins = 6;

// The pinned setups, kept in Option.ini in a section of their own, "Pins":
//   Count: how many of the keys below count, 0..6;
//   Pin1 .. Pin6: each a setup's key, "Katana@100,25,100,100,100,0".
// Keys beyond Count are emptied rather than removed, so that a later
// program reading more of them finds none stale; without pins a file that
// has no such section gets none.
std::vector<std::string> ReadPinKeys(const TIniFile& ini);
void WritePinKeys(const std::vector<std::string>& keys, TIniFile& ini);
