#pragma once

#include "views/WeaponFilter.h"
#include "weapons/WeaponTable.h"

#include <QCollator>
#include <QIcon>
#include <QString>
#include <QTreeWidget>

#include <array>

// The list the user picks a weapon from. Owns the weapon table read from
// WData.csv and the six type icons; the main window holds the sort column
// and asks for the selected weapon's record after each click. A filter hides
// rows without touching the selection, so the weapon picked stays picked.
class TWeaponListView : public QTreeWidget
{
    Q_OBJECT
    Q_PROPERTY(int SortColumn READ SortColumn WRITE SetSortColumn)
    Q_PROPERTY(TWeaponFilter Filter READ Filter WRITE SetFilter)

public:
    explicit TWeaponListView(QWidget* parent = nullptr);

    // Reads dataDir/WData.csv and the icons beside it, then fills the rows.
    // A table that cannot be read leaves the list empty and the EFileError
    // goes on to the caller, who shows its text.
    void LoadWeapons(const QString& dataDir);

    // Copies the selected row's weapon, the one on that row's line of the
    // table whatever its Index says; false (and `out` untouched) when no row
    // is selected.
    bool GetWeaponData(TWDataCSVTable& out) const;

    // 0 keeps the file order, column number + 1 sorts ascending (Name 1,
    // Index 2, Type 3), its negative descending. Setting re-sorts at once.
    int SortColumn() const { return m_sortColumn; }
    void SetSortColumn(int column);
    // The sort column after a click on the header section at `clickedColumnPosition`.
    static int NextSortColumn(int current, int clickedColumnPosition);

    int Count() const { return m_table.Count(); }
    const TWeaponTable& Table() const { return m_table; }

    // Hides the rows the filter does not let through; the selected weapon
    // stays selected even while its row is hidden.
    TWeaponFilter Filter() const { return m_filter; }
    void SetFilter(const TWeaponFilter& filter);
    // The rows the filter lets through.
    int ShownCount() const { return Count() - m_hiddenCount; }

    // The selected row's line in the table (1..Count()), 0 when none. A row
    // the filter hides still counts.
    int SelectedSlot() const;
    // Selects and shows the row of the weapon on table line `slot`, wherever
    // the sort put it, without emitting WeaponClicked; false when no row
    // holds that line. A weapon the filter hides is selected all the same
    // and its row appears, selected, once the filter lets it through: the
    // user's search stays as typed.
    bool SelectSlot(int slot);

    // The type icons in the order of WeaponTypeCodes, as LoadWeapons read them.
    const std::array<QIcon, 6>& TypeIcons() const { return m_icons; }

signals:
    // A row was clicked, or the keyboard moved the selection to a row.
    void WeaponClicked();
    void ColumnClicked(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LoadIcons(const QString& dataDir);
    void FillRows();
    void ApplyFilter();
    void UpdateSortIndicator();
    // The compare rule of the current sort column, without its direction.
    bool RowLess(const QTreeWidgetItem& a, const QTreeWidgetItem& b) const;

    friend class TWeaponListItem;

    TWeaponTable m_table;
    std::array<QIcon, 6> m_icons;
    int m_sortColumn = 0;
    TWeaponFilter m_filter;
    int m_hiddenCount = 0;
    QCollator m_collator;
};
