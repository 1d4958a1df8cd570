#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>

// Paints `colour` over the region of colour `region` (white unless given)
// 4-connected to `seed` of an RGB32 image, bounded by any pixel of another
// colour; nothing when the seed lies outside or is of another colour. The
// radar chart fills its data polygon with it.
void FloodFill(QImage& image, QPoint seed, QRgb colour, QRgb region = qRgb(255, 255, 255));
