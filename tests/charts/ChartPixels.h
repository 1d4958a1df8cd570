#pragma once

#include "views/ChartOverlay.h"
#include "views/PinColours.h"

#include <QtTest>

// Pin `index` with the given (damage, percent) bars, the others empty.
inline TChartOverlay Pin(int index, QString label,
                         std::initializer_list<std::pair<int, double>> bars,
                         TRaderFactors factors = {})
{
    TChartOverlay pin{std::move(label), PinColour(index), {}, factors};
    for (const auto& [damage, value] : bars)
        pin.Bars[damage - 1] = value;
    return pin;
}

// A pixel's colour without its alpha, which grabs and pictures fill differently.
inline QRgb Pixel(const QImage& image, int x, int y)
{
    return (image.pixel(x, y) & 0xFFFFFF) | 0xFF000000;
}

// Pixels of `area` for which `matches` holds.
template <class TMatch> int CountWhere(const QImage& image, QRect area, TMatch matches)
{
    int count = 0;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += matches(Pixel(image, x, y));
    return count;
}

// Anti-aliased lines reach their colour only near their middle.
inline auto Like(QColor colour)
{
    return [colour](QRgb c) {
        return std::abs(qRed(c) - colour.red()) <= 40 &&
               std::abs(qGreen(c) - colour.green()) <= 40 &&
               std::abs(qBlue(c) - colour.blue()) <= 40;
    };
}

// Whether a line of `colour` passes within `radius` pixels of `at`.
inline bool PassesNear(const QImage& image, QPoint at, QColor colour, int radius = 2)
{
    const QRect around(at - QPoint(radius, radius), at + QPoint(radius, radius));
    return CountWhere(image, around, Like(colour)) > 0;
}

// The legend lists `texts` first, each beside a swatch of its colour and
// with ink where its text stands, all inside the picture.
inline void VerifyLegend(const QImage& image, const TOverlayLegend& legend,
                         const QStringList& texts)
{
    QVERIFY(image.rect().contains(legend.Rect));
    QVERIFY(legend.Entries.size() >= texts.size());
    for (qsizetype k = 0; k < legend.Entries.size(); ++k) {
        const TOverlayLegend::TEntry& entry = legend.Entries[k];
        if (k < texts.size())
            QCOMPARE(entry.Text, texts[k]);
        const QPoint swatch = entry.Swatch.center();
        QCOMPARE(Pixel(image, swatch.x(), swatch.y()), entry.Colour.rgb());
        QVERIFY(CountWhere(image, entry.TextRect, [](QRgb c) { return qGray(c) < 100; }) > 10);
    }
}
