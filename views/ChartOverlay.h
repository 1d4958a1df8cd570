#pragma once

#include "weapons/DamageSpread.h"
#include "weapons/RaderChartData.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QMetaType>
#include <QRect>
#include <QString>

#include <array>
#include <functional>

QT_BEGIN_NAMESPACE
class QPainter;
QT_END_NAMESPACE

struct TColourScheme;
struct TSetupFigures;

// Another setup drawn over a chart for comparison: the spread chart reads its
// bars, the radar chart its factors.
struct TChartOverlay
{
    QString Label;
    QColor Colour;
    std::array<double, TDamageSpread::BarCount> Bars{};
    TRaderFactors Factors;
};

// The overlay of pin `index`: its figures' bars and factors, its setup's
// label and the pin's colour in `scheme` (the light one unless given).
TChartOverlay MakeChartOverlay(const TSetupFigures& figures, int index);
TChartOverlay MakeChartOverlay(const TSetupFigures& figures, int index,
                               const TColourScheme& scheme);

// The box that names the overlays, in the pixels of the widget it is drawn on.
struct TOverlayLegend
{
    struct TEntry
    {
        QColor Colour;
        QRect Swatch;
        // The label, elided when the box would grow too wide for it.
        QString Text;
        QRect TextRect;
    };
    QRect Rect;
    QList<TEntry> Entries;

    bool IsEmpty() const { return Entries.isEmpty(); }
    void MoveTo(QPoint topLeft);
};

// Sized for `font` and at most `maxWidth` wide, at the origin.
TOverlayLegend LayOutOverlayLegend(const QList<TChartOverlay>& overlays, const QFont& font,
                                   int maxWidth);

// Moves the legend to where in `area` `hidden` (how much of the chart a box
// there would cover) is least. The corners come first, top right, top left,
// bottom right, bottom left, and win ties, so a legend leaves the corner
// only when that uncovers something.
void PlaceOverlayLegend(TOverlayLegend& legend, QRect area,
                        const std::function<double(const QRect&)>& hidden);

// A framed box on the chart's ground, in the scheme's text and lines.
void DrawOverlayLegend(QPainter& painter, const TOverlayLegend& legend, const QFont& font,
                       const TColourScheme& scheme);

Q_DECLARE_METATYPE(TChartOverlay)
