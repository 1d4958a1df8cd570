#include "app/WindowPlacement.h"

#include <limits>

namespace {

const char* const Section = "Window";
// How much of the window's top strip must lie on one screen.
constexpr int GrabWidth = 100;
constexpr int GrabHeight = 30;

std::optional<std::int32_t> Integer(const TIniFile& ini, const char* key)
{
    const std::optional<std::string> text = ini.Value(Section, key);
    return text ? TIniFile::ParseInteger(*text) : std::nullopt;
}

} // namespace

std::optional<TWindowPlacement> ReadWindowPlacement(const TIniFile& ini)
{
    const auto left = Integer(ini, "Left");
    const auto top = Integer(ini, "Top");
    const auto width = Integer(ini, "Width");
    const auto height = Integer(ini, "Height");
    if (!left || !top || !width || !height) {
        return std::nullopt;
    }
    TWindowPlacement placement;
    placement.Left = *left;
    placement.Top = *top;
    placement.Width = *width;
    placement.Height = *height;
    placement.Maximized = ini.ReadBool(Section, "Maximized", false);
    placement.Splitter = ini.ReadInteger(Section, "Splitter", 0);
    return placement;
}

void WriteWindowPlacement(const TWindowPlacement& placement, TIniFile& ini)
{
    ini.WriteInteger(Section, "Left", placement.Left);
    ini.WriteInteger(Section, "Top", placement.Top);
    ini.WriteInteger(Section, "Width", placement.Width);
    ini.WriteInteger(Section, "Height", placement.Height);
    ini.WriteBool(Section, "Maximized", placement.Maximized);
    ini.WriteInteger(Section, "Splitter", placement.Splitter);
}

bool IsUsablePlacement(const TWindowPlacement& placement, QSize minimum,
                       const QList<QRect>& screens)
{
    if (placement.Width < minimum.width() || placement.Height < minimum.height()) {
        return false;
    }
    // In 64 bits: a value near the 32-bit limit must not wrap onto a screen.
    const qint64 right = qint64(placement.Left) + placement.Width;
    const qint64 bottom = qint64(placement.Top) + placement.Height;
    if (right > std::numeric_limits<int>::max() || bottom > std::numeric_limits<int>::max()) {
        return false;
    }
    const QRect strip(placement.Left, placement.Top, placement.Width, GrabHeight);
    for (const QRect& screen : screens) {
        const QRect shared = strip.intersected(screen);
        if (shared.width() >= GrabWidth && shared.height() >= GrabHeight) {
            return true;
        }
    }
    return false;
}
