#include "views/WeaponDamageSpreadChart.h"

#include "views/ColourScheme.h"
#include "views/CopyAction.h"
#include "weapons/NumberFormat.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QEvent>
#include <QGraphicsLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStackedWidget>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr int ZoomAnimationMs = 500;
constexpr int MinDragPixels = 4;

QFont GothicFont(int pixelSize)
{
    QFont font;
    font.setFamilies({"ＭＳ ゴシック", "MS Gothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP",
                      "IPAGothic", "VL Gothic"});
    font.setPixelSize(pixelSize);
    return font;
}

// The value axis keeps a tick every 1 % in the standard view; zoomed in, the
// step shrinks to a round figure so that the ticks stay readable, and never
// below 0.001 so the labels need at most three decimals.
double TickInterval(double span)
{
    static const std::array<double, 19> Steps = {0.001, 0.002, 0.005, 0.01, 0.02, 0.025, 0.05,
                                                 0.1,   0.2,   0.25,  0.5,  1,    2,     5,
                                                 10,    20,    25,    50,   100};
    for (const double step : Steps) {
        if (span / step <= 15.0 + 1e-9)
            return step;
    }
    return Steps.back();
}

// "#,##0.###%": up to three decimals, trailing zeros dropped.
QString PercentLabel(double value)
{
    QString text = QString::number(std::abs(value) < 5e-4 ? 0.0 : value, 'f', 3);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text + '%';
}

// Every how many damage values a label fits, given the pixels per value and
// the pixels a label needs.
int LabelStep(double pixelsPerValue, double needed)
{
    for (const int step : {1, 2, 5, 10, 20, 30}) {
        if (pixelsPerValue * step >= needed)
            return step;
    }
    return TDamageSpread::BarCount;
}

void ClearCategories(QCategoryAxis* axis)
{
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
}

// A drag scrolls a few pixels per mouse move, each move restarting the axis
// animation while the damage labels are rewritten under it, which the chart
// does not survive; a drag needs no animation anyway.
void ScrollAtOnce(QChart* chart, qreal dx, qreal dy)
{
    const QChart::AnimationOptions animations = chart->animationOptions();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->scroll(dx, dy);
    chart->setAnimationOptions(animations);
}

using TRange = QPair<double, double>;

// The outline along the tops of an overlay's bars, in (damage, percent), cut
// to the ranges shown. Each bar is a whole damage value wide so that
// neighbours join into one line; a run of bars rises from the floor and
// falls back to it, and empty values draw nothing.
std::vector<QLineF> StepOutline(const std::array<double, TDamageSpread::BarCount>& bars,
                                TRange damages, TRange values)
{
    std::vector<QLineF> lines;
    const auto vertical = [&](double x, double from, double to) {
        if (x < damages.first || x > damages.second)
            return;
        const double low = std::max(std::min(from, to), values.first);
        const double high = std::min(std::max(from, to), values.second);
        if (low < high)
            lines.emplace_back(x, low, x, high);
    };
    double previous = 0;
    for (int damage = 1; damage <= TDamageSpread::BarCount; ++damage) {
        // Also turns NaN into an empty value.
        const double value = std::max(0.0, bars[damage - 1]);
        vertical(damage - 0.5, previous, value);
        const double left = std::max(damage - 0.5, damages.first);
        const double right = std::min(damage + 0.5, damages.second);
        if (value > 0 && value >= values.first && value <= values.second && left < right)
            lines.emplace_back(left, value, right, value);
        previous = value;
    }
    vertical(TDamageSpread::BarCount + 0.5, previous, 0);
    return lines;
}

// A bar takes the selection colour when its value is above 0; the rest take
// the plot's ground, as the empty damage values are drawn. The border, of the
// ground's colour too, keeps neighbouring bars apart.
void ColourBars(QBarSet* bars, const TColourScheme& scheme)
{
    bars->setColor(scheme.Ground);
    bars->setSelectedColor(scheme.Bar);
    bars->setBorderColor(scheme.Ground);
}

QPen OverlayPen(const QColor& colour)
{
    return QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

// How much of the chart's ink a legend box would cover.
double Covered(const std::vector<QRectF>& ink, const QRect& box)
{
    double area = 0;
    for (const QRectF& rect : ink) {
        const QRectF common = rect.intersected(box);
        area += common.width() * common.height();
    }
    return area;
}

// A drawn line as the box the legend must not hide.
QRectF InkOf(QPointF from, QPointF to)
{
    return QRectF(from, to).normalized().adjusted(-1, -1, 1, 1);
}

} // namespace

