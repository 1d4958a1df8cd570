#pragma once

#include <QColor>

inline constexpr int PinColourCount = 6;

// The colour of pin `index` (0..5; further indexes repeat them) on every
// chart on a light ground: dark and saturated enough for a thin line on
// white, and far from the charts' own red bars, blue outline and light-blue
// fill. TColourScheme::Pin gives them for either ground.
QColor PinColour(int index);
