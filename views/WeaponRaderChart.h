#pragma once

#include "views/ChartOverlay.h"
#include "weapons/RaderChartData.h"

#include <QImage>
#include <QList>
#include <QWidget>

// The radar panel: speed, overall rating and damage on the three axes of a
// triangle, and the steadiness gauge at the left edge. Fed by the main window
// after the spread chart, since it rates the spread's top probability.
class TWeaponRaderChart : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TRaderChartData RaderChartData READ RaderChartData WRITE SetRaderChartData)
    Q_PROPERTY(QList<TChartOverlay> Overlays READ Overlays WRITE SetOverlays)

public:
    explicit TWeaponRaderChart(QWidget* parent = nullptr);

    TRaderChartData RaderChartData() const { return m_data; }
    // Copies the record, recomputes the factors and redraws.
    void SetRaderChartData(const TRaderChartData& data);
    TRaderFactors Factors() const { return m_factors; }
    // The three factors, the overall rating the picture prints and the
    // steadiness, as screen readers read the chart.
    QString Summary() const;

    const QList<TChartOverlay>& Overlays() const { return m_overlays; }
    // Outlines each overlay's polygon over the current one, marks its
    // steadiness beside the gauge and names it in a legend.
    void SetOverlays(const QList<TChartOverlay>& overlays);
    // The legend where the picture puts it; empty without overlays.
    TOverlayLegend OverlayLegend() const;

    QSize sizeHint() const override { return {300, 300}; }
    QSize minimumSizeHint() const override { return {300, 300}; }

    // The whole picture as the panel paints it, at the given pixel ratio.
    QImage RenderPicture(qreal devicePixelRatio = 1.0) const;
    // Puts the picture, at the screen's scale, on the clipboard; Ctrl+C and
    // the menu "Copy" call it.
    void CopyToClipboard() const;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage Render(qreal devicePixelRatio, TOverlayLegend* legend) const;

    TRaderChartData m_data;
    TRaderFactors m_factors;
    QList<TChartOverlay> m_overlays;
};

Q_DECLARE_METATYPE(TRaderChartData)