// The flat chart's view: left-drag zooms into the dragged rectangle,
// right-drag pans, left double-click asks the owner for the standard view.
class TSpreadChartView : public QChartView
{
public:
    TSpreadChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent)
    {
        setRenderHint(QPainter::Antialiasing, false);
        setFrameShape(QFrame::NoFrame);
        m_rubberBand = new QRubberBand(QRubberBand::Rectangle, viewport());
        m_rubberBand->hide();
    }

    std::function<void()> OnReset;
    // A right click that dragged nothing asks for the context menu.
    std::function<void(QPoint)> OnMenu;
    // Draws over the chart in the viewport's pixels.
    std::function<void(QPainter&)> OnDrawForeground;

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override
    {
        QChartView::drawForeground(painter, rect);
        if (OnDrawForeground) {
            painter->save();
            painter->resetTransform();
            OnDrawForeground(*painter);
            painter->restore();
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        m_origin = event->position().toPoint();
        m_last = m_origin;
        if (event->button() == Qt::LeftButton) {
            m_mode = Mode::Zoom;
            m_rubberBand->setGeometry(QRect(m_origin, QSize()));
            m_rubberBand->show();
        } else if (event->button() == Qt::RightButton) {
            m_mode = Mode::Pan;
        }
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint pos = event->position().toPoint();
        if (m_mode == Mode::Zoom) {
            m_rubberBand->setGeometry(QRect(m_origin, pos).normalized());
        } else if (m_mode == Mode::Pan) {
            const QPoint delta = pos - m_last;
            // The content follows the mouse: dragging right shows lower damage values.
            ScrollAtOnce(chart(), -delta.x(), delta.y());
            m_last = pos;
        }
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const QPoint pos = event->position().toPoint();
        if (m_mode == Mode::Zoom && event->button() == Qt::LeftButton) {
            m_rubberBand->hide();
            const QRect dragged = QRect(m_origin, pos).normalized();
            if (dragged.width() >= MinDragPixels && dragged.height() >= MinDragPixels) {
                const QRectF inScene = mapToScene(dragged).boundingRect();
                const QRectF inChart = chart()->mapFromScene(inScene).boundingRect();
                const QRectF target = inChart.intersected(chart()->plotArea());
                if (target.isValid())
                    chart()->zoomIn(target);
            }
        } else if (m_mode == Mode::Pan && event->button() == Qt::RightButton) {
            m_mode = Mode::None;
            if (OnMenu && (pos - m_origin).manhattanLength() < MinDragPixels)
                OnMenu(event->globalPosition().toPoint());
        }
        if (event->buttons() == Qt::NoButton)
            m_mode = Mode::None;
        event->accept();
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QChartView::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton && OnReset) {
            m_rubberBand->hide();
            m_mode = Mode::None;
            OnReset();
        }
    }

private:
    enum class Mode
    {
        None,
        Zoom,
        Pan
    };
    Mode m_mode = Mode::None;
    QPoint m_origin, m_last;
    QRubberBand* m_rubberBand = nullptr;
};

// The 3D picture, drawn by hand: the 60 bars as boxes in a perspective
// projection, farthest faces first. It shows the same value and damage ranges
// as the flat chart, so a zoom carries over in both directions.
class TSpreadChart3DView : public QWidget
{
public:
    static constexpr double DepthPercent = 30;
    static constexpr double RotationDegrees = 337;
    static constexpr double ElevationDegrees = 350;

    explicit TSpreadChart3DView(TWeaponDamageSpreadChart* owner) : QWidget(owner), m_owner(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_rubberBand = new QRubberBand(QRubberBand::Rectangle, this);
        m_rubberBand->hide();
    }

    std::function<void()> OnReset;
    std::function<void(QPoint)> OnMenu;

    // The overlays' legend in this widget's pixels.
    TOverlayLegend Legend() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct TVec
    {
        double X, Y, Z;
    };
    struct TProjection
    {
        QRectF Plot;
        double Width = 1, Height = 1, Depth = 1;
        double CosR = 1, SinR = 0, CosE = 1, SinE = 0, Distance = 1;
        double Scale = 1, OffsetX = 0, OffsetY = 0;

        TVec Rotate(TVec p) const
        {
            const TVec c{p.X - Width / 2, p.Y - Height / 2, p.Z - Depth / 2};
            const double x = c.X * CosR + c.Z * SinR;
            const double z = -c.X * SinR + c.Z * CosR;
            return {x, c.Y * CosE + z * SinE, -c.Y * SinE + z * CosE};
        }
        QPointF Raw(TVec p) const
        {
            const TVec r = Rotate(p);
            const double s = Distance / (Distance + r.Z);
            return {r.X * s, r.Y * s};
        }
        QPointF Map(TVec p) const
        {
            const QPointF raw = Raw(p);
            return {OffsetX + raw.x() * Scale, OffsetY - raw.y() * Scale};
        }
    };

    TProjection Projection() const;
    // The front plane of the plot on screen, for mapping mouse drags.
    QRectF FrontRect(const TProjection& projection) const;
    // A point at a share of the depth: the bars stand from 0.1 to 0.9, the
    // overlays are drawn on their front plane.
    QPointF PlanePoint(const TProjection& p, double damage, double value, double depth) const;
    TOverlayLegend Legend(const TProjection& p) const;

