#include "views/StatSweepChart.h"

#include "views/ColourScheme.h"
#include "weapons/NumberFormat.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStringList>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

QString NameOf(TStat stat)
{
    const std::string_view name = StatName(stat);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// About five ticks of a round step: 1, 2 or 5 times a power of ten.
double TickStep(double span)
{
    if (span <= 0)
        return 1;
    const double rough = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10 * power;
}

} // namespace

TStatSweepChart::TStatSweepChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StatSweepChart"));

    m_statCombo = new QComboBox(this);
    m_statCombo->setObjectName(QStringLiteral("SweepStatCombo"));
    for (const TStat stat : AllStats)
        m_statCombo->addItem(NameOf(stat));

    const auto makeSpin = [this](const QString& name) {
        auto* spin = new QSpinBox(this);
        spin->setObjectName(name);
        // A typed value counts once confirmed, not at every digit.
        spin->setKeyboardTracking(false);
        spin->setAccelerated(true);
        return spin;
    };
    m_fromSpin = makeSpin(QStringLiteral("SweepFromSpin"));
    m_toSpin = makeSpin(QStringLiteral("SweepToSpin"));

    m_figureCombo = new QComboBox(this);
    m_figureCombo->setObjectName(QStringLiteral("SweepFigureCombo"));
    m_figureCombo->addItem(QString());
    m_figureCombo->addItem(QString());

    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(4, 2, 4, 2);
    controls->setSpacing(6);
    const auto caption = [this](const QString& name) {
        auto* label = new QLabel(this);
        label->setObjectName(name);
        return label;
    };
    controls->addWidget(caption(QStringLiteral("SweepInputLabel")));
    controls->addWidget(m_statCombo);
    controls->addSpacing(8);
    controls->addWidget(caption(QStringLiteral("SweepFromLabel")));
    controls->addWidget(m_fromSpin);
    controls->addSpacing(4);
    controls->addWidget(caption(QStringLiteral("SweepToLabel")));
    controls->addWidget(m_toSpin);
    controls->addSpacing(8);
    controls->addWidget(m_figureCombo);
    controls->addStretch(1);

    m_chart = new QChart;
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setBackgroundRoundness(0);
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    // The chart's own legend elides what does not fit on one line; six
    // pins' labels need a legend that wraps.
    m_chart->legend()->hide();

    m_axisX = new QValueAxis;
    m_axisX->setObjectName(QStringLiteral("SweepInputAxis"));
    m_axisX->setLabelFormat(QStringLiteral("%d"));
    m_axisX->setTickType(QValueAxis::TicksDynamic);
    m_axisX->setTickAnchor(0);
    m_axisX->setMinorTickCount(1);
    m_axisY = new QValueAxis;
    m_axisY->setObjectName(QStringLiteral("SweepFigureAxis"));
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_labelFont = m_axisX->labelsFont();

    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("SweepChartView"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setFrameShape(QFrame::NoFrame);

    m_legend = new QLabel(this);
    m_legend->setObjectName(QStringLiteral("SweepLegend"));
    m_legend->setTextFormat(Qt::RichText);
    m_legend->setWordWrap(true);
    m_legend->setContentsMargins(6, 0, 6, 4);
    // On the chart's ground, as the chart's own legend would be.
    m_legend->setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(controls);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_legend);

    ShowRange(0, StatMaximum(m_stat));
    connect(m_statCombo, &QComboBox::currentIndexChanged, this, &TStatSweepChart::StatChosen);
    connect(m_fromSpin, &QSpinBox::valueChanged, this, &TStatSweepChart::RangeChanged);
    connect(m_toSpin, &QSpinBox::valueChanged, this, &TStatSweepChart::RangeChanged);
    connect(m_figureCombo, &QComboBox::currentIndexChanged, this,
            [this](int index) { SetShowAverage(index == 1); });
    RetranslateUi();
    ApplyScheme();
}

void TStatSweepChart::ApplyScheme()
{
    const TColourScheme& scheme = TColourScheme::For(palette());
    const QChart::ChartTheme theme =
        scheme.IsDark ? QChart::ChartThemeDark : QChart::ChartThemeLight;
    // A theme restyles the axes and the background, so a light chart keeps
    // the one it was made with.
    if (m_chart->theme() != theme) {
        m_chart->setTheme(theme);
        m_chart->setBackgroundRoundness(0);
        if (scheme.IsDark) {
            m_chart->setBackgroundBrush(scheme.Ground);
            for (QValueAxis* axis : {m_axisX, m_axisY}) {
                axis->setGridLineColor(scheme.ChartGrid);
                axis->setMinorGridLineColor(scheme.ChartGrid.darker(130));
            }
        }
    }
    QPalette legend = m_legend->palette();
    legend.setColor(QPalette::Window, scheme.Ground);
    m_legend->setPalette(legend);
    // The lines are made afresh, in the theme's place.
    Redraw();
}

