#include "views/WeaponRaderChart.h"

#include "views/CopyAction.h"
#include "weapons/RaderGeometry.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPolygon>

#include <cmath>
#include <vector>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QColor LightBlue(187, 221, 255);

// Fills the white region 4-connected to the seed. An explicit stack, since a
// large region would overflow the call stack of a recursive fill.
void FloodFill(QImage& image, QPoint seed, QRgb colour)
{
    const QRect bounds = image.rect();
    if (!bounds.contains(seed) || image.pixel(seed) != White)
        return;
    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        if (!bounds.contains(p))
            continue;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(p.y()));
        if (line[p.x()] != White)
            continue;
        line[p.x()] = colour;
        stack.push_back({p.x() + 1, p.y()});
        stack.push_back({p.x() - 1, p.y()});
        stack.push_back({p.x(), p.y() + 1});
        stack.push_back({p.x(), p.y() - 1});
    }
}

QPoint ToQt(TRaderPoint p)
{
    return {p.X, p.Y};
}

// Text on a white ground with its top-left corner at the given point.
void DrawCaption(QPainter& painter, QPoint topLeft, const QString& text)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect box(topLeft, QSize(metrics.horizontalAdvance(text), metrics.height()));
    painter.fillRect(box, Qt::white);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

TWeaponRaderChart::TWeaponRaderChart(QWidget* parent) : QWidget(parent)
{
    setObjectName("WeaponRaderChart");
    setMinimumSize(300, 300);
    resize(300, 300);
    m_factors = ComputeRaderFactors(m_data);
    AddCopyAction(this, [this] { CopyToClipboard(); });
}

void TWeaponRaderChart::SetRaderChartData(const TRaderChartData& data)
{
    m_data = data;
    m_factors = ComputeRaderFactors(m_data);
    update();
}

QImage TWeaponRaderChart::RenderPicture(qreal devicePixelRatio) const
{
    const int w = width();
    const int h = height();
    QImage image(QSize(std::lround(w * devicePixelRatio), std::lround(h * devicePixelRatio)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(White);

    QPainter painter(&image);
    // Hard pixel outlines: the flood fill must not leak through blended edges.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());
    const QColor textColour = palette().color(QPalette::WindowText);
    const QFontMetrics metrics = painter.fontMetrics();
    const TRaderGeometry g = ComputeRaderGeometry(w, h, metrics.height(), m_factors);

    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygon({ToQt(g.T), ToQt(g.L), ToQt(g.R)}));

    painter.setPen(textColour);
    DrawCaption(painter, ToQt(g.SpeedLabel), "Speed");
    const QString damage = "Damage";
    DrawCaption(painter, {g.DamageLabelRight - metrics.horizontalAdvance(damage), g.DamageLabelTop},
                damage);

    painter.setPen(QColor(0, 0, 255));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygon({ToQt(g.P[0]), ToQt(g.P[1]), ToQt(g.P[2]), ToQt(g.P[3])}));

    painter.end();
    const QPoint seed(std::lround(g.C.X * devicePixelRatio), std::lround(g.C.Y * devicePixelRatio));
    FloodFill(image, seed, LightBlue.rgb());
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());

    painter.setPen(Qt::black);
    for (const TRaderPoint corner : {g.T, g.L, g.R})
        painter.drawLine(ToQt(corner), ToQt(g.C));

    painter.setPen(textColour);
    DrawCaption(painter, ToQt(g.OverallLabel),
                QString("総合力：%1").arg(OverallPercent(m_factors)));

    DrawCaption(painter, {8, 5}, "爆発力");
    DrawCaption(painter, {8, h - 5 - metrics.height()}, "安定力");

    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    // A 1-pixel outline of QRect(x, y, w, h) covers x..x+w, so these run through
    // the frame's corners inclusive.
    painter.drawRect(
        QRect(g.GaugeLeft, g.GaugeTop, g.GaugeRight - g.GaugeLeft, g.GaugeBottom - g.GaugeTop));
    painter.setBrush(QColor(255, 0, 0));
    painter.drawRect(
        QRect(g.GaugeLeft, g.BarTop, g.GaugeRight - g.GaugeLeft, g.GaugeBottom - g.BarTop));
    return image;
}

void TWeaponRaderChart::CopyToClipboard() const
{
    QGuiApplication::clipboard()->setImage(RenderPicture(devicePixelRatioF()));
}

void TWeaponRaderChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), RenderPicture(devicePixelRatioF()));
}