    TWeaponDamageSpreadChart* m_owner;
    QRubberBand* m_rubberBand;
    QPoint m_origin, m_last;
    Qt::MouseButton m_dragButton = Qt::NoButton;
};

TSpreadChart3DView::TProjection TSpreadChart3DView::Projection() const
{
    const QFontMetrics metrics(font());
    TProjection p;
    p.Plot = QRectF(rect()).adjusted(metrics.horizontalAdvance("15.000%") + 8, 4, -4,
                                     -(metrics.height() + 6));
    p.Width = std::max(1.0, p.Plot.width());
    p.Height = std::max(1.0, p.Plot.height());
    p.Depth = std::min(p.Width, p.Height) * DepthPercent / 100;
    // Turned left by 23 degrees and tilted 10 degrees down: the back wall
    // shows up and to the right of the front, the bars' tops and right sides.
    const double rotation = (360 - RotationDegrees) * M_PI / 180;
    const double elevation = (360 - ElevationDegrees) * M_PI / 180;
    p.CosR = std::cos(rotation);
    p.SinR = std::sin(rotation);
    p.CosE = std::cos(elevation);
    p.SinE = std::sin(elevation);
    p.Distance = 2.5 * std::max(p.Width, p.Height);

    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const double x : {0.0, p.Width})
        for (const double y : {0.0, p.Height})
            for (const double z : {0.0, p.Depth}) {
                const QPointF q = p.Raw({x, y, z});
                minX = std::min(minX, q.x());
                maxX = std::max(maxX, q.x());
                minY = std::min(minY, q.y());
                maxY = std::max(maxY, q.y());
            }
    p.Scale = std::min(p.Plot.width() / std::max(1e-9, maxX - minX),
                       p.Plot.height() / std::max(1e-9, maxY - minY));
    p.OffsetX = p.Plot.left() - minX * p.Scale;
    p.OffsetY = p.Plot.bottom() + minY * p.Scale;
    return p;
}

QRectF TSpreadChart3DView::FrontRect(const TProjection& p) const
{
    return QRectF(p.Map({0, p.Height, 0}), p.Map({p.Width, 0, 0})).normalized();
}

QPointF TSpreadChart3DView::PlanePoint(const TProjection& p, double damage, double value,
                                       double depth) const
{
    const auto [valueMin, valueMax] = m_owner->ValueAxisRange();
    const auto [damageMin, damageMax] = m_owner->DamageAxisRange();
    const double x = (damage - damageMin) / std::max(1e-9, damageMax - damageMin) * p.Width;
    const double y =
        std::clamp((value - valueMin) / std::max(1e-9, valueMax - valueMin), 0.0, 1.0) * p.Height;
    return p.Map({x, y, depth * p.Depth});
}

TOverlayLegend TSpreadChart3DView::Legend() const
{
    return Legend(Projection());
}

TOverlayLegend TSpreadChart3DView::Legend(const TProjection& p) const
{
    const QList<TChartOverlay>& overlays = m_owner->Overlays();
    TOverlayLegend legend =
        LayOutOverlayLegend(overlays, font(), static_cast<int>(p.Plot.width() * 2 / 5));
    if (legend.IsEmpty())
        return legend;
    const TRange values = m_owner->ValueAxisRange();
    const TRange damages = m_owner->DamageAxisRange();
    // The bars' boxes from front to back, and the overlays' lines.
    std::vector<QRectF> ink;
    const auto& bars = m_owner->Spread().Bars();
    for (int damage = 1; damage <= TDamageSpread::BarCount; ++damage) {
        const double value = bars[damage - 1];
        const double left = std::max(damage - 0.35, damages.first);
        const double right = std::min(damage + 0.35, damages.second);
        if (value <= 0 || value <= values.first || left >= right)
            continue;
        const double floor = std::max(0.0, values.first);
        ink.push_back(
            QRectF(PlanePoint(p, left, value, 0.1), PlanePoint(p, right, floor, 0.1))
                .normalized()
                .united(QRectF(PlanePoint(p, left, value, 0.9), PlanePoint(p, right, floor, 0.9))
                            .normalized()));
    }
    for (const TChartOverlay& overlay : overlays)
        for (const QLineF& line : StepOutline(overlay.Bars, damages, values))
            ink.push_back(InkOf(PlanePoint(p, line.x1(), line.y1(), 0.1),
                                PlanePoint(p, line.x2(), line.y2(), 0.1)));
    PlaceOverlayLegend(legend, p.Plot.toAlignedRect(),
                       [&](const QRect& box) { return Covered(ink, box); });
    return legend;
}

