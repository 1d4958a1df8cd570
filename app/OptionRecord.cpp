#include "app/OptionRecord.h"

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
}
