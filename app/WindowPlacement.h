#pragma once

#include "app/IniFile.h"

#include <QList>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <optional>

// Where the main window stood when it was last closed, kept in Option.ini in
// a section of its own, "Window", after the settings:
//   Left, Top, Width, Height: the window's inner rectangle (without the frame
//     the window manager draws) in desktop pixels, in its normal state, so a
//     maximised window comes back to the size it had before;
//   Maximized: "1" when the window was maximised;
//   Splitter: the width of the weapon list in pixels, 0 for the design's.
struct TWindowPlacement
{
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool Maximized = false;
    std::int32_t Splitter = 0;

    QRect Rect() const { return {Left, Top, Width, Height}; }
    bool operator==(const TWindowPlacement&) const = default;
};

// Empty unless Left, Top, Width and Height are all there as integers; a
// missing Maximized or Splitter counts as "0".
std::optional<TWindowPlacement> ReadWindowPlacement(const TIniFile& ini);
void WriteWindowPlacement(const TWindowPlacement& placement, TIniFile& ini);

// A rectangle smaller than `minimum`, or one whose top strip (where the menu
// and the window's title are) is not on any of the `screens` far enough to
// grab it, would leave the user a window they cannot use or cannot find.
bool IsUsablePlacement(const TWindowPlacement& placement, QSize minimum,
                       const QList<QRect>& screens);

// Where the window goes for a stored placement: nothing when it is not usable
// (see above), so the default applies. Otherwise the placement as it was,
// except that a side longer than the screen holding most of the top strip is
// shrunk to that screen (never below `minimum`) and moved onto it: a window
// far larger than any screen costs memory by the hundred megabytes and can
// exceed what the paint engine can draw on.
std::optional<QRect> FitPlacement(const TWindowPlacement& placement, QSize minimum,
                                  const QList<QRect>& screens);

// The first window: the design's size, shrunk to `screen` where it is larger
// (never below `minimum`, as with a large scale on a small screen), centred on it.
QRect DefaultWindowRect(QSize design, QSize minimum, const QRect& screen);
