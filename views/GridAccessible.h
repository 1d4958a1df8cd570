#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPoint>
#include <QPointer>

class TOwnerDrawnGrid;

// What screen readers see of an owner-drawn grid: a table whose cells read
// the texts the grid draws, each named by the header cells the grid gives
// it. The cells ask the grid whenever they are read, so they stay right
// after every refill; they live as long as the grid's own interface.
class TOwnerDrawnGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit TOwnerDrawnGridAccessible(TOwnerDrawnGrid* grid);
    ~TOwnerDrawnGridAccessible() override;

    // Qt asks it for every object through the class names of its ancestry.
    static QAccessibleInterface* Factory(const QString& className, QObject* object);

    TOwnerDrawnGrid* Grid() const;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int columnCount() const override;
    int rowCount() const override;

    // Nothing in the grid can be selected.
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    // The cells read the grid afresh, so a change leaves nothing stale.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    QList<QAccessibleInterface*> Cells(const QList<QPoint>& positions) const;

    // Cell interfaces by row * column count + column, owned by QAccessible.
    mutable QHash<int, QAccessible::Id> m_cells;
};
