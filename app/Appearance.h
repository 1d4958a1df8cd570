#pragma once

#include "app/OptionRecord.h"

#include <QPalette>

// Puts an appearance into effect for the whole program at once. System gives
// back the desktop's own style and palette (untouched until Light or Dark was
// chosen); Light and Dark set the Fusion style with a palette of their own,
// whatever the desktop uses. The views choose their colours from the palette
// they end up with.
void ApplyAppearance(TAppearance appearance);

// The palettes Light and Dark set.
QPalette LightPalette();
QPalette DarkPalette();
