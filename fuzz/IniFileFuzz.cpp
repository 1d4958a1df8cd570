#include "app/IniFile.h"
#include "expr/Exception.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Random bytes as a settings file: read them, read the program's keys, write
// one back and read the text again. The written key must read back as
// written; nothing may crash.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TIniFile ini;
    try {
        ini.ParseBytes(bytes);
    } catch (const Exception&) {
        return 0;
    }
    ini.ReadString("Base", "DamageMethod", "");
    ini.ReadInteger("Base", "Decimal", 1);
    ini.ReadBool("Base", "Anatomy", false);
    ini.ReadBool("SpreadChart", "3D", false);
    ini.ReadString("WeaponSpeed", "Method", "");
    TIniFile::ParseInteger(bytes);

    ini.WriteInteger("Base", "Decimal", 2);
    ini.WriteString("WeaponSpeed", "Method", "(15000/((25+2.5*DEXR)*SPEED))");
    const std::string text = ini.Text();
    TIniFile again;
    again.Parse(text);
    if (again.ReadInteger("Base", "Decimal", -1) != 2 ||
        again.ReadString("WeaponSpeed", "Method", "") != "(15000/((25+2.5*DEXR)*SPEED))")
        std::abort();
    return 0;
}
