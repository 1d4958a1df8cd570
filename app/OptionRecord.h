#pragma once

#include "app/IniFile.h"
#include "app/Language.h"
#include "weapons/WeaponD.h"
#include "weapons/WeaponSpeed.h"

#include <cstdint>
#include <string>

struct TOptionBase
{
    bool Anatomy = false;
    // A TRoundingMode, 0..3.
    std::int32_t Decimal = RoundUp;
    std::string DamageMethod = DefaultDamageMethod;

    bool operator==(const TOptionBase&) const = default;
};

struct TOptionWeaponSpeedGird
{
    std::string Method = DefaultSpeedMethod;

    bool operator==(const TOptionWeaponSpeedGird&) const = default;
};

// How the program looks: the desktop's own colours, or light or dark
// whatever the desktop says.
enum class TAppearance
{
    System,
    Light,
    Dark,
};

// The user's choices, owned by the main window, edited by the options dialog
// and kept in Option.ini.
struct TOptionRecord
{
    TOptionBase Base;
    bool SpreadChart3D = false;
    TOptionWeaponSpeedGird WeaponSpeed;
    TLanguage Language = TLanguage::System;
    TAppearance Appearance = TAppearance::System;

    bool operator==(const TOptionRecord&) const = default;
};

// Missing keys and values that are not of their type (a rounding mode
// outside 0..3, a language the program does not speak and an appearance it
// does not name included) give the defaults.
TOptionRecord ReadOptionRecord(const TIniFile& ini);
// Writes the five keys Option.ini has always listed, in their order, then
// the language and the appearance, each only once the file has chosen one.
void WriteOptionRecord(const TOptionRecord& record, TIniFile& ini);

// The window's zoom in percent, "Zoom" in the section "Base". It belongs to
// the window rather than to the record the options dialog edits and undo
// restores. A missing or unreadable value gives 100; any other is snapped
// to the nearest zoom step. 100 is written only over a value already there.
std::int32_t ReadZoomPercent(const TIniFile& ini);
void WriteZoomPercent(std::int32_t percent, TIniFile& ini);
