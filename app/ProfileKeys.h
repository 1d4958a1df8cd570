#pragma once

#include "app/IniFile.h"
#include "weapons/WeaponD.h"

#include <string>
#include <vector>

// A character the user named: the six inputs only, no weapon.
struct TProfile
{
    std::string Name;
    TWeaponDataAndPCData Stats;
};

// The profiles as Option.ini holds them, with what could not be read.
struct TProfileBook
{
    std::vector<TProfile> Profiles;
    // The profile in use at the last close; empty for none.
    std::string Current;
    // One line per entry left out (its name, or its key when the name is
    // unusable), so the caller can name them all in one message.
    std::vector<std::string> Skipped;
};

// The named profiles, kept in Option.ini in a section of their own,
// "Profiles":
//   Count: how many of the numbered pairs below count;
//   Name1, Stats1 ..: a name in UTF-8, trimmed, and its six inputs in the
//     order STR,DEX,INT,Tactics,Anatomy,Lumberjack ("100,25,100,100,100,0");
//   Current: the name of the profile in use.
// A pair without a name, with inputs that do not read, or with a name seen
// before is skipped, and the rest still count. Pairs beyond Count are
// emptied rather than removed, as the pins' keys are.
TProfileBook ReadProfiles(const TIniFile& ini);
void WriteProfiles(const TProfileBook& book, TIniFile& ini);

// Blanks at both ends removed, the Unicode way as the name field shows them.
std::string TrimmedProfileName(const std::string& name);
std::string ProfileStatsText(const TWeaponDataAndPCData& stats);
