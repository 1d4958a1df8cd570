#include "views/WeaponRaderChart.h"

#include "views/ColourScheme.h"
#include "views/CopyAction.h"
#include "views/FloodFill.h"
#include "weapons/NumberFormat.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QPoint ToQt(TRaderPoint p)
{
    return {p.X, p.Y};
}

// How many pixels of any logical box of the picture are not of the ground
// colour, each box counted in four look-ups.
class TInkCount
{
public:
    TInkCount(const QImage& image, QRgb ground)
        : m_width(std::lround(image.width() / image.devicePixelRatio())),
          m_height(std::lround(image.height() / image.devicePixelRatio())),
          m_sums((m_width + 1) * (m_height + 1), 0)
    {
        const qreal ratio = image.devicePixelRatio();
        for (int y = 0; y < m_height; ++y) {
            int row = 0;
            const int py = std::min<int>(std::lround(y * ratio), image.height() - 1);
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(py));
            for (int x = 0; x < m_width; ++x) {
                row += line[std::min<int>(std::lround(x * ratio), image.width() - 1)] != ground;
                At(x + 1, y + 1) = At(x + 1, y) + row;
            }
        }
    }

    double operator()(const QRect& box) const
    {
        const QRect in = box.intersected(QRect(0, 0, m_width, m_height));
        if (in.isEmpty())
            return 0;
        const int x0 = in.left(), y0 = in.top(), x1 = in.right() + 1, y1 = in.bottom() + 1;
        return At(x1, y1) - At(x0, y1) - At(x1, y0) + At(x0, y0);
    }

private:
    int& At(int x, int y) { return m_sums[y * (m_width + 1) + x]; }
    int At(int x, int y) const { return m_sums[y * (m_width + 1) + x]; }

    int m_width, m_height;
    std::vector<int> m_sums;
};

