#pragma once

#include "weapons/WeaponSpeed.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

// The swing delay for DEX 0..200 as ranges of equal delay, flowing over
// pairs of rows (DEX range above, delay below). Owns the swing-speed
// computation; the main window hands it the formula and the weapon.
class TWeaponSpeedGrid : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString SpeedMethod READ SpeedMethod WRITE SetSpeedMethod)

public:
    static constexpr int ColumnCount = 8;
    static constexpr int MinimumRowCount = 19;

    explicit TWeaponSpeedGrid(QWidget* parent = nullptr);

    QString SpeedMethod() const;
    // A rejected formula raises the core's exception and keeps the old one.
    void SetSpeedMethod(const QString& formula);

    TWeaponSpeedData WeaponSpeedData() const { return m_speed.WeaponSpeedData(); }
    void SetWeaponSpeedData(const TWeaponSpeedData& data);

    QString CellText(int column, int row) const;
    QColor CellColor(int column, int row) const;
    int RowCount() const { return static_cast<int>(m_rows.size()); }

    int ColumnWidth() const { return m_columnWidth; }
    int RowHeight() const { return m_rowHeight; }

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
    void Refill();

    TWeaponSpeed m_speed;
    // m_rows[row][column]
    std::vector<QStringList> m_rows;
    int m_columnWidth = 70;
    int m_rowHeight = 16;
};
