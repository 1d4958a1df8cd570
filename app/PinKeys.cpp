#include "app/PinKeys.h"

#include <algorithm>

namespace {

constexpr const char* Section = "Pins";

std::string KeyName(int number)
{
    return "Pin" + std::to_string(number);
}

} // namespace

std::vector<std::string> ReadPinKeys(const TIniFile& ini)
{
    const int count = std::clamp(ini.ReadInteger(Section, "Count", 0), 0, MaxPins);
    std::vector<std::string> keys;
    for (int number = 1; number <= count; ++number)
        if (const std::optional<std::string> key = ini.Value(Section, KeyName(number)))
            keys.push_back(*key);
    return keys;
}

void WritePinKeys(const std::vector<std::string>& keys, TIniFile& ini)
{
    // A file that never held pins gets no section for none.
    if (keys.empty() && !ini.Value(Section, "Count"))
        return;
    const int count = std::min(static_cast<int>(keys.size()), MaxPins);
    ini.WriteInteger(Section, "Count", count);
    for (int number = 1; number <= MaxPins; ++number) {
        if (number <= count)
            ini.WriteString(Section, KeyName(number), keys[static_cast<std::size_t>(number - 1)]);
        else if (ini.Value(Section, KeyName(number)))
            ini.WriteString(Section, KeyName(number), "");
    }
}
