#include "views/WeaponDataGrid.h"

#include "views/CopyAction.h"
#include "weapons/NumberFormat.h"

#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr int DesignColumnWidth = 70;
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

// Column 0, one shade per accuracy level, darker downwards.
constexpr std::array<int, 6> AccuracyGreen = {0xAA, 0x99, 0x88, 0x77, 0x66, 0x55};
// Row 0, one shade per damage level; the last step is deliberately larger.
constexpr std::array<int, 6> DamageGreen = {0xAA, 0x99, 0x88, 0x77, 0x66, 0x44};

// The level names must fit their 70-pixel columns and the text its 16-pixel
// row; a desktop font larger than the design's is stepped down until they do.
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

TWeaponDataGrid::TWeaponDataGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WeaponDataGrid"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    AddCopyAction(this, [this] { CopyToClipboard(); });
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
    update();
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
    if (column < 0 || column >= ColumnCount || row < 0 || row >= GridRowCount) {
        return White;
    }
    if (column == 0) {
        return row == 0
                   ? White
                   : QColor(0x00, AccuracyGreen[static_cast<std::size_t>((row - 1) / 3)], 0xFF);
    }
    if (row == 0) {
        return column < 2 ? White
                          : QColor(0xFF, DamageGreen[static_cast<std::size_t>(column - 2)], 0x00);
    }
    if (column == 1) {
        return White;
    }
    const TCell& cell = m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    if (!cell.Value) {
        return White;
    }
    const double hq = row % 3 == 1 ? m_hqLow : row % 3 == 2 ? m_hqHigh : m_hqAve;
    // Exact on purpose: "same as HQ" means the very same figure.
    if (*cell.Value < hq) {
        return LightBlue;
    }
    if (*cell.Value > hq) {
        return LightRed;
    }
    return White;
}

void TWeaponDataGrid::FitColumns()
{
    // Compared with the design width, not the current one, so columns grow
    // with the page but never fall back below what a wide page gave them
    // while the page stays narrower than eight design columns.
    const int w = width() / ColumnCount;
    if (w > DesignColumnWidth && w != m_columnWidth) {
        m_columnWidth = w;
        updateGeometry();
        update();
    }
}

QString TWeaponDataGrid::ToTabSeparatedText() const
{
    QStringList lines;
    for (int row = 0; row < GridRowCount; ++row) {
        QStringList cells;
        for (int column = 0; column < ColumnCount; ++column) {
            cells.append(CellText(column, row));
        }
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

void TWeaponDataGrid::CopyToClipboard() const
{
    QGuiApplication::clipboard()->setText(ToTabSeparatedText());
}

QSize TWeaponDataGrid::sizeHint() const
{
    return {ColumnCount * m_columnWidth, GridRowCount * m_rowHeight};
}

QSize TWeaponDataGrid::minimumSizeHint() const
{
    // The whole grid: an owner smaller than this puts the grid in a scroll area.
    return sizeHint();
}

void TWeaponDataGrid::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setFont(FittingFont(font(), m_columnWidth, m_rowHeight));
    painter.fillRect(rect(), White);
    for (int column = 0; column < ColumnCount; ++column) {
        for (int row = 0; row < GridRowCount; ++row) {
            painter.fillRect(column * m_columnWidth, row * m_rowHeight, m_columnWidth, m_rowHeight,
                             CellColor(column, row));
        }
    }

    const int right = width() - 1;
    const int bottom = height() - 1;
    for (int i = 1; i <= GridRowCount; ++i) {
        const int y = m_rowHeight * i - 1;
        // Black lines separate the accuracy levels; silver ones their figures,
        // leaving the level name in column 0 as one block.
        if (i % 3 == 1) {
            painter.setPen(HairLine(Qt::black));
            painter.drawLine(0, y, right, y);
        } else {
            painter.setPen(HairLine(Silver));
            painter.drawLine(m_columnWidth, y, right, y);
        }
    }
    painter.setPen(HairLine(Qt::black));
    for (int i = 1; i <= ColumnCount; ++i) {
        const int x = m_columnWidth * i - 1;
        painter.drawLine(x, 0, x, bottom);
    }

    for (int column = 0; column < ColumnCount; ++column) {
        for (int row = 0; row < GridRowCount; ++row) {
            const QString& text =
                m_cells[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)].Text;
            if (!text.isEmpty()) {
                painter.drawText(QRect(column * m_columnWidth, row * m_rowHeight + 2, m_columnWidth,
                                       m_rowHeight - 2),
                                 Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, text);
            }
        }
    }
}
