#pragma once

#include "views/ChartOverlay.h"
#include "weapons/RaderChartData.h"
#include "weapons/RaderGeometry.h"

#include <QFontMetrics>
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
    Q_PROPERTY(double Zoom READ Zoom WRITE SetZoom)

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

    // The window's zoom: margins, the gauge and the smallest size grow with
    // it, the captions with the font the window sets. 1 is the design's size.
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);

    // Where the five captions are drawn ("Speed", "総合力…", "Damage", then
    // the gauge's "爆発力" and "安定力"), in the panel's pixels.
    QList<QRect> CaptionRects() const;

    QSize sizeHint() const override { return DesignSize(); }
    QSize minimumSizeHint() const override { return DesignSize(); }

    // The whole picture as the panel paints it, at the given pixel ratio.
    QImage RenderPicture(qreal devicePixelRatio = 1.0) const;
    // Puts the picture, at the screen's scale, on the clipboard; Ctrl+C and
    // the menu "Copy" call it.
    void CopyToClipboard() const;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct TCaption
    {
        QRect Box;
        QString Text;
    };
    QImage Render(qreal devicePixelRatio, TOverlayLegend* legend) const;
    TRaderGeometry Geometry(const TRaderFactors& factors, const QFontMetrics& metrics) const;
    QList<TCaption> Captions(const TRaderGeometry& g, const QFontMetrics& metrics) const;
    int Scaled(int pixels) const;
    QSize DesignSize() const { return {Scaled(300), Scaled(300)}; }

    TRaderChartData m_data;
    TRaderFactors m_factors;
    QList<TChartOverlay> m_overlays;
    double m_zoom = 1;
};

Q_DECLARE_METATYPE(TRaderChartData)
