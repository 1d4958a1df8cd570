#include "app/OptionRecord.h"

#include "app/Zoom.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace {

// Words rather than numbers, so a hand-edited file reads what it chooses.
constexpr std::array<std::pair<TAppearance, const char*>, 3> AppearanceNames = {{
    {TAppearance::System, "System"},
    {TAppearance::Light, "Light"},
    {TAppearance::Dark, "Dark"},
}};

TAppearance AppearanceOf(const std::string& text)
{
    for (const auto& [appearance, name] : AppearanceNames) {
        const std::string word(name);
        if (std::equal(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return appearance;
        }
    }
    return TAppearance::System;
}

const char* NameOf(TAppearance appearance)
{
    for (const auto& [value, name] : AppearanceNames) {
        if (value == appearance) {
            return name;
        }
    }
    return AppearanceNames.front().second;
}

} // namespace

TOptionRecord ReadOptionRecord(const TIniFile& ini)
{
    const TOptionRecord defaults;
    TOptionRecord record;
    record.Base.Anatomy = ini.ReadBool("Base", "Anatomy", defaults.Base.Anatomy);
    record.Base.Decimal = ini.ReadInteger("Base", "Decimal", defaults.Base.Decimal);
    if (record.Base.Decimal < RoundUp || record.Base.Decimal > NoRounding) {
        record.Base.Decimal = defaults.Base.Decimal;
    }
    record.SpreadChart3D = ini.ReadBool("SpreadChart", "3D", defaults.SpreadChart3D);
    record.Base.DamageMethod = ini.ReadString("Base", "DamageMethod", defaults.Base.DamageMethod);
    record.WeaponSpeed.Method =
        ini.ReadString("WeaponSpeed", "Method", defaults.WeaponSpeed.Method);
    record.Language = LanguageFromKey(ini.ReadString("Base", "Language", ""));
    record.Appearance = AppearanceOf(ini.ReadString("Base", "Appearance", ""));
    return record;
}

void WriteOptionRecord(const TOptionRecord& record, TIniFile& ini)
{
    ini.WriteBool("Base", "Anatomy", record.Base.Anatomy);
    ini.WriteInteger("Base", "Decimal", record.Base.Decimal);
    ini.WriteBool("SpreadChart", "3D", record.SpreadChart3D);
    ini.WriteString("Base", "DamageMethod", record.Base.DamageMethod);
    ini.WriteString("WeaponSpeed", "Method", record.WeaponSpeed.Method);
    // A file that never held a language keeps its lines as they were.
    if (record.Language != TLanguage::System || !ini.ReadString("Base", "Language", "").empty()) {
        ini.WriteString("Base", "Language", LanguageKey(record.Language));
    }
    // A file that never chose leaves the desktop's look without saying so,
    // and stays line for line what it was; one that chose says when it
    // goes back.
    if (record.Appearance != TAppearance::System || ini.Value("Base", "Appearance")) {
        ini.WriteString("Base", "Appearance", NameOf(record.Appearance));
    }
}

std::int32_t ReadZoomPercent(const TIniFile& ini)
{
    return SnapZoom(ini.ReadInteger("Base", "Zoom", ActualSizeZoom));
}

void WriteZoomPercent(std::int32_t percent, TIniFile& ini)
{
    const std::int32_t zoom = SnapZoom(percent);
    // The file of someone who never zoomed keeps the keys it always had.
    if (zoom == ActualSizeZoom && !ini.Value("Base", "Zoom")) {
        return;
    }
    ini.WriteInteger("Base", "Zoom", zoom);
}