void TStatSweepChart::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        RetranslateUi();
        Redraw();
    } else if (event->type() == QEvent::PaletteChange) {
        ApplyScheme();
    }
    QWidget::changeEvent(event);
}

void TStatSweepChart::RetranslateUi()
{
    m_figureCombo->setItemText(0, tr("DPS"));
    m_figureCombo->setItemText(1, tr("Ave"));
    m_figureCombo->setItemData(0, tr("Damage per second"), Qt::ToolTipRole);
    m_figureCombo->setItemData(1, tr("Average damage at Normal accuracy, Normal damage"),
                               Qt::ToolTipRole);
    findChild<QLabel*>(QStringLiteral("SweepInputLabel"))->setText(tr("Input"));
    findChild<QLabel*>(QStringLiteral("SweepFromLabel"))->setText(tr("From"));
    findChild<QLabel*>(QStringLiteral("SweepToLabel"))->setText(tr("To"));
}

void TStatSweepChart::SetSweep(TStat stat, std::vector<std::int32_t> values,
                               std::vector<TSweepLine> lines)
{
    m_stat = stat;
    m_values = std::move(values);
    m_lines = std::move(lines);
    {
        const QSignalBlocker blocker(m_statCombo);
        m_statCombo->setCurrentIndex(static_cast<int>(stat));
    }
    if (!m_values.empty())
        ShowRange(m_values.front(), m_values.back());
    Redraw();
}

void TStatSweepChart::SetCurrentValue(int value)
{
    m_currentValue = value;
    Redraw();
}

void TStatSweepChart::SetShowAverage(bool on)
{
    m_showAverage = on;
    {
        const QSignalBlocker blocker(m_figureCombo);
        m_figureCombo->setCurrentIndex(on ? 1 : 0);
    }
    Redraw();
}

TStat TStatSweepChart::RequestedStat() const
{
    return AllStats[static_cast<std::size_t>(std::max(0, m_statCombo->currentIndex()))];
}

int TStatSweepChart::From() const
{
    return m_fromSpin->value();
}

int TStatSweepChart::To() const
{
    return m_toSpin->value();
}

const std::vector<QLineSeries*>& TStatSweepChart::SeriesOf(std::size_t line) const
{
    return m_series.at(line);
}

void TStatSweepChart::StatChosen()
{
    // Another input starts over at its own whole range.
    ShowRange(0, StatMaximum(RequestedStat()));
    emit SweepRequested(RequestedStat(), From(), To());
}

void TStatSweepChart::RangeChanged()
{
    ShowRange(From(), To());
    emit SweepRequested(RequestedStat(), From(), To());
}

void TStatSweepChart::ShowRange(int from, int to)
{
    const QSignalBlocker fromBlocker(m_fromSpin), toBlocker(m_toSpin);
    const int maximum = StatMaximum(RequestedStat()) == StatSweepEnd ? MaximumSweepInput
                                                                     : StatMaximum(RequestedStat());
    to = std::clamp(to, 0, maximum);
    from = std::clamp(from, 0, to);
    // Each spin box stops at the other's value, so the range never turns round.
    m_fromSpin->setRange(0, to);
    m_fromSpin->setValue(from);
    m_toSpin->setRange(from, maximum);
    m_toSpin->setValue(to);
}

void TStatSweepChart::SetZoom(double zoom)
{
    if (!(zoom > 0) || zoom == m_zoom)
        return;
    m_zoom = zoom;
    QFont font = m_labelFont;
    if (font.pixelSize() > 0)
        font.setPixelSize(static_cast<int>(std::lround(font.pixelSize() * zoom)));
    else
        font.setPointSizeF(font.pointSizeF() * zoom);
    m_axisX->setLabelsFont(font);
    m_axisY->setLabelsFont(font);
}

