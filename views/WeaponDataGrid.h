#pragma once

#include "weapons/WeaponD.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

// The magic damage table: 6 accuracy levels x low/high/average down, 6 damage
// levels across, each value coloured against the exceptional-quality figure
// of the same kind. The main window hands over the table, then the HQ values.
class TWeaponDataGrid : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double HQDamgeLow READ HQDamgeLow WRITE SetHQDamgeLow)
    Q_PROPERTY(double HQDamgeHigh READ HQDamgeHigh WRITE SetHQDamgeHigh)
    Q_PROPERTY(double HQDamgeAve READ HQDamgeAve WRITE SetHQDamgeAve)

public:
    static constexpr int ColumnCount = 8;
    static constexpr int GridRowCount = 19;

    explicit TWeaponDataGrid(QWidget* parent = nullptr);

    void SetDamageTable(const TDamageTable& table);

    double HQDamgeLow() const { return m_hqLow; }
    void SetHQDamgeLow(double value);
    double HQDamgeHigh() const { return m_hqHigh; }
    void SetHQDamgeHigh(double value);
    double HQDamgeAve() const { return m_hqAve; }
    void SetHQDamgeAve(double value);

    QString CellText(int column, int row) const;
    // The colour the cell is drawn with.
    QColor CellColor(int column, int row) const;

    int DefaultColumnWidth() const { return m_columnWidth; }
    int RowHeight() const { return m_rowHeight; }
    // Widens the columns to an eighth of the widget's width once that
    // exceeds 70 pixels; called by the owner when the page is resized.
    void FitColumns();

    // The whole table, rows joined by "\n", cells by "\t".
    QString ToTabSeparatedText() const;
    // Puts ToTabSeparatedText on the clipboard, ready to paste into a
    // spreadsheet with its headers; Ctrl+C and the menu "Copy" call it.
    void CopyToClipboard() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct TCell
    {
        QString Text;
        // The number the core computed, kept so the colour compares it
        // exactly rather than its rounded text.
        std::optional<double> Value;
    };

    void SetFixedTexts();

    std::array<std::array<TCell, GridRowCount>, ColumnCount> m_cells;
    double m_hqLow = 0;
    double m_hqHigh = 0;
    double m_hqAve = 0;
    int m_columnWidth = 70;
    int m_rowHeight = 16;
};
