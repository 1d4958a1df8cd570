#include "views/WeaponSpeedGrid.h"

#include "views/CopyAction.h"
#include "weapons/NumberFormat.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

const QColor White(0xFF, 0xFF, 0xFF);
const QColor LightBlue(0xBB, 0xDD, 0xFF);
const QColor LightRed(0xFF, 0xCC, 0xAA);
const QColor Silver(0xC0, 0xC0, 0xC0);

// Grid lines stay one device pixel at any screen scale: the cells grow with
// the scale, the lines stay sharp rather than thickening or blurring.
QPen HairLine(const QColor& colour)
{
    QPen pen(colour, 1);
    pen.setCosmetic(true);
    return pen;
}
const QChar WaveDash(0x301C);

} // namespace

TWeaponSpeedGrid::TWeaponSpeedGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WeaponSpeedGrid"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    AddCopyAction(this, [this] { CopyToClipboard(); });
    Refill();
}

QString TWeaponSpeedGrid::SpeedMethod() const
{
    return QString::fromStdString(m_speed.SpeedMethod());
}

void TWeaponSpeedGrid::SetSpeedMethod(const QString& formula)
{
    m_speed.SetSpeedMethod(formula.toStdString());
    Refill();
}

void TWeaponSpeedGrid::SetWeaponSpeedData(const TWeaponSpeedData& data)
{
    m_speed.SetWeaponSpeedData(data);
    Refill();
}

void TWeaponSpeedGrid::Refill()
{
    const std::vector<TSpeedRange>& ranges = m_speed.Ranges();
    // A formula whose delay changes often needs more than the nineteen rows
    // of the design; those ranges would silently vanish, so the grid grows
    // by whole DEX/delay row pairs instead.
    int rows = MinimumRowCount;
    for (const TSpeedRange& range : ranges) {
        rows = std::max(rows, range.Row + 2);
    }
    const bool grew = rows != RowCount();
    m_rows.assign(static_cast<std::size_t>(rows), QStringList(ColumnCount, QString()));
    m_rows[0][0] = tr("DEX");
    m_rows[1][0] = tr("SPEED");
    for (const TSpeedRange& range : ranges) {
        if (range.Column < 0 || range.Column >= ColumnCount || range.Row < 0) {
            continue;
        }
        const auto row = static_cast<std::size_t>(range.Row);
        m_rows[row][range.Column] =
            range.From == range.To
                ? QString::number(range.From)
                : QString::number(range.From) + WaveDash + QString::number(range.To);
        m_rows[row + 1][range.Column] =
            QString::fromStdString(FormatGeneral(range.Delay)) + tr("sec");
    }
    if (grew) {
        updateGeometry();
    }
    update();
}

QString TWeaponSpeedGrid::CellText(int column, int row) const
{
    if (column < 0 || column >= ColumnCount || row < 0 || row >= RowCount()) {
        return {};
    }
    return m_rows[static_cast<std::size_t>(row)][column];
}

QColor TWeaponSpeedGrid::CellColor(int column, int row) const
{
    if (column < 0 || column >= ColumnCount || row < 0 || row >= RowCount()) {
        return White;
    }
    return row % 2 == 0 ? LightBlue : LightRed;
}

QString TWeaponSpeedGrid::ToTabSeparatedText() const
{
    QStringList lines;
    for (const QStringList& row : m_rows) {
        lines.append(row.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

void TWeaponSpeedGrid::CopyToClipboard() const
{
    QGuiApplication::clipboard()->setText(ToTabSeparatedText());
}

QSize TWeaponSpeedGrid::sizeHint() const
{
    return {ColumnCount * m_columnWidth, RowCount() * m_rowHeight};
}

QSize TWeaponSpeedGrid::minimumSizeHint() const
{
    return sizeHint();
}

void TWeaponSpeedGrid::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), White);
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) {
        painter.fillRect(0, row * m_rowHeight, ColumnCount * m_columnWidth, m_rowHeight,
                         CellColor(0, row));
    }

    painter.setPen(Qt::black);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            const QString& text = m_rows[static_cast<std::size_t>(row)][column];
            if (!text.isEmpty()) {
                painter.drawText(
                    QRect(column * m_columnWidth, row * m_rowHeight, m_columnWidth, m_rowHeight),
                    Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, text);
            }
        }
    }

    const int right = width() - 1;
    const int bottom = height() - 1;
    for (int i = 0; i <= rows; ++i) {
        const int y = m_rowHeight * i - 1;
        painter.setPen(HairLine(i % 2 == 0 ? QColor(Qt::black) : Silver));
        painter.drawLine(0, y, right, y);
    }
    painter.setPen(HairLine(Qt::black));
    for (int i = 1; i <= ColumnCount; ++i) {
        const int x = m_columnWidth * i - 1;
        painter.drawLine(x, 0, x, bottom);
    }
}