void TStatSweepChart::Redraw()
{
    m_chart->removeAllSeries();
    m_series.assign(m_lines.size(), {});
    m_currentSeries = nullptr;

    QStringList entries;
    for (const TSweepLine& line : m_lines)
        // Breaks only between entries, never inside a label.
        entries.append(QStringLiteral("<span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                           .arg(line.Colour.name(),
                                line.Label.toHtmlEscaped().replace(' ', QStringLiteral("&nbsp;"))));
    m_legend->setText(entries.join(QStringLiteral(" &nbsp; ")));

    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (std::size_t line = 0; line < m_lines.size(); ++line) {
        const std::vector<TSetupSummary>& points = m_lines[line].Points;
        const std::size_t count = std::min(points.size(), m_values.size());
        // A step per value: level from the value on, a jump where the
        // figure changes, a gap where there is none.
        std::vector<QPointF> run;
        // A plain flag beside the level rather than an optional, which GCC
        // takes for read before it is set.
        bool hasLast = false;
        double last = 0;
        std::size_t lastIndex = 0;
        const auto closeRun = [&] {
            if (hasLast && run.back().x() != m_values[lastIndex])
                run.emplace_back(m_values[lastIndex], last);
            AddRun(line, std::move(run));
            run.clear();
            hasLast = false;
        };
        for (std::size_t i = 0; i < count; ++i) {
            const std::optional<double> figure = m_showAverage
                                                     ? std::optional<double>(points[i].Average)
                                                     : points[i].DamagePerSecond;
            if (!figure || !std::isfinite(*figure)) {
                closeRun();
                continue;
            }
            const double x = m_values[i];
            if (hasLast && last != *figure)
                run.emplace_back(x, last);
            if (!hasLast || last != *figure)
                run.emplace_back(x, *figure);
            hasLast = true;
            last = *figure;
            lastIndex = i;
            low = std::min(low, *figure);
            high = std::max(high, *figure);
        }
        closeRun();
    }

    if (low > high) {
        low = 0;
        high = 1;
    }
    // Round ticks a little beyond the lines, so none runs along the frame.
    const double margin = high > low ? (high - low) * 0.05 : 1;
    const double step = TickStep(high - low + 2 * margin);
    const double bottom = std::floor((low - margin) / step) * step;
    const double top = std::ceil((high + margin) / step) * step;
    m_axisY->setRange(low >= 0 ? std::max(0.0, bottom) : bottom, top);
    m_axisY->setTickType(QValueAxis::TicksDynamic);
    m_axisY->setTickAnchor(0);
    m_axisY->setTickInterval(step);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    m_axisY->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    m_axisY->setTitleText(m_showAverage ? tr("Ave") : tr("DPS"));

    const double from = m_values.empty() ? From() : m_values.front();
    const double to = m_values.empty() ? To() : m_values.back();
    m_axisX->setRange(from, std::max(to, from + 1));
    m_axisX->setTickInterval(TickStep(to - from));
    m_axisX->setTitleText(NameOf(m_stat));

    if (m_currentValue >= from && m_currentValue <= to) {
        m_currentSeries = new QLineSeries(m_chart);
        m_currentSeries->setObjectName(QStringLiteral("CurrentValueLine"));
        m_currentSeries->setPen(QPen(TColourScheme::For(palette()).Marker, 1, Qt::DashLine));
        m_currentSeries->append(m_currentValue, m_axisY->min());
        m_currentSeries->append(m_currentValue, m_axisY->max());
        m_chart->addSeries(m_currentSeries);
        m_currentSeries->attachAxis(m_axisX);
        m_currentSeries->attachAxis(m_axisY);
    }
}

void TStatSweepChart::AddRun(std::size_t line, std::vector<QPointF> points)
{
    if (points.empty())
        return;
    const TSweepLine& sweep = m_lines[line];
    auto* series = new QLineSeries(m_chart);
    series->setName(sweep.Label);
    series->setPen(QPen(sweep.Colour, 2));
    // A lone value between two gaps has no segment to draw.
    series->setPointsVisible(points.size() == 1);
    series->append(QList<QPointF>(points.begin(), points.end()));
    m_chart->addSeries(series);
    series->attachAxis(m_axisX);
    series->attachAxis(m_axisY);
    connect(series, &QLineSeries::hovered, this,
            [this, line](QPointF point, bool entered) { ShowPoint(line, point, entered); });
    m_series[line].push_back(series);
}

void TStatSweepChart::ShowPoint(std::size_t line, QPointF point, bool entered)
{
    if (!entered || line >= m_lines.size() || m_values.empty()) {
        QToolTip::hideText();
        return;
    }
    // A level stands from its value up to the next one.
    const auto after = std::upper_bound(m_values.begin(), m_values.end(), point.x() + 1e-6,
                                        [](double x, std::int32_t value) { return x < value; });
    const auto index =
        static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, after - m_values.begin() - 1));
    const TSweepLine& sweep = m_lines[line];
    if (index >= sweep.Points.size())
        return;
    const TSetupSummary& summary = sweep.Points[index];
    QString figure;
    if (m_showAverage)
        figure = QString::fromStdString(FormatGeneral(summary.Average)) + ' ' + tr("Ave");
    else if (summary.DamagePerSecond)
        figure =
            QString::fromStdString(FormatTwoDecimals(*summary.DamagePerSecond)) + ' ' + tr("DPS");
    else
        return;
    QToolTip::showText(QCursor::pos(),
                       QStringLiteral("%1 %2: %3 (%4)")
                           .arg(NameOf(m_stat))
                           .arg(m_values[index])
                           .arg(figure, sweep.Label),
                       m_view);
}
