#pragma once

#include <array>

// The window's zoom steps in percent. 100 is the design's size, at which
// every view paints as it always has.
inline constexpr std::array<int, 8> ZoomSteps = {75, 90, 100, 110, 125, 150, 175, 200};
inline constexpr int ActualSizeZoom = 100;

// The step nearest to `percent`, the smaller of two equally near: a value
// edited by hand in Option.ini still lands on a size the layouts were made for.
int SnapZoom(int percent);
// One step up or down from the step nearest `percent`; the ends stay.
int ZoomInStep(int percent);
int ZoomOutStep(int percent);
