#pragma once

#include <QColor>

// The cells of a table's best figure: bold on light green, apart from the
// blue and red of the damage grid and as easy on black text.
inline constexpr QColor BestMarkColour{0xCC, 0xF0, 0xCC};
