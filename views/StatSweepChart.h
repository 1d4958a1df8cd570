#pragma once

#include "weapons/SetupFigures.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <vector>

QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QSpinBox;
class QValueAxis;
QT_END_NAMESPACE

// One setup's figures along the swept input, in the caller's colour.
struct TSweepLine
{
    QString Label;
    QColor Colour;
    // One per value of the sweep.
    std::vector<TSetupSummary> Points;
};

// Damage per second, or the Normal/Normal average, against one input over
// a range, one line per setup, with the input's current value marked. The
// controls above the chart ask the caller for a sweep; the caller computes
// it and hands it back through SetSweep.
class TStatSweepChart : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int CurrentValue READ CurrentValue WRITE SetCurrentValue)
    Q_PROPERTY(bool ShowAverage READ ShowAverage WRITE SetShowAverage)
    Q_PROPERTY(double Zoom READ Zoom WRITE SetZoom)

public:
    // Above this, a sweep of STR, DEX or INT is no longer drawn sensibly.
    static constexpr int MaximumSweepInput = 1000;

    explicit TStatSweepChart(QWidget* parent = nullptr);

    // `values` ascending; each line holds one point per value. The controls
    // follow the input and range shown, without asking again.
    void SetSweep(TStat stat, std::vector<std::int32_t> values, std::vector<TSweepLine> lines);
    TStat Stat() const { return m_stat; }
    const std::vector<std::int32_t>& Values() const { return m_values; }
    const std::vector<TSweepLine>& Lines() const { return m_lines; }

    int CurrentValue() const { return m_currentValue; }
    void SetCurrentValue(int value);

    // The Normal/Normal average instead of the damage per second.
    bool ShowAverage() const { return m_showAverage; }
    void SetShowAverage(bool on);

    // The window's zoom: the chart's labels grow with it, the controls and
    // the legend with the font the window sets. 1 is the design's size.
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);

    // What the controls ask for.
    TStat RequestedStat() const;
    int From() const;
    int To() const;

    QChart* Chart() const { return m_chart; }
    // The series drawing a line: one per run of values that have a figure.
    const std::vector<QLineSeries*>& SeriesOf(std::size_t line) const;
    // The vertical line at the current value; nothing when it lies outside.
    QLineSeries* CurrentValueSeries() const { return m_currentSeries; }

signals:
    void SweepRequested(TStat stat, int from, int to);

protected:
    // Follows a change of language, and of light and dark for the chart's
    // theme and colours.
    void changeEvent(QEvent* event) override;

private:
    // Sets the texts of the controls and the figure's axis in the language
    // of the moment.
    void RetranslateUi();
    void ApplyScheme();
    void Redraw();
    void AddRun(std::size_t line, std::vector<QPointF> points);
    void ShowPoint(std::size_t line, QPointF point, bool entered);
    void StatChosen();
    void RangeChanged();
    void ShowRange(int from, int to);

    TStat m_stat = TStat::STR;
    std::vector<std::int32_t> m_values;
    std::vector<TSweepLine> m_lines;
    int m_currentValue = 100;
    bool m_showAverage = false;
    double m_zoom = 1;
    // The chart's own label font at zoom 1.
    QFont m_labelFont;

    QComboBox* m_statCombo = nullptr;
    QSpinBox* m_fromSpin = nullptr;
    QSpinBox* m_toSpin = nullptr;
    QComboBox* m_figureCombo = nullptr;
    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QLabel* m_legend = nullptr;
    QValueAxis* m_axisX = nullptr;
    QValueAxis* m_axisY = nullptr;
    std::vector<std::vector<QLineSeries*>> m_series;
    QLineSeries* m_currentSeries = nullptr;
};
