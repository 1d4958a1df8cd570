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

// The user's choices, owned by the main window, edited by the options dialog
// and kept in Option.ini.
struct TOptionRecord
{
    TOptionBase Base;
    bool SpreadChart3D = false;
    TOptionWeaponSpeedGird WeaponSpeed;
    TLanguage Language = TLanguage::System;

    bool operator==(const TOptionRecord&) const = default;
};

// Missing keys and values that are not of their type (a rounding mode
// outside 0..3 and a language the program does not speak included) give the
// defaults.
TOptionRecord ReadOptionRecord(const TIniFile& ini);
// Writes every key, in the order Option.ini has always listed them, the
// language last and only once it is chosen.
void WriteOptionRecord(const TOptionRecord& record, TIniFile& ini);
