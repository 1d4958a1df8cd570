#include "app/OptionRecord.h"

#include "app/Zoom.h"

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
    return record;
}

void WriteOptionRecord(const TOptionRecord& record, TIniFile& ini)
{
    ini.WriteBool("Base", "Anatomy", record.Base.Anatomy);
    ini.WriteInteger("Base", "Decimal", record.Base.Decimal);
    ini.WriteBool("SpreadChart", "3D", record.SpreadChart3D);
    ini.WriteString("Base", "DamageMethod", record.Base.DamageMethod);
    ini.WriteString("WeaponSpeed", "Method", record.WeaponSpeed.Method);
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