void TSpreadChart3DView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const TColourScheme& scheme = TColourScheme::For(palette());
    painter.fillRect(rect(), scheme.Surround);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const TProjection p = Projection();
    const auto [valueMin, valueMax] = m_owner->ValueAxisRange();
    const auto [damageMin, damageMax] = m_owner->DamageAxisRange();
    const double valueSpan = std::max(1e-9, valueMax - valueMin);
    const double damageSpan = std::max(1e-9, damageMax - damageMin);
    auto toX = [&](double damage) { return (damage - damageMin) / damageSpan * p.Width; };
    auto toY = [&](double value) {
        return std::clamp((value - valueMin) / valueSpan, 0.0, 1.0) * p.Height;
    };
    auto polygon = [&](std::initializer_list<TVec> corners) {
        QPolygonF poly;
        for (const TVec& c : corners)
            poly << p.Map(c);
        return poly;
    };

    painter.setPen(scheme.Line);
    painter.setBrush(scheme.Ground);
    const double w = p.Width, h = p.Height, d = p.Depth;
    painter.drawPolygon(polygon({{0, 0, d}, {w, 0, d}, {w, h, d}, {0, h, d}}));
    painter.drawPolygon(polygon({{0, 0, 0}, {0, 0, d}, {0, h, d}, {0, h, 0}}));
    painter.drawPolygon(polygon({{0, 0, 0}, {w, 0, 0}, {w, 0, d}, {0, 0, d}}));

    const double interval = TickInterval(valueSpan);
    const QFontMetrics metrics(font());
    for (double tick = std::ceil(valueMin / interval - 1e-9) * interval; tick <= valueMax + 1e-9;
         tick += interval) {
        const double y = toY(tick);
        painter.setPen(QPen(scheme.MinorLine, 0));
        painter.drawPolyline(polygon({{0, y, 0}, {0, y, d}, {w, y, d}}));
        painter.setPen(scheme.Text);
        const QString label = PercentLabel(tick);
        const QPointF at = p.Map({0, y, 0});
        painter.drawText(
            QRectF(at.x() - 200 - 6, at.y() - metrics.height() / 2.0, 200, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, label);
    }

    const double frontWidth = p.Map({w, 0, 0}).x() - p.Map({0, 0, 0}).x();
    const int step = LabelStep(frontWidth / damageSpan, metrics.horizontalAdvance("60") + 6);
    for (int damage = step; damage <= TDamageSpread::BarCount; damage += step) {
        if (damage < damageMin || damage > damageMax)
            continue;
        const QPointF at = p.Map({toX(damage), 0, 0});
        const QString label = QString::number(damage);
        const double half = metrics.horizontalAdvance(label) / 2.0;
        painter.drawText(QRectF(at.x() - half, at.y() + 3, 2 * half, metrics.height()),
                         Qt::AlignCenter, label);
    }

    struct TFace
    {
        QPolygonF Polygon;
        double Distance;
        QColor Colour;
    };
    std::vector<TFace> faces;
    const auto& bars = m_owner->Spread().Bars();
    const double barHalf = 0.35 * w / damageSpan;
    const TVec camera{0, 0, -p.Distance};
    for (int damage = 1; damage <= TDamageSpread::BarCount; ++damage) {
        const double value = bars[damage - 1];
        if (value <= 0 || value <= valueMin)
            continue;
        // Bars cut at the sides of the plot, as they are cut at its top.
        const double x0 = std::clamp(toX(damage) - barHalf, 0.0, w);
        const double x1 = std::clamp(toX(damage) + barHalf, 0.0, w);
        if (x1 - x0 < 0.5)
            continue;
        const double y0 = toY(std::max(0.0, valueMin));
        const double y1 = toY(value);
        const double z0 = 0.1 * d, z1 = 0.9 * d;
        struct TSide
        {
            std::array<TVec, 4> Corners;
            TVec Normal;
            int Shade;
        };
        const std::array<TSide, 6> sides = {{
            {{{{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}}}, {0, 0, -1}, 100},
            {{{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}}, {0, 0, 1}, 100},
            {{{{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}}}, {0, 1, 0}, 80},
            {{{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}}, {0, -1, 0}, 100},
            {{{{x0, y0, z0}, {x0, y1, z0}, {x0, y1, z1}, {x0, y0, z1}}}, {-1, 0, 0}, 130},
            {{{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}}, {1, 0, 0}, 130},
        }};
        for (const TSide& side : sides) {
            TVec centre{0, 0, 0};
            for (const TVec& c : side.Corners) {
                centre.X += c.X / 4;
                centre.Y += c.Y / 4;
                centre.Z += c.Z / 4;
            }
            const TVec rc = p.Rotate(centre);
            const TVec origin = p.Rotate({w / 2, h / 2, d / 2});
            const TVec tip =
                p.Rotate({w / 2 + side.Normal.X, h / 2 + side.Normal.Y, d / 2 + side.Normal.Z});
            const TVec n{tip.X - origin.X, tip.Y - origin.Y, tip.Z - origin.Z};
            const TVec view{rc.X - camera.X, rc.Y - camera.Y, rc.Z - camera.Z};
            if (n.X * view.X + n.Y * view.Y + n.Z * view.Z >= 0)
                continue;
            QPolygonF poly;
            for (const TVec& c : side.Corners)
                poly << p.Map(c);
            const double distance = std::sqrt(view.X * view.X + view.Y * view.Y + view.Z * view.Z);
            faces.push_back({poly, distance, scheme.Bar.darker(side.Shade)});
        }
    }
    std::sort(faces.begin(), faces.end(),
              [](const TFace& a, const TFace& b) { return a.Distance > b.Distance; });
    painter.setPen(QPen(scheme.BarEdge, 0));
    for (const TFace& face : faces) {
        painter.setBrush(face.Colour);
        painter.drawPolygon(face.Polygon);
    }

    // On the bars' front plane, which nothing of the bars stands in front of.
    const TRange values{valueMin, valueMax};
    const TRange damages{damageMin, damageMax};
    for (const TChartOverlay& overlay : m_owner->Overlays()) {
        painter.setPen(OverlayPen(overlay.Colour));
        for (const QLineF& line : StepOutline(overlay.Bars, damages, values))
            painter.drawLine(PlanePoint(p, line.x1(), line.y1(), 0.1),
                             PlanePoint(p, line.x2(), line.y2(), 0.1));
    }
    DrawOverlayLegend(painter, Legend(p), font(), scheme);
}

