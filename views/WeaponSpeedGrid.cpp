#include "views/WeaponSpeedGrid.h"

#include "weapons/NumberFormat.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

const QChar WaveDash(0x301C);

} // namespace

TWeaponSpeedGrid::TWeaponSpeedGrid(QWidget* parent)
    : TOwnerDrawnGrid(QStringLiteral("WeaponSpeedGrid"), parent)
{
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
    CellsChanged();
    update();
}

QList<QPoint> TWeaponSpeedGrid::RowHeaderCells(int column, int row) const
{
    if (row < 0 || row >= RowCount() || (column == 0 && row < 2))
        return {};
    return {QPoint(0, row % 2)};
}

QList<QPoint> TWeaponSpeedGrid::ColumnHeaderCells(int column, int row) const
{
    if (row % 2 == 0 || row >= RowCount() || (column == 0 && row < 2))
        return {};
    return {QPoint(column, row - 1)};
}

const TSpeedRange* TWeaponSpeedGrid::MarkedRange() const
{
    return m_speed.RangeOf(m_speed.WeaponSpeedData().DEX);
}

bool TWeaponSpeedGrid::CellBold(int column, int row) const
{
    const TSpeedRange* range = MarkedRange();
    return range != nullptr && range->Column == column &&
           (row == range->Row || row == range->Row + 1);
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
        return Scheme().Ground;
    }
    if (CellBold(column, row)) {
        return Scheme().Mark;
    }
    return row % 2 == 0 ? Scheme().Below : Scheme().Above;
}

void TWeaponSpeedGrid::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const TColourScheme& scheme = Scheme();
    FillCells(painter);
    painter.setPen(scheme.Text);
    DrawTexts(painter, 0);

    const int right = width() - 1;
    for (int i = 0; i <= RowCount(); ++i) {
        const int y = m_rowHeight * i - 1;
        DrawHairLine(painter, QLine(0, y, right, y), i % 2 == 0 ? scheme.Line : scheme.MinorLine);
    }
    DrawColumnLines(painter);
    DrawCurrentCell(painter);
}
