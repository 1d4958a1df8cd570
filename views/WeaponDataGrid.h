#pragma once

#include "views/OwnerDrawnGrid.h"
#include "weapons/WeaponD.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <array>
#include <optional>

// The magic damage table: 6 accuracy levels x low/high/average down, 6 damage
// levels across, each value coloured against the exceptional-quality figure
// of the same kind. The main window hands over the table, then the HQ values.
class TWeaponDataGrid : public TOwnerDrawnGrid
{
    Q_OBJECT
    Q_PROPERTY(double HQDamgeLow READ HQDamgeLow WRITE SetHQDamgeLow)
    Q_PROPERTY(double HQDamgeHigh READ HQDamgeHigh WRITE SetHQDamgeHigh)
    Q_PROPERTY(double HQDamgeAve READ HQDamgeAve WRITE SetHQDamgeAve)

public:
    static constexpr int GridRowCount = 19;

    explicit TWeaponDataGrid(QWidget* parent = nullptr);

    void SetDamageTable(const TDamageTable& table);

    double HQDamgeLow() const { return m_hqLow; }
    void SetHQDamgeLow(double value);
    double HQDamgeHigh() const { return m_hqHigh; }
    void SetHQDamgeHigh(double value);
    double HQDamgeAve() const { return m_hqAve; }
    void SetHQDamgeAve(double value);

    QString CellText(int column, int row) const override;
    QColor CellColor(int column, int row) const override;
    // A value is named by its accuracy level and figure and by its damage level.
    QList<QPoint> RowHeaderCells(int column, int row) const override;
    QList<QPoint> ColumnHeaderCells(int column, int row) const override;

    int DefaultColumnWidth() const { return m_columnWidth; }
    // Widens the columns to an eighth of the widget's width once that
    // exceeds the design width (70 pixels at zoom 1); called by the owner
    // when the page is resized or zoomed.
    void FitColumns();

protected:
    int RowCount() const override { return GridRowCount; }
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

    // The font that fits the cells, worked out again only when the widget's
    // font or the cells' size changes: measuring it is not free.
    struct TFittingFont
    {
        QFont Base;
        int ColumnWidth = -1;
        int RowHeight = -1;
        QFont Fitting;
    };
    TFittingFont m_fitting;

    std::array<std::array<TCell, GridRowCount>, ColumnCount> m_cells;
    double m_hqLow = 0;
    double m_hqHigh = 0;
    double m_hqAve = 0;
};
