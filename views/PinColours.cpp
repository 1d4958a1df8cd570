#include "views/PinColours.h"

#include <array>

QColor PinColour(int index)
{
    static const std::array<QColor, PinColourCount> Colours = {
        QColor(0, 150, 0),   QColor(240, 140, 0), QColor(120, 40, 200),
        QColor(0, 160, 176), QColor(230, 0, 160), QColor(130, 85, 40),
    };
    const int slot = index % PinColourCount;
    return Colours[slot < 0 ? slot + PinColourCount : slot];
}
