#include "views/ChartOverlay.h"

#include "views/ColourScheme.h"
#include "weapons/CompareTable.h"
#include "weapons/SetupFigures.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int Padding = 4;
constexpr int SwatchSize = 10;
constexpr int SwatchGap = 5;
constexpr int Margin = 6;
constexpr int GridStep = 8;

} // namespace

TChartOverlay MakeChartOverlay(const TSetupFigures& figures, int index)
{
    return MakeChartOverlay(figures, index, TColourScheme::Light());
}

TChartOverlay MakeChartOverlay(const TSetupFigures& figures, int index, const TColourScheme& scheme)
{
    TChartOverlay overlay;
    overlay.Label = QString::fromStdString(SetupLabel(figures.Setup));
    overlay.Colour = scheme.Pin(index);
    overlay.Bars = figures.Bars;
    overlay.Factors = figures.Factors;
    return overlay;
}

void TOverlayLegend::MoveTo(QPoint topLeft)
{
    const QPoint shift = topLeft - Rect.topLeft();
    Rect.translate(shift);
    for (TEntry& entry : Entries) {
        entry.Swatch.translate(shift);
        entry.TextRect.translate(shift);
    }
}

TOverlayLegend LayOutOverlayLegend(const QList<TChartOverlay>& overlays, const QFont& font,
                                   int maxWidth)
{
    TOverlayLegend legend;
    if (overlays.isEmpty())
        return legend;
    const QFontMetrics metrics(font);
    const int rowHeight = std::max(metrics.height(), SwatchSize) + 2;
    const int textLeft = Padding + SwatchSize + SwatchGap;
    const int textRoom = std::max(metrics.horizontalAdvance("MM…"), maxWidth - textLeft - Padding);
    int widest = 0;
    int y = Padding;
    for (const TChartOverlay& overlay : overlays) {
        TOverlayLegend::TEntry entry;
        entry.Colour = overlay.Colour;
        entry.Text = metrics.elidedText(overlay.Label, Qt::ElideRight, textRoom);
        const int textWidth = metrics.horizontalAdvance(entry.Text);
        widest = std::max(widest, textWidth);
        entry.Swatch = QRect(Padding, y + (rowHeight - SwatchSize) / 2, SwatchSize, SwatchSize);
        entry.TextRect = QRect(textLeft, y, textWidth, rowHeight);
        legend.Entries << entry;
        y += rowHeight;
    }
    legend.Rect = QRect(0, 0, textLeft + widest + Padding, y + Padding);
    return legend;
}

void PlaceOverlayLegend(TOverlayLegend& legend, QRect area,
                        const std::function<double(const QRect&)>& hidden)
{
    const QRect inner = area.adjusted(Margin, Margin, -Margin, -Margin);
    const QSize size = legend.Rect.size();
    const int right = inner.right() + 1 - size.width();
    const int bottom = inner.bottom() + 1 - size.height();
    std::vector<QPoint> places = {QPoint(right, inner.top()), inner.topLeft(),
                                  QPoint(right, bottom), QPoint(inner.left(), bottom)};
    // Then anywhere inside, for a chart whose corners are all taken.
    for (int y = inner.top(); y <= bottom; y += GridStep)
        for (int x = inner.left(); x <= right; x += GridStep)
            places.emplace_back(x, y);
    QPoint best = places.front();
    double least = hidden(QRect(best, size));
    for (const QPoint place : places) {
        const double covered = hidden(QRect(place, size));
        if (covered < least) {
            least = covered;
            best = place;
        }
    }
    legend.MoveTo(best);
}

void DrawOverlayLegend(QPainter& painter, const TOverlayLegend& legend, const QFont& font,
                       const TColourScheme& scheme)
{
    if (legend.IsEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font);
    painter.setPen(scheme.Line);
    painter.setBrush(scheme.Ground);
    // A 1-pixel outline of QRect covers one pixel more each way than its size.
    painter.drawRect(legend.Rect.adjusted(0, 0, -1, -1));
    for (const TOverlayLegend::TEntry& entry : legend.Entries) {
        painter.fillRect(entry.Swatch, entry.Colour);
        painter.setPen(scheme.Text);
        painter.drawText(entry.TextRect, Qt::AlignLeft | Qt::AlignVCenter, entry.Text);
    }
    painter.restore();
}
