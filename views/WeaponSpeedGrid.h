#pragma once

#include "views/OwnerDrawnGrid.h"
#include "weapons/WeaponSpeed.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <vector>

// The swing delay for DEX 0..200 as ranges of equal delay, flowing over
// pairs of rows (DEX range above, delay below). Owns the swing-speed
// computation; the main window hands it the formula and the weapon.
class TWeaponSpeedGrid : public TOwnerDrawnGrid
{
    Q_OBJECT
    Q_PROPERTY(QString SpeedMethod READ SpeedMethod WRITE SetSpeedMethod)

public:
    static constexpr int MinimumRowCount = 19;

    explicit TWeaponSpeedGrid(QWidget* parent = nullptr);

    QString SpeedMethod() const;
    // A rejected formula raises the core's exception and keeps the old one.
    void SetSpeedMethod(const QString& formula);

    TWeaponSpeedData WeaponSpeedData() const { return m_speed.WeaponSpeedData(); }
    void SetWeaponSpeedData(const TWeaponSpeedData& data);

    // The delays and ranges shown, for figures the grid has no cell for.
    const TWeaponSpeed& Speed() const { return m_speed; }
    // The range holding the character's DEX, whose two cells stand out;
    // nothing when that DEX lies beyond the table.
    const TSpeedRange* MarkedRange() const;

    QString CellText(int column, int row) const override;
    QColor CellColor(int column, int row) const override;
    // The two cells of the marked range.
    bool CellBold(int column, int row) const override;
    // Each cell is named "DEX" or "SPEED" by its row, and a delay by the
    // range above it.
    QList<QPoint> RowHeaderCells(int column, int row) const override;
    QList<QPoint> ColumnHeaderCells(int column, int row) const override;
    int RowCount() const override { return static_cast<int>(m_rows.size()); }

    int ColumnWidth() const { return m_columnWidth; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Refill();

    TWeaponSpeed m_speed;
    // m_rows[row][column]
    std::vector<QStringList> m_rows;
};