void TSpreadChart3DView::mousePressEvent(QMouseEvent* event)
{
    m_origin = m_last = event->position().toPoint();
    m_dragButton = event->button();
    if (m_dragButton == Qt::LeftButton) {
        m_rubberBand->setGeometry(QRect(m_origin, QSize()));
        m_rubberBand->show();
    }
}

void TSpreadChart3DView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragButton == Qt::LeftButton) {
        m_rubberBand->setGeometry(QRect(m_origin, pos).normalized());
    } else if (m_dragButton == Qt::RightButton) {
        // The front plane stands for the flat chart's plot area, so a drag
        // moves the same share of the range there.
        const QRectF front = FrontRect(Projection());
        const QRectF plot = m_owner->Chart()->plotArea();
        if (front.width() > 0 && front.height() > 0) {
            const QPoint delta = pos - m_last;
            ScrollAtOnce(m_owner->Chart(), -delta.x() * plot.width() / front.width(),
                         delta.y() * plot.height() / front.height());
        }
        m_last = pos;
        update();
    }
}

void TSpreadChart3DView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragButton == Qt::LeftButton && event->button() == Qt::LeftButton) {
        m_rubberBand->hide();
        const QRectF dragged = QRectF(QRect(m_origin, event->position().toPoint()).normalized());
        const QRectF front = FrontRect(Projection());
        const QRectF plot = m_owner->Chart()->plotArea();
        const QRectF target = dragged.intersected(front);
        if (dragged.width() >= MinDragPixels && dragged.height() >= MinDragPixels &&
            target.isValid() && front.width() > 0 && front.height() > 0) {
            const double sx = plot.width() / front.width();
            const double sy = plot.height() / front.height();
            m_owner->Chart()->zoomIn(QRectF(plot.left() + (target.left() - front.left()) * sx,
                                            plot.top() + (target.top() - front.top()) * sy,
                                            target.width() * sx, target.height() * sy));
            update();
        }
    } else if (m_dragButton == Qt::RightButton && event->button() == Qt::RightButton && OnMenu &&
               (event->position().toPoint() - m_origin).manhattanLength() < MinDragPixels) {
        m_dragButton = Qt::NoButton;
        OnMenu(event->globalPosition().toPoint());
    }
    m_dragButton = Qt::NoButton;
}

void TSpreadChart3DView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && OnReset)
        OnReset();
}

