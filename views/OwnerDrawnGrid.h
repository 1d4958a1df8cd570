#pragma once

#include "views/ColourScheme.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QLine>
#include <QList>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

QT_BEGIN_NAMESPACE
class QPainter;
class QTextLayout;
QT_END_NAMESPACE

// What the damage and speed tables have in common: eight columns of
// fixed-size cells painted by the widget itself, the colours of the result
// views for the grid's palette, and copying the whole table. Each table keeps its own texts,
// colouring and line rules. Screen readers see it as a table of the texts
// it draws (views/GridAccessible).
class TOwnerDrawnGrid : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double Zoom READ Zoom WRITE SetZoom)

public:
    static constexpr int ColumnCount = 8;
    // A cell's size at zoom 1.
    static constexpr int DesignColumnWidth = 70;
    static constexpr int DesignRowHeight = 16;

    // The rows that are drawn and copied.
    virtual int RowCount() const = 0;

    virtual QString CellText(int column, int row) const = 0;
    // The colour the cell is drawn with.
    virtual QColor CellColor(int column, int row) const = 0;
    // Whether the cell's text stands out in bold.
    virtual bool CellBold(int /*column*/, int /*row*/) const { return false; }

    // The cells, as QPoint(column, row), that name cell (column, row) along
    // its row and above it in its column, for screen readers; none unless
    // the grid says. A whole row is named as its last cell, a whole column
    // as its bottom cell.
    virtual QList<QPoint> RowHeaderCells(int /*column*/, int /*row*/) const { return {}; }
    virtual QList<QPoint> ColumnHeaderCells(int /*column*/, int /*row*/) const { return {}; }

    int RowHeight() const { return m_rowHeight; }

    // The window's zoom: cells grow with it, the text with the font the
    // window sets. 1 is the design's size.
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);
    QRect CellRect(int column, int row) const;

    // Where a cell's figure came from, asked for when the mouse rests on the
    // cell; an empty text leaves the grid's own tooltip. The grid draws
    // figures it is given, so the one who gives them can tell their story.
    using TCellExplainer = std::function<QString(int column, int row)>;
    void SetCellExplainer(TCellExplainer explainer) { m_explainer = std::move(explainer); }
    // The explainer's text for the cell under `position`, empty elsewhere.
    QString CellExplanation(QPoint position) const;

    // The cell the arrow keys move over, for those who read by keyboard:
    // framed while the grid has the focus; (-1, -1) before any.
    QPoint CurrentCell() const { return m_current; }
    void SetCurrentCell(QPoint cell);

    // The whole table, rows joined by "\n", cells by "\t".
    QString ToTabSeparatedText() const;
    // Puts ToTabSeparatedText on the clipboard, ready to paste into a
    // spreadsheet with its headers; Ctrl+C and the menu "Copy" call it.
    void CopyToClipboard() const;

    QSize sizeHint() const override;
    // The whole grid: an owner smaller than this puts the grid in a scroll area.
    QSize minimumSizeHint() const override;

signals:
    void CurrentCellChanged(int column, int row);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // The current cell's frame, drawn last, only while the grid has the focus.
    void DrawCurrentCell(QPainter& painter) const;

    // The light or the dark colours, as the grid's palette asks for.
    const TColourScheme& Scheme() const { return TColourScheme::For(palette()); }

    // Names the grid and gives it the Copy keys and menu.
    TOwnerDrawnGrid(const QString& objectName, QWidget* parent);

    // Tells screen readers that the cells' texts have changed.
    void CellsChanged();

    // Grid lines stay one device pixel at any screen scale: the cells grow
    // with the scale, the lines stay sharp rather than thickening or blurring.
    static QPen HairLine(const QColor& colour);
    // A hair line from left to right along a row or from top to bottom down
    // a column, both ends included.
    static void DrawHairLine(QPainter& painter, QLine line, const QColor& colour);

    // A design length in pixels at the current zoom.
    int Scaled(int pixels) const;

    // The scheme's ground behind the grid, then every cell in its CellColor.
    void FillCells(QPainter& painter) const;
    // The scheme's lines closing every column on the right, top to bottom.
    void DrawColumnLines(QPainter& painter) const;
    // Every non-empty cell's text, centred, `topInset` pixels below the top
    // of its cell, in the painter's current pen and font (made bold where
    // CellBold asks for it).
    void DrawTexts(QPainter& painter, int topInset) const;

    int m_columnWidth = DesignColumnWidth;
    int m_rowHeight = DesignRowHeight;
    double m_zoom = 1;
    TCellExplainer m_explainer;
    QPoint m_current{-1, -1};

private:
    // Shaping the texts was most of a repaint, yet a click changes figures
    // among a few hundred texts at most: each text is laid out once for the
    // font, weight, direction and device it is drawn on, and drawn as
    // QPainter::drawText would draw it, glyph for glyph.
    struct TTextCache
    {
        QFont Font;
        qreal PixelRatio = 0;
        int Dpi = 0;
        Qt::LayoutDirection Direction = Qt::LeftToRight;
        QHash<QString, std::shared_ptr<QTextLayout>> Layouts[2];
    };
    const QTextLayout& LaidOut(const QPainter& painter, const QFont& font, bool bold,
                               const QString& text) const;

    mutable TTextCache m_texts;
};
