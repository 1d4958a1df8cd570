#pragma once

#include "views/WeaponFilter.h"
#include "weapons/WeaponTable.h"

#include <QCollator>
#include <QIcon>
#include <QString>
#include <QTreeWidget>

#include <array>
#include <vector>

// The list the user picks a weapon from. Owns the weapon table read from
// WData.csv and the six type icons; the main window holds the sort column
// and asks for the selected weapon's record after each click. The rows a
// filter leaves out are taken out of the tree, so a long table costs only
// the rows shown; the weapon picked stays picked while its row is out.
class TWeaponListView : public QTreeWidget
{
    Q_OBJECT
    Q_PROPERTY(int SortColumn READ SortColumn WRITE SetSortColumn)
    Q_PROPERTY(TWeaponFilter Filter READ Filter WRITE SetFilter)
    Q_PROPERTY(double Zoom READ Zoom WRITE SetZoom)

public:
    explicit TWeaponListView(QWidget* parent = nullptr);
    ~TWeaponListView() override;

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

    // Shows only the rows the filter lets through, in the sort order; the
    // selected weapon stays selected even while its row is left out.
    TWeaponFilter Filter() const { return m_filter; }
    void SetFilter(const TWeaponFilter& filter);
    // The rows the filter lets through.
    int ShownCount() const { return topLevelItemCount(); }

    // The selected row's line in the table (1..Count()), 0 when none. A row
    // the filter hides still counts.
    int SelectedSlot() const { return m_selectedSlot; }
    // Selects and shows the row of the weapon on table line `slot`, wherever
    // the sort put it, without emitting WeaponClicked; false when no row
    // holds that line. A weapon the filter hides is selected all the same
    // and its row appears, selected, once the filter lets it through: the
    // user's search stays as typed.
    bool SelectSlot(int slot);

    // The window's zoom: the columns and the type icons grow with it, the
    // rows with the font the window sets. 1 is the design's size.
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);

    // The type icons in the order of WeaponTypeCodes, as LoadWeapons read them.
    const std::array<QIcon, 6>& TypeIcons() const { return m_icons; }

signals:
    // A row was clicked, or the keyboard moved the selection to a row.
    void WeaponClicked();
    void ColumnClicked(int position);

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LoadIcons(const QString& dataDir);
    void AddZoomedIcons();
    void FillRows();
    // Deletes the rows, those out of the tree too.
    void ClearRows();
    void SortRows();
    // Puts the rows the filter lets through into the tree in the sort order,
    // the selected one selected and in view; `amongShown` looks only at the
    // rows in the tree already.
    void ShowRows(bool amongShown = false);
    void UpdateSortIndicator();
    // The compare rule of the current sort column, without its direction.
    bool RowLess(const QTreeWidgetItem& a, const QTreeWidgetItem& b) const;

    struct TRow
    {
        // Owned by the tree while shown, by the list while left out.
        QTreeWidgetItem* Item = nullptr;
        int Slot = 0;
        QString Name;
        QString Type;
    };

    TWeaponTable m_table;
    std::array<QIcon, 6> m_icons;
    int m_sortColumn = 0;
    TWeaponFilter m_filter;
    // Every row in the sort order, shown or not.
    std::vector<TRow> m_rows;
    int m_selectedSlot = 0;
    // Set while rows are moved or selected for the user's sake, not by them.
    bool m_rebuilding = false;
    QCollator m_collator;
    double m_zoom = 1;
};
