#include "views/OwnerDrawnGrid.h"

#include "views/CopyAction.h"
#include "views/GridAccessible.h"

#include <algorithm>
#include <cmath>

#include <QAccessible>
#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStringList>
#include <QTextLayout>
#include <QToolTip>
#include <QTransform>

TOwnerDrawnGrid::TOwnerDrawnGrid(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    AddCopyAction(this, [this] { CopyToClipboard(); });
    // Once, before any grid can be asked for its interface.
    static const bool accessible =
        (QAccessible::installFactory(&TOwnerDrawnGridAccessible::Factory), true);
    Q_UNUSED(accessible);
}

QRect TOwnerDrawnGrid::CellRect(int column, int row) const
{
    return {column * m_columnWidth, row * m_rowHeight, m_columnWidth, m_rowHeight};
}

void TOwnerDrawnGrid::SetZoom(double zoom)
{
    if (!(zoom > 0) || zoom == m_zoom) {
        return;
    }
    m_zoom = zoom;
    m_columnWidth = Scaled(DesignColumnWidth);
    m_rowHeight = Scaled(DesignRowHeight);
    updateGeometry();
    update();
}

int TOwnerDrawnGrid::Scaled(int pixels) const
{
    return static_cast<int>(std::lround(pixels * m_zoom));
}

QString TOwnerDrawnGrid::CellExplanation(QPoint position) const
{
    if (!m_explainer || m_columnWidth <= 0 || m_rowHeight <= 0 || position.x() < 0 ||
        position.y() < 0) {
        return {};
    }
    const int column = position.x() / m_columnWidth;
    const int row = position.y() / m_rowHeight;
    if (column >= ColumnCount || row >= RowCount()) {
        return {};
    }
    return m_explainer(column, row);
}

bool TOwnerDrawnGrid::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = CellExplanation(help->pos());
        if (!text.isEmpty()) {
            QToolTip::showText(
                help->globalPos(), text, this,
                CellRect(help->pos().x() / m_columnWidth, help->pos().y() / m_rowHeight));
            return true;
        }
    }
    return QWidget::event(event);
}

void TOwnerDrawnGrid::SetCurrentCell(QPoint cell)
{
    cell.setX(std::clamp(cell.x(), 0, ColumnCount - 1));
    cell.setY(std::clamp(cell.y(), 0, std::max(0, RowCount() - 1)));
    if (cell == m_current) {
        return;
    }
    m_current = cell;
    update();
    emit CurrentCellChanged(cell.x(), cell.y());
}

void TOwnerDrawnGrid::keyPressEvent(QKeyEvent* event)
{
    const QPoint from = m_current.x() < 0 ? QPoint(0, 0) : m_current;
    QPoint step;
    switch (event->key()) {
    case Qt::Key_Left:
        step = {-1, 0};
        break;
    case Qt::Key_Right:
        step = {1, 0};
        break;
    case Qt::Key_Up:
        step = {0, -1};
        break;
    case Qt::Key_Down:
        step = {0, 1};
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    SetCurrentCell(m_current.x() < 0 ? from : from + step);
}

void TOwnerDrawnGrid::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
    if (m_current.x() >= 0) {
        emit CurrentCellChanged(m_current.x(), m_current.y());
    }
}

void TOwnerDrawnGrid::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TOwnerDrawnGrid::DrawCurrentCell(QPainter& painter) const
{
    if (!hasFocus() || m_current.x() < 0) {
        return;
    }
    painter.save();
    painter.setBrush(Qt::NoBrush);
    QPen pen(palette().color(QPalette::Highlight));
    pen.setWidth(2);
    painter.setPen(pen);
    painter.drawRect(CellRect(m_current.x(), m_current.y()).adjusted(1, 1, -1, -1));
    painter.restore();
}

void TOwnerDrawnGrid::CellsChanged()
{
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&event);
    }
}