TWeaponDamageSpreadChart::TWeaponDamageSpreadChart(QWidget* parent) : QWidget(parent)
{
    setObjectName("WeaponDamageSpreadChart");
    setAccessibleName(tr("Damage spread"));

    m_title = new QLabel(tr("ダメージ分布図"), this);
    m_title->setObjectName("SpreadChartTitle");
    m_title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_barSet = new QBarSet(QString());
    ColourBars(m_barSet, TColourScheme::For(palette()));
    for (int k = 0; k < TDamageSpread::BarCount; ++k)
        m_barSet->append(0.0);
    auto* series = new QBarSeries;
    series->append(m_barSet);
    series->setBarWidth(0.7);
    series->setLabelsVisible(false);

    m_chart = new QChart;
    m_chart->addSeries(series);
    m_chart->legend()->hide();
    m_chart->setBackgroundRoundness(0);
    m_chart->setBackgroundPen(Qt::NoPen);
    m_chart->setPlotAreaBackgroundVisible(true);
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setAnimationDuration(ZoomAnimationMs);

    // Both axes are category axes over real values, so the chart can zoom
    // and scroll them while the labels are written here: the value axis as
    // per cent with up to three decimals, the damage axis with the values
    // that fit side by side.
    m_categoryAxis = new QCategoryAxis;
    m_valueAxis = new QCategoryAxis;
    for (QCategoryAxis* axis : {m_categoryAxis, m_valueAxis}) {
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        axis->setTruncateLabels(false);
        axis->setMinorTickCount(0);
    }
    m_categoryAxis->setGridLineVisible(false);
    m_chart->addAxis(m_categoryAxis, Qt::AlignBottom);
    m_chart->addAxis(m_valueAxis, Qt::AlignLeft);
    series->attachAxis(m_categoryAxis);
    series->attachAxis(m_valueAxis);
    connect(m_valueAxis, &QValueAxis::rangeChanged, this, [this] { UpdateValueLabels(); });
    connect(m_categoryAxis, &QValueAxis::rangeChanged, this, [this] { UpdateDamageLabels(); });
    connect(m_chart, &QChart::plotAreaChanged, this, [this] { UpdateDamageLabels(); });

    m_chartView = new TSpreadChartView(m_chart, this);
    m_chartView->setObjectName("SpreadChartView");
    m_chartView->OnReset = [this] { ResetView(); };
    m_chartView->OnMenu = [this](QPoint at) { ShowCopyMenu(this, at); };
    m_chartView->OnDrawForeground = [this](QPainter& painter) { DrawOverlays2D(painter); };
    m_view3DWidget = new TSpreadChart3DView(this);
    m_view3DWidget->setObjectName("SpreadChart3DView");
    m_view3DWidget->OnReset = [this] { ResetView(); };
    m_view3DWidget->OnMenu = [this](QPoint at) { ShowCopyMenu(this, at); };
    // The 3D picture follows the flat chart's ranges, so it redraws with them.
    for (QCategoryAxis* axis : {m_categoryAxis, m_valueAxis}) {
        connect(axis, &QValueAxis::rangeChanged, m_view3DWidget, qOverload<>(&QWidget::update));
        // The chart repaints only what its own items changed; the overlays
        // drawn over them move with every zoom and scroll.
        connect(axis, &QValueAxis::rangeChanged, this, [this] { UpdateOverlays(); });
    }
    connect(m_chart, &QChart::plotAreaChanged, this, [this] { UpdateOverlays(); });

    m_stack = new QStackedWidget(this);
    m_stack->addWidget(m_chartView);
    m_stack->addWidget(m_view3DWidget);
    ApplyScheme();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_stack, 1);
    ApplyZoom();

    ResetView();
    m_chart->setAnimationOptions(QChart::SeriesAnimations | QChart::GridAxisAnimations);
    // The right button pans, so the views open the menu themselves on a
    // right click that moved nothing.
    AddCopyAction(
        this, [this] { CopyToClipboard(); }, false);
}

TWeaponDamageSpreadChart::~TWeaponDamageSpreadChart() = default;

void TWeaponDamageSpreadChart::ApplyScheme()
{
    const TColourScheme& scheme = TColourScheme::For(palette());
    QPalette title = m_title->palette();
    title.setColor(QPalette::WindowText, scheme.Title);
    m_title->setPalette(title);

    ColourBars(m_barSet, scheme);

    m_chart->setBackgroundBrush(scheme.Surround);
    m_chart->setPlotAreaBackgroundBrush(scheme.Ground);
    m_chart->setPlotAreaBackgroundPen(QPen(scheme.Line));
    for (QCategoryAxis* axis : {m_categoryAxis, m_valueAxis}) {
        axis->setLabelsBrush(scheme.Text);
        axis->setLinePen(QPen(scheme.Line));
        axis->setGridLinePen(QPen(scheme.MinorLine));
    }
    m_chartView->setBackgroundBrush(scheme.Surround);
    m_view3DWidget->update();
    update();
}

void TWeaponDamageSpreadChart::paintEvent(QPaintEvent*)
{
    // The surround is painted rather than set as the palette's window, so
    // the palette keeps telling light from dark.
    QPainter(this).fillRect(rect(), TColourScheme::For(palette()).Surround);
}

void TWeaponDamageSpreadChart::SetZoom(double zoom)
{
    if (!(zoom > 0) || zoom == m_zoom)
        return;
    m_zoom = zoom;
    ApplyZoom();
}

int TWeaponDamageSpreadChart::Scaled(int pixels) const
{
    return static_cast<int>(std::lround(pixels * m_zoom));
}

