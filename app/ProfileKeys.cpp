#include "app/ProfileKeys.h"

#include "weapons/SetupFigures.h"

#include <QString>

#include <algorithm>
#include <optional>

namespace {

constexpr const char* Section = "Profiles";
// A count typed by hand should not keep the start busy for long.
constexpr int MaxProfiles = 10000;

std::string NameKey(int number)
{
    return "Name" + std::to_string(number);
}

std::string StatsKey(int number)
{
    return "Stats" + std::to_string(number);
}

} // namespace

std::string TrimmedProfileName(const std::string& name)
{
    return QString::fromStdString(name).trimmed().toStdString();
}

std::string ProfileStatsText(const TWeaponDataAndPCData& stats)
{
    // The setup key's inputs part has the same order and rule.
    const std::string key = SetupKeyText({"-", stats});
    return key.substr(key.rfind('@') + 1);
}

TProfileBook ReadProfiles(const TIniFile& ini)
{
    TProfileBook book;
    const int count = std::clamp(ini.ReadInteger(Section, "Count", 0), 0, MaxProfiles);
    for (int number = 1; number <= count; ++number) {
        const std::string name = TrimmedProfileName(ini.ReadString(Section, NameKey(number), ""));
        const std::string stats = ini.ReadString(Section, StatsKey(number), "");
        const std::optional<TSetupKey> parsed = ParseSetupKey("-@" + stats);
        const bool seen = std::any_of(book.Profiles.begin(), book.Profiles.end(),
                                      [&](const TProfile& p) { return p.Name == name; });
        if (name.empty() || !parsed || seen) {
            book.Skipped.push_back((name.empty() ? NameKey(number) : name) + "=" + stats);
            continue;
        }
        book.Profiles.push_back({name, parsed->Stats});
    }
    book.Current = TrimmedProfileName(ini.ReadString(Section, "Current", ""));
    return book;
}

void WriteProfiles(const TProfileBook& book, TIniFile& ini)
{
    // A file that never held profiles gets no section for none.
    if (book.Profiles.empty() && !ini.Value(Section, "Count"))
        return;
    const int count = std::min(static_cast<int>(book.Profiles.size()), MaxProfiles);
    ini.WriteInteger(Section, "Count", count);
    for (int number = 1; number <= count; ++number) {
        const TProfile& profile = book.Profiles[static_cast<std::size_t>(number - 1)];
        ini.WriteString(Section, NameKey(number), profile.Name);
        ini.WriteString(Section, StatsKey(number), ProfileStatsText(profile.Stats));
    }
    for (int number = count + 1;
         ini.Value(Section, NameKey(number)) || ini.Value(Section, StatsKey(number)); ++number) {
        if (ini.Value(Section, NameKey(number)))
            ini.WriteString(Section, NameKey(number), "");
        if (ini.Value(Section, StatsKey(number)))
            ini.WriteString(Section, StatsKey(number), "");
    }
    ini.WriteString(Section, "Current", book.Current);
}