QString TOwnerDrawnGrid::ToTabSeparatedText() const
{
    QStringList lines;
    for (int row = 0; row < RowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < ColumnCount; ++column) {
            cells.append(CellText(column, row));
        }
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

void TOwnerDrawnGrid::CopyToClipboard() const
{
    QGuiApplication::clipboard()->setText(ToTabSeparatedText());
}

QSize TOwnerDrawnGrid::sizeHint() const
{
    return {ColumnCount * m_columnWidth, RowCount() * m_rowHeight};
}

QSize TOwnerDrawnGrid::minimumSizeHint() const
{
    return sizeHint();
}

QPen TOwnerDrawnGrid::HairLine(const QColor& colour)
{
    QPen pen(colour, 1);
    pen.setCosmetic(true);
    return pen;
}

void TOwnerDrawnGrid::DrawHairLine(QPainter& painter, QLine line, const QColor& colour)
{
    // The pen sets its pixels one at a time. Where a pixel is a device
    // pixel, an opaque line along a row or a column, drawn forwards, is
    // exactly the rectangle between its ends, filled at once (backwards, the
    // pen leaves out an end).
    const QTransform& device = painter.deviceTransform();
    if (colour.alpha() == 255 && device.type() <= QTransform::TxTranslate &&
        device.dx() == std::floor(device.dx()) && device.dy() == std::floor(device.dy()) &&
        ((line.x1() == line.x2() && line.y1() <= line.y2()) ||
         (line.y1() == line.y2() && line.x1() <= line.x2()))) {
        painter.fillRect(QRect(line.p1(), line.p2()), colour);
        return;
    }
    painter.setPen(HairLine(colour));
    painter.drawLine(line);
}

void TOwnerDrawnGrid::FillCells(QPainter& painter) const
{
    painter.fillRect(rect(), Scheme().Ground);
    for (int row = 0; row < RowCount(); ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            painter.fillRect(CellRect(column, row), CellColor(column, row));
        }
    }
}

void TOwnerDrawnGrid::DrawColumnLines(QPainter& painter) const
{
    const int bottom = height() - 1;
    const QColor colour = Scheme().Line;
    for (int i = 1; i <= ColumnCount; ++i) {
        const int x = m_columnWidth * i - 1;
        DrawHairLine(painter, QLine(x, 0, x, bottom), colour);
    }
}

const QTextLayout& TOwnerDrawnGrid::LaidOut(const QPainter& painter, const QFont& font, bool bold,
                                            const QString& text) const
{
    const QPaintDevice* device = painter.device();
    if (m_texts.Font != painter.font() || m_texts.PixelRatio != device->devicePixelRatioF() ||
        m_texts.Dpi != device->logicalDpiY() || m_texts.Direction != painter.layoutDirection()) {
        m_texts = {painter.font(),
                   device->devicePixelRatioF(),
                   device->logicalDpiY(),
                   painter.layoutDirection(),
                   {}};
    }
    auto& layouts = m_texts.Layouts[bold ? 1 : 0];
    // Figures come and go with the weapons; a long session's texts are
    // dropped now and then rather than kept for ever.
    if (layouts.size() >= 4096) {
        layouts.clear();
    }
    std::shared_ptr<QTextLayout>& layout = layouts[text];
    if (!layout) {
        // As drawText lays out a single line: left-aligned in the painter's
        // direction, on a line too wide to wrap, at the top.
        layout = std::make_shared<QTextLayout>(text, font);
        QTextOption option;
        option.setTextDirection(painter.layoutDirection());
        option.setAlignment(Qt::AlignLeft);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        QTextLine line = layout->createLine();
        line.setLineWidth(0x01000000);
        line.setPosition(QPointF(0, 0));
        layout->endLayout();
    }
    return *layout;
}

void TOwnerDrawnGrid::DrawTexts(QPainter& painter, int topInset) const
{
    const QFont regular = painter.font();
    QFont bold = regular;
    bold.setBold(true);
    painter.setFont(bold);
    bold = painter.font();
    painter.setFont(regular);
    // Line breaks, tabs, mnemonics and length variants are drawText's own
    // business.
    const auto plain = [](const QString& text) {
        return std::none_of(text.begin(), text.end(), [](QChar c) {
            return c == u'\r' || c == u'\n' || c == u'\t' || c == u'&' || c == QChar(0x9c);
        });
    };
    for (int row = 0; row < RowCount(); ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            const QString text = CellText(column, row);
            if (text.isEmpty()) {
                continue;
            }
            const bool isBold = CellBold(column, row);
            const QRect cell(column * m_columnWidth, row * m_rowHeight + topInset, m_columnWidth,
                             m_rowHeight - topInset);
            if (!plain(text)) {
                painter.setFont(isBold ? bold : regular);
                painter.drawText(cell, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, text);
                painter.setFont(regular);
                continue;
            }
            const QTextLine line =
                LaidOut(painter, isBold ? bold : regular, isBold, text).lineAt(0);
            const QRectF area(cell);
            line.draw(&painter,
                      QPointF(area.x() + (area.width() - line.horizontalAdvance()) / 2, area.y()));
        }
    }
}