void TWeaponDamageSpreadChart::ApplyZoom()
{
    m_title->setFont(GothicFont(Scaled(12)));
    // Room for half a label above the plot and beside its right edge.
    m_chart->setMargins(QMargins(0, Scaled(8), Scaled(10), 0));
    QFont labelFont = font();
    labelFont.setPixelSize(Scaled(11));
    for (QCategoryAxis* axis : {m_categoryAxis, m_valueAxis})
        axis->setLabelsFont(labelFont);
    m_view3DWidget->setFont(labelFont);
    layout()->setSpacing(Scaled(2));
    // The damage labels that fit side by side depend on their font.
    UpdateDamageLabels();
}

void TWeaponDamageSpreadChart::SetDiceData(std::int32_t count, std::int32_t sides,
                                           std::int32_t bonus)
{
    m_spread.SetDiceData(count, sides, bonus);
    // New data replaces the bars outright; the animations are for the zoom.
    const QChart::AnimationOptions animations = m_chart->animationOptions();
    m_chart->setAnimationOptions(QChart::NoAnimation);
    QList<int> filled;
    const auto& bars = m_spread.Bars();
    for (int k = 0; k < TDamageSpread::BarCount; ++k) {
        // Each replacement lays all 60 bars out again, whether shown or not:
        // a quarter of a weapon click's work when every bar was replaced.
        if (m_barSet->at(k) != bars[k])
            m_barSet->replace(k, bars[k]);
        if (bars[k] > 0)
            filled << k;
    }
    m_barSet->deselectAllBars();
    m_barSet->selectBars(filled);
    m_chart->setAnimationOptions(animations);
    m_view3DWidget->update();
    setAccessibleDescription(Summary());
    // The legend moves away from the new bars.
    UpdateOverlays();
}

void TWeaponDamageSpreadChart::SetOverlays(const QList<TChartOverlay>& overlays)
{
    const bool had = !m_overlays.isEmpty();
    m_overlays = overlays;
    if (had || !m_overlays.isEmpty()) {
        m_chartView->viewport()->update();
        m_view3DWidget->update();
    }
}

void TWeaponDamageSpreadChart::UpdateOverlays()
{
    if (!m_overlays.isEmpty())
        m_chartView->viewport()->update();
}

TOverlayLegend TWeaponDamageSpreadChart::OverlayLegend() const
{
    TOverlayLegend legend = m_view3D ? m_view3DWidget->Legend() : OverlayLegend2D();
    const QWidget* view =
        m_view3D ? static_cast<QWidget*>(m_view3DWidget) : m_chartView->viewport();
    legend.MoveTo(view->mapTo(this, legend.Rect.topLeft()));
    return legend;
}

QPointF TWeaponDamageSpreadChart::ToView(double damage, double value) const
{
    // Bar k sits at k - 1 on the category axis.
    const QPointF inChart = m_chart->mapToPosition(QPointF(damage - 1, value));
    return m_chartView->viewportTransform().map(m_chart->mapToScene(inChart));
}

TOverlayLegend TWeaponDamageSpreadChart::OverlayLegend2D() const
{
    const QRectF plot =
        m_chartView->viewportTransform().mapRect(m_chart->mapRectToScene(m_chart->plotArea()));
    TOverlayLegend legend = LayOutOverlayLegend(m_overlays, m_view3DWidget->font(),
                                                static_cast<int>(plot.width() * 2 / 5));
    if (legend.IsEmpty())
        return legend;
    const TRange values = ValueAxisRange();
    const TRange damages = DamageAxisRange();
    std::vector<QRectF> ink;
    const auto& bars = m_spread.Bars();
    for (int damage = 1; damage <= TDamageSpread::BarCount; ++damage) {
        const double value = bars[damage - 1];
        if (value > 0) {
            const QRectF bar(ToView(damage - 0.35, std::min(value, values.second)),
                             ToView(damage + 0.35, std::max(0.0, values.first)));
            ink.push_back(bar.normalized().intersected(plot));
        }
    }
    for (const TChartOverlay& overlay : m_overlays)
        for (const QLineF& line : StepOutline(overlay.Bars, damages, values))
            ink.push_back(InkOf(ToView(line.x1(), line.y1()), ToView(line.x2(), line.y2())));
    PlaceOverlayLegend(legend, plot.toAlignedRect(),
                       [&](const QRect& box) { return Covered(ink, box); });
    return legend;
}

void TWeaponDamageSpreadChart::DrawOverlays2D(QPainter& painter) const
{
    if (m_overlays.isEmpty())
        return;
    const QRectF plot =
        m_chartView->viewportTransform().mapRect(m_chart->mapRectToScene(m_chart->plotArea()));
    painter.save();
    painter.setClipRect(plot, Qt::IntersectClip);
    const TRange values = ValueAxisRange();
    const TRange damages = DamageAxisRange();
    for (const TChartOverlay& overlay : m_overlays) {
        painter.setPen(OverlayPen(overlay.Colour));
        for (const QLineF& line : StepOutline(overlay.Bars, damages, values))
            painter.drawLine(ToView(line.x1(), line.y1()), ToView(line.x2(), line.y2()));
    }
    painter.restore();
    DrawOverlayLegend(painter, OverlayLegend2D(), m_view3DWidget->font(),
                      TColourScheme::For(palette()));
}

