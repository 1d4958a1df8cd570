#include "views/WeaponDataGrid.h"

#include "weapons/NumberFormat.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

namespace {

// The level names must fit their columns (70 pixels at zoom 1) and the text
// its row (16); a desktop font larger than the design's is stepped down until
// they do.
QFont FittingFont(QFont font, int columnWidth, int rowHeight)
{
    const QString widest[] = {QString::fromLatin1(AccuracyLevelNames[2]),
                              QString::fromLatin1(DamageLevelNames[5])};
    if (font.pointSizeF() <= 0) {
        font.setPointSizeF(QFontInfo(font).pointSizeF());
    }
    while (font.pointSizeF() > 6) {
        const QFontMetrics metrics(font);
        bool fits = metrics.height() <= rowHeight;
        for (const QString& text : widest) {
            fits = fits && metrics.horizontalAdvance(text) <= columnWidth - 4;
        }
        if (fits) {
            break;
        }
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    return font;
}

} // namespace

TWeaponDataGrid::TWeaponDataGrid(QWidget* parent)
    : TOwnerDrawnGrid(QStringLiteral("WeaponDataGrid"), parent)
{
    SetFixedTexts();
}

void TWeaponDataGrid::SetFixedTexts()
{
    for (int level = 0; level < 6; ++level) {
        const auto i = static_cast<std::size_t>(level);
        m_cells[0][static_cast<std::size_t>(level * 3 + 2)].Text =
            QString::fromLatin1(AccuracyLevelNames[i]);
        m_cells[static_cast<std::size_t>(level + 2)][0].Text =
            QString::fromLatin1(DamageLevelNames[i]);
    }
    const QString figures[3] = {tr("Ave"), tr("Low"), tr("High")};
    for (int row = 1; row < GridRowCount; ++row) {
        m_cells[1][static_cast<std::size_t>(row)].Text = figures[row % 3];
    }
}

void TWeaponDataGrid::SetDamageTable(const TDamageTable& table)
{
    for (std::size_t a = 0; a < 6; ++a) {
        for (std::size_t d = 0; d < 6; ++d) {
            for (std::size_t f = 0; f < 3; ++f) {
                const double value = table[a][d][f];
                TCell& cell = m_cells[d + 2][a * 3 + f + 1];
                cell.Text = QString::fromStdString(FormatGeneral(value));
                cell.Value = value;
            }
        }
    }
    CellsChanged();
    update();
}

QList<QPoint> TWeaponDataGrid::RowHeaderCells(int column, int row) const
{
    QList<QPoint> headers;
    if (row < 1 || row >= GridRowCount)
        return headers;
    // The level's name stands only in the middle of its three rows.
    if (column >= 1)
        headers << QPoint(0, (row - 1) / 3 * 3 + 2);
    if (column >= 2)
        headers << QPoint(1, row);
    return headers;
}

QList<QPoint> TWeaponDataGrid::ColumnHeaderCells(int column, int row) const
{
    if (column < 2 || column >= ColumnCount || row < 1)
        return {};
    return {QPoint(column, 0)};
}

void TWeaponDataGrid::SetHQDamgeLow(double value)
{
    m_hqLow = value;
    update();
}

void TWeaponDataGrid::SetHQDamgeHigh(double value)
{
    m_hqHigh = value;
    update();
}

void TWeaponDataGrid::SetHQDamgeAve(double value)
{
    m_hqAve = value;
    update();
}

QString TWeaponDataGrid::CellText(int column, int row) const
{
    if (column < 0 || column >= ColumnCount || row < 0 || row >= GridRowCount) {
        return {};
    }
    return m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)].Text;
}

QColor TWeaponDataGrid::CellColor(int column, int row) const
{
    const TColourScheme& scheme = Scheme();
    if (column < 0 || column >= ColumnCount || row < 0 || row >= GridRowCount) {
        return scheme.Ground;
    }
    if (column == 0) {
        return row == 0 ? scheme.Ground
                        : scheme.AccuracyHeads[static_cast<std::size_t>((row - 1) / 3)];
    }
    if (row == 0) {
        return column < 2 ? scheme.Ground
                          : scheme.DamageHeads[static_cast<std::size_t>(column - 2)];
    }
    if (column == 1) {
        return scheme.Ground;
    }
    const TCell& cell = m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    if (!cell.Value) {
        return scheme.Ground;
    }
    const double hq = row % 3 == 1 ? m_hqLow : row % 3 == 2 ? m_hqHigh : m_hqAve;
    // Exact on purpose: "same as HQ" means the very same figure.
    if (*cell.Value < hq) {
        return scheme.Below;
    }
    if (*cell.Value > hq) {
        return scheme.Above;
    }
    return scheme.Ground;
}

void TWeaponDataGrid::FitColumns()
{
    // Compared with the design width, not the current one, so columns grow
    // with the page but never fall back below what a wide page gave them
    // while the page stays narrower than eight design columns.
    const int w = width() / ColumnCount;
    if (w > Scaled(DesignColumnWidth) && w != m_columnWidth) {
        m_columnWidth = w;
        updateGeometry();
        update();
    }
}

void TWeaponDataGrid::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const TColourScheme& scheme = Scheme();
    if (m_fitting.Base != font() || m_fitting.ColumnWidth != m_columnWidth ||
        m_fitting.RowHeight != m_rowHeight) {
        m_fitting = {font(), m_columnWidth, m_rowHeight,
                     FittingFont(font(), m_columnWidth, m_rowHeight)};
    }
    painter.setFont(m_fitting.Fitting);
    FillCells(painter);

    const int right = width() - 1;
    for (int i = 1; i <= GridRowCount; ++i) {
        const int y = m_rowHeight * i - 1;
        // Black lines separate the accuracy levels; silver ones their figures,
        // leaving the level name in column 0 as one block.
        if (i % 3 == 1) {
            DrawHairLine(painter, QLine(0, y, right, y), scheme.Line);
        } else {
            DrawHairLine(painter, QLine(m_columnWidth, y, right, y), scheme.MinorLine);
        }
    }
    DrawColumnLines(painter);
    painter.setPen(scheme.Text);
    DrawTexts(painter, Scaled(2));
    DrawCurrentCell(painter);
}
