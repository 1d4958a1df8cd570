#pragma once

#include "views/ColourScheme.h"

#include <QColor>

// The cells of a table's best figure are bold on TColourScheme::Best; this is
// its light colour, light green, apart from the blue and red of the damage
// grid and as easy on black text.
inline const QColor BestMarkColour = TColourScheme::Light().Best;
