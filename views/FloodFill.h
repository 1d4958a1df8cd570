#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>

// Paints `colour` over the white region 4-connected to `seed` of an RGB32
// image, bounded by any pixel that is not white; nothing when the seed lies
// outside or is not white. The radar chart fills its data polygon with it.
void FloodFill(QImage& image, QPoint seed, QRgb colour);
