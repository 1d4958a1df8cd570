#pragma once

#include "views/ChartOverlay.h"
#include "weapons/DamageSpread.h"

#include <QImage>
#include <QList>
#include <QPair>
#include <QWidget>

#include <cstdint>

QT_BEGIN_NAMESPACE
class QBarSet;
class QChart;
class QChartView;
class QLabel;
class QPainter;
class QStackedWidget;
class QCategoryAxis;
QT_END_NAMESPACE

class TSpreadChartView;
class TSpreadChart3DView;

// The bar chart of how likely each damage value 1..60 is for the selected
// weapon's dice. The main window feeds it the dice; the chart keeps its own
// zoom and scroll state until the user double-clicks.
class TWeaponDamageSpreadChart : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double HighProbability READ HighProbability)
    Q_PROPERTY(bool View3D READ View3D WRITE SetView3D)
    Q_PROPERTY(QList<TChartOverlay> Overlays READ Overlays WRITE SetOverlays)
    Q_PROPERTY(double Zoom READ Zoom WRITE SetZoom)

public:
    static constexpr double StandardValueMin = 0;
    static constexpr double StandardValueMax = 15;

    explicit TWeaponDamageSpreadChart(QWidget* parent = nullptr);
    ~TWeaponDamageSpreadChart() override;

    // Recomputes the spread and refills all 60 bars at once.
    void SetDiceData(std::int32_t count, std::int32_t sides, std::int32_t bonus);
    // The tallest bar in percent; 0 before any dice.
    double HighProbability() const;
    const TDamageSpread& Spread() const { return m_spread; }
    // The most likely damages and their probability, as screen readers read
    // the chart ("Top: 16 damage, 9.38 %"); empty before any dice.
    QString Summary() const;

    const QList<TChartOverlay>& Overlays() const { return m_overlays; }
    // Outlines each overlay's bars over the current ones, in both views and
    // under the same zoom, and names them in a legend.
    void SetOverlays(const QList<TChartOverlay>& overlays);
    // The legend as the shown view draws it, in this widget's pixels; empty
    // without overlays.
    TOverlayLegend OverlayLegend() const;

    bool View3D() const { return m_view3D; }
    // Switches at once; the data and the zoom of the flat view are kept.
    void SetView3D(bool on);

    // The window's zoom: the title, the axes' labels and the margins around
    // the plot grow with it. 1 is the design's size.
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);

    // Back to value axis 0..15 and all 60 damage values.
    void ResetView();

    // The chart as shown (title, flat or 3D view), at the screen's scale.
    QImage Picture();
    // Puts Picture on the clipboard; Ctrl+C calls it.
    void CopyToClipboard();

    QChart* Chart() const { return m_chart; }
    QChartView* ChartView() const;
    QWidget* View3DWidget() const;
    QBarSet* BarSet() const { return m_barSet; }
    // The value axis range currently shown, in percent.
    QPair<double, double> ValueAxisRange() const;
    // The first and last damage value shown on the category axis.
    QPair<int, int> CategoryRange() const;
    // The horizontal range in damage units: bar k stands on k - 0.5 .. k + 0.5.
    QPair<double, double> DamageAxisRange() const;

protected:
    // The title follows a change of language, the colours one between light
    // and dark.
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyScheme();
    // The fonts and margins of the current zoom.
    void ApplyZoom();
    int Scaled(int pixels) const;
    void UpdateValueLabels();
    void UpdateDamageLabels();
    void UpdateOverlays();
    QPointF ToView(double damage, double value) const;
    TOverlayLegend OverlayLegend2D() const;
    void DrawOverlays2D(QPainter& painter) const;

    TDamageSpread m_spread;
    QList<TChartOverlay> m_overlays;
    bool m_view3D = false;
    double m_zoom = 1;
    QLabel* m_title = nullptr;
    QStackedWidget* m_stack = nullptr;
    QChart* m_chart = nullptr;
    TSpreadChartView* m_chartView = nullptr;
    TSpreadChart3DView* m_view3DWidget = nullptr;
    QBarSet* m_barSet = nullptr;
    QCategoryAxis* m_valueAxis = nullptr;
    QCategoryAxis* m_categoryAxis = nullptr;
};
