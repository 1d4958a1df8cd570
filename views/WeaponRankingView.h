#pragma once

#include "views/WeaponFilter.h"
#include "weapons/WeaponRanking.h"

#include <QString>
#include <QTableView>

#include <vector>

class TWeaponRankingModel;

// Every weapon of the table as it serves the character, one row each, in
// the order of the column the user picked. Shows the rows the main window
// ranked; sorting, filtering, formatting and keeping the user's row are all
// it does.
class TWeaponRankingView : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(TWeaponFilter Filter READ Filter WRITE SetFilter)

public:
    explicit TWeaponRankingView(QWidget* parent = nullptr);
    ~TWeaponRankingView() override;

    // Replaces the rows, sorted by the current column and direction. The
    // weapon selected before stays selected while it is among the rows;
    // nothing is emitted for that.
    void SetRanking(std::vector<TWeaponRank> ranking);
    // The rows the filter lets through, in the order shown.
    const std::vector<TWeaponRank>& Ranking() const;

    // Shows only the weapons the filter lets through, as the weapon list
    // does. A selected weapon the filter hides is selected again once a
    // filter shows it, as the list keeps it; nothing is emitted either way.
    TWeaponFilter Filter() const { return m_filter; }
    void SetFilter(const TWeaponFilter& filter);

    TRankColumn SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_descending; }
    void SetSort(TRankColumn column, bool descending);
    // The sort after a click on `column`'s header: a new column starts with
    // its best weapon on top, the same column again turns the order round.
    static std::pair<TRankColumn, bool> NextSort(TRankColumn current, bool descending,
                                                 TRankColumn clicked);

    // The selected row's weapon (its table slot), 0 when none.
    int SelectedSlot() const;
    // Selects the row of `slot` without emitting WeaponChosen; a slot that is
    // not shown clears the selection. The row is scrolled into view.
    void SelectSlot(int slot);

    // What a cell shows, as the user reads it.
    QString CellText(int row, TRankColumn column) const;
    // The header line and every row, rows joined by "\n", cells by "\t".
    QString ToTabSeparatedText() const;
    void CopyToClipboard() const;

signals:
    // The user selected the row of this weapon, by mouse or keyboard.
    void WeaponChosen(int slot);

protected:
    // Rows and columns follow the font, as the window's zoom sets it.
    void changeEvent(QEvent* event) override;

private:
    void FitToFont();
    void HeaderClicked(int section);
    // Restores the selection by slot after the rows were replaced, re-sorted
    // or filtered; the user did not choose anything.
    void RestoreSelection(int slot, bool scroll);
    // The selected weapon, or the one the filter hides.
    int SlotToKeep() const;
    void UpdateSortIndicator();

    TWeaponRankingModel* m_model = nullptr;
    TRankColumn m_sortColumn = TRankColumn::DamagePerSecond;
    bool m_descending = true;
    TWeaponFilter m_filter;
    int m_filteredOutSlot = 0;
    bool m_restoring = false;
};
