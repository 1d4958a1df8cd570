#include "app/WindowPlacement.h"

#include <algorithm>
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

// One side of the window against the same side of the screen.
void FitSide(int& start, int& length, int screenStart, int screenLength, int minimum)
{
    if (length > screenLength) {
        length = std::max(screenLength, minimum);
        start = screenStart;
    }
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

std::optional<QRect> FitPlacement(const TWindowPlacement& placement, QSize minimum,
                                  const QList<QRect>& screens)
{
    if (!IsUsablePlacement(placement, minimum, screens)) {
        return std::nullopt;
    }
    const QRect strip(placement.Left, placement.Top, placement.Width, GrabHeight);
    QRect home;
    qint64 homeShare = -1;
    for (const QRect& screen : screens) {
        const QRect shared = strip.intersected(screen);
        const qint64 share = qint64(shared.width()) * shared.height();
        if (share > homeShare) {
            home = screen;
            homeShare = share;
        }
    }
    int left = placement.Left, top = placement.Top;
    int width = placement.Width, height = placement.Height;
    FitSide(left, width, home.left(), home.width(), minimum.width());
    FitSide(top, height, home.top(), home.height(), minimum.height());
    return QRect(left, top, width, height);
}

QRect DefaultWindowRect(QSize design, QSize minimum, const QRect& screen)
{
    const QSize size = design.boundedTo(screen.size()).expandedTo(minimum);
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(screen.center());
    // A window larger than the screen keeps its top left corner on it.
    rect.moveTopLeft(
        QPoint(std::max(rect.left(), screen.left()), std::max(rect.top(), screen.top())));
    return rect;
}