// Text on the ground colour in its box.
void DrawCaption(QPainter& painter, const QRect& box, const QString& text, const QColor& ground)
{
    painter.fillRect(box, ground);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

TWeaponRaderChart::TWeaponRaderChart(QWidget* parent) : QWidget(parent)
{
    setObjectName("WeaponRaderChart");
    setAccessibleName(tr("Radar chart"));
    setMinimumSize(DesignSize());
    resize(DesignSize());
    m_factors = ComputeRaderFactors(m_data);
    setAccessibleDescription(Summary());
    AddCopyAction(this, [this] { CopyToClipboard(); });
}

void TWeaponRaderChart::SetZoom(double zoom)
{
    if (!(zoom > 0) || zoom == m_zoom)
        return;
    m_zoom = zoom;
    setMinimumSize(DesignSize());
    updateGeometry();
    update();
}

int TWeaponRaderChart::Scaled(int pixels) const
{
    return static_cast<int>(std::lround(pixels * m_zoom));
}

TRaderGeometry TWeaponRaderChart::Geometry(const TRaderFactors& factors,
                                           const QFontMetrics& metrics) const
{
    return ComputeRaderGeometry(width(), height(), metrics.height(), factors, m_zoom);
}

QList<TWeaponRaderChart::TCaption> TWeaponRaderChart::Captions(const TRaderGeometry& g,
                                                               const QFontMetrics& metrics) const
{
    const auto at = [&](QPoint topLeft, const QString& text) {
        // Japanese glyphs come from a fallback font taller than the
        // control's own; a box of the control's text height would clip them.
        const int tall =
            std::max(metrics.height(), metrics.size(Qt::TextSingleLine, text).height());
        QRect box(topLeft, QSize(metrics.horizontalAdvance(text), tall));
        box.moveTop(std::max(0, std::min(box.top(), height() - box.height())));
        box.moveLeft(std::max(0, std::min(box.left(), width() - box.width())));
        return TCaption{box, text};
    };
    const QString damage = tr("Damage");
    return {at(ToQt(g.SpeedLabel), tr("Speed")),
            at(ToQt(g.OverallLabel), tr("総合力：%1").arg(OverallPercent(m_factors))),
            at({g.DamageLabelRight - metrics.horizontalAdvance(damage), g.DamageLabelTop}, damage),
            at(ToQt(g.BurstLabel), tr("爆発力")), at(ToQt(g.SteadyLabel), tr("安定力"))};
}

QList<QRect> TWeaponRaderChart::CaptionRects() const
{
    // Measured on a picture, as the panel draws on one.
    const QImage picture(1, 1, QImage::Format_RGB32);
    const QFontMetrics metrics(font(), &picture);
    QList<QRect> rects;
    for (const TCaption& caption : Captions(Geometry(m_factors, metrics), metrics))
        rects << caption.Box;
    return rects;
}

void TWeaponRaderChart::SetRaderChartData(const TRaderChartData& data)
{
    m_data = data;
    m_factors = ComputeRaderFactors(m_data);
    setAccessibleDescription(Summary());
    update();
}

QString TWeaponRaderChart::Summary() const
{
    const auto text = [](double value) { return QString::fromStdString(FormatTwoDecimals(value)); };
    return tr("Speed %1, damage %2, overall %3; overall rating %4, stability %5 %")
        .arg(text(m_factors.SpeedFactor), text(m_factors.DamageFactor), text(m_factors.Overall))
        .arg(OverallPercent(m_factors))
        .arg(m_factors.Stability);
}

void TWeaponRaderChart::SetOverlays(const QList<TChartOverlay>& overlays)
{
    const bool had = !m_overlays.isEmpty();
    m_overlays = overlays;
    if (had || !m_overlays.isEmpty())
        update();
}

TOverlayLegend TWeaponRaderChart::OverlayLegend() const
{
    TOverlayLegend legend;
    Render(1.0, &legend);
    return legend;
}

QImage TWeaponRaderChart::RenderPicture(qreal devicePixelRatio) const
{
    return Render(devicePixelRatio, nullptr);
}

QImage TWeaponRaderChart::Render(qreal devicePixelRatio, TOverlayLegend* placed) const
{
    const int w = width();
    const int h = height();
    QImage image(QSize(std::lround(w * devicePixelRatio), std::lround(h * devicePixelRatio)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    const TColourScheme& scheme = TColourScheme::For(palette());
    const QRgb ground = scheme.Ground.rgb();
    image.fill(ground);

    QPainter painter(&image);
    // Hard pixel outlines: the flood fill must not leak through blended edges.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());
    const QColor textColour = palette().color(QPalette::WindowText);
    const QFontMetrics metrics = painter.fontMetrics();
    const TRaderGeometry g = Geometry(m_factors, metrics);
    const QList<TCaption> captions = Captions(g, metrics);

    painter.setPen(scheme.Line);
    painter.setBrush(scheme.Ground);
    painter.drawPolygon(QPolygon({ToQt(g.T), ToQt(g.L), ToQt(g.R)}));

    painter.setPen(textColour);
    DrawCaption(painter, captions[0].Box, captions[0].Text, scheme.Ground);
    DrawCaption(painter, captions[2].Box, captions[2].Text, scheme.Ground);

    painter.setPen(scheme.Outline);
    painter.setBrush(scheme.Ground);
    painter.drawPolygon(QPolygon({ToQt(g.P[0]), ToQt(g.P[1]), ToQt(g.P[2]), ToQt(g.P[3])}));

    painter.end();
    const QPoint seed(std::lround(g.C.X * devicePixelRatio), std::lround(g.C.Y * devicePixelRatio));
    FloodFill(image, seed, scheme.Fill.rgb(), ground);
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());

    painter.setPen(scheme.Line);
    for (const TRaderPoint corner : {g.T, g.L, g.R})
        painter.drawLine(ToQt(corner), ToQt(g.C));

    // After the fill, which their lines would otherwise bound.
    std::vector<TRaderGeometry> pins;
    for (const TChartOverlay& overlay : m_overlays) {
        pins.push_back(Geometry(overlay.Factors, metrics));
        const TRaderGeometry& pin = pins.back();
        painter.setPen(QPen(overlay.Colour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(QPolygon({ToQt(pin.P[0]), ToQt(pin.P[1]), ToQt(pin.P[2])}));
    }

    painter.setPen(textColour);
    for (const int k : {1, 3, 4})
        DrawCaption(painter, captions[k].Box, captions[k].Text, scheme.Ground);

    painter.setPen(scheme.Line);
    painter.setBrush(scheme.Ground);
    // A 1-pixel outline of QRect(x, y, w, h) covers x..x+w, so these run through
    // the frame's corners inclusive.
    painter.drawRect(
        QRect(g.GaugeLeft, g.GaugeTop, g.GaugeRight - g.GaugeLeft, g.GaugeBottom - g.GaugeTop));
    painter.setBrush(scheme.Bar);
    painter.drawRect(
        QRect(g.GaugeLeft, g.BarTop, g.GaugeRight - g.GaugeLeft, g.GaugeBottom - g.BarTop));

    // Each overlay's level as a tick beside the gauge, kept to the frame as
    // the red bar is.
    for (std::size_t k = 0; k < pins.size(); ++k) {
        const int y = std::clamp(pins[k].BarTop, g.GaugeTop, g.GaugeBottom);
        painter.setPen(QPen(m_overlays[k].Colour, Scaled(2)));
        painter.drawLine(g.GaugeRight + Scaled(3), y, g.GaugeRight + Scaled(8), y);
    }

    if (!m_overlays.isEmpty()) {
        // The spread chart's legend size, so the pins read alike on both.
        QFont small = font();
        small.setPixelSize(Scaled(11));
        TOverlayLegend legend = LayOutOverlayLegend(m_overlays, small, w * 9 / 20);
        const QRect area(g.GaugeRight + Scaled(10), 0, w - g.GaugeRight - Scaled(10), h);
        PlaceOverlayLegend(legend, area, TInkCount(image, ground));
        DrawOverlayLegend(painter, legend, small, scheme);
        if (placed)
            *placed = legend;
    }
    return image;
}

void TWeaponRaderChart::CopyToClipboard() const
{
    QGuiApplication::clipboard()->setImage(RenderPicture(devicePixelRatioF()));
}

void TWeaponRaderChart::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        setAccessibleName(tr("Radar chart"));
        setAccessibleDescription(Summary());
        update();
    }
    QWidget::changeEvent(event);
}

void TWeaponRaderChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), RenderPicture(devicePixelRatioF()));
}