QImage TWeaponDamageSpreadChart::Picture()
{
    return grab().toImage();
}

void TWeaponDamageSpreadChart::CopyToClipboard()
{
    QGuiApplication::clipboard()->setImage(Picture());
}

QString TWeaponDamageSpreadChart::Summary() const
{
    const double top = HighProbability();
    if (top <= 0)
        return {};
    QStringList damages;
    const auto& bars = m_spread.Bars();
    for (int damage = 1; damage <= TDamageSpread::BarCount; ++damage) {
        if (bars[damage - 1] == top)
            damages << QString::number(damage);
    }
    return tr("Top: %1 damage, %2 %")
        .arg(damages.join(QStringLiteral(", ")), QString::fromStdString(FormatTwoDecimals(top)));
}

double TWeaponDamageSpreadChart::HighProbability() const
{
    return m_spread.HighProbability();
}

void TWeaponDamageSpreadChart::SetView3D(bool on)
{
    m_view3D = on;
    m_stack->setCurrentWidget(on ? static_cast<QWidget*>(m_view3DWidget) : m_chartView);
}

void TWeaponDamageSpreadChart::ResetView()
{
    const QChart::AnimationOptions animations = m_chart->animationOptions();
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->zoomReset();
    m_valueAxis->setRange(StandardValueMin, StandardValueMax);
    // Bar k sits at k - 1 on the axis.
    m_categoryAxis->setRange(-0.5, TDamageSpread::BarCount - 0.5);
    m_chart->setAnimationOptions(animations);
    m_view3DWidget->update();
}

QChartView* TWeaponDamageSpreadChart::ChartView() const
{
    return m_chartView;
}

QWidget* TWeaponDamageSpreadChart::View3DWidget() const
{
    return m_view3DWidget;
}

QPair<double, double> TWeaponDamageSpreadChart::ValueAxisRange() const
{
    return {m_valueAxis->min(), m_valueAxis->max()};
}

QPair<int, int> TWeaponDamageSpreadChart::CategoryRange() const
{
    const auto [min, max] = DamageAxisRange();
    const int first = static_cast<int>(std::floor(min + 0.5));
    const int last = static_cast<int>(std::ceil(max - 0.5));
    return {std::clamp(first, 1, TDamageSpread::BarCount),
            std::clamp(last, 1, TDamageSpread::BarCount)};
}

QPair<double, double> TWeaponDamageSpreadChart::DamageAxisRange() const
{
    return {m_categoryAxis->min() + 1, m_categoryAxis->max() + 1};
}

void TWeaponDamageSpreadChart::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_title->setText(tr("ダメージ分布図"));
        setAccessibleName(tr("Damage spread"));
    } else if (event->type() == QEvent::PaletteChange) {
        ApplyScheme();
    }
    QWidget::changeEvent(event);
}

void TWeaponDamageSpreadChart::resizeEvent(QResizeEvent* event)
{
    // Margins are shares of the control, so they follow every resize.
    const int horizontal = width() * 2 / 100;
    const int vertical = height() * 5 / 100;
    layout()->setContentsMargins(horizontal, vertical, horizontal, vertical);
    QWidget::resizeEvent(event);
}

void TWeaponDamageSpreadChart::UpdateValueLabels()
{
    const double min = m_valueAxis->min();
    const double max = m_valueAxis->max();
    const double interval = TickInterval(max - min);
    ClearCategories(m_valueAxis);
    m_valueAxis->setStartValue(min);
    for (double k = std::ceil(min / interval - 1e-9); k * interval <= max + 1e-9; k += 1)
        m_valueAxis->append(PercentLabel(k * interval), k * interval);
}

void TWeaponDamageSpreadChart::UpdateDamageLabels()
{
    const double min = m_categoryAxis->min();
    const double max = m_categoryAxis->max();
    const double plotWidth = std::max(1.0, m_chart->plotArea().width());
    const double perBar = plotWidth / std::max(1e-9, max - min);
    const double needed = QFontMetrics(m_categoryAxis->labelsFont()).horizontalAdvance("60") + 6;
    const int step = LabelStep(perBar, needed);
    ClearCategories(m_categoryAxis);
    m_categoryAxis->setStartValue(min);
    for (int damage = 1; damage <= TDamageSpread::BarCount; ++damage) {
        const double at = damage - 1;
        if (damage % step == 0 && at >= min - 1e-9 && at <= max + 1e-9)
            m_categoryAxis->append(QString::number(damage), at);
    }
}
