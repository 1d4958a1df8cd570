#include "views/GridAccessible.h"

#include "views/OwnerDrawnGrid.h"

#include <QStringList>

namespace {

class TGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    TGridCellAccessible(TOwnerDrawnGrid* grid, int row, int column)
        : m_grid(grid), m_row(row), m_column(column)
    {
    }

    // A cell outlives a shrinking speed grid's rows only as an invalid one.
    bool isValid() const override
    {
        return m_grid && m_row < m_grid->RowCount() && m_column < TOwnerDrawnGrid::ColumnCount;
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return Table() ? Table()->window() : nullptr; }
    QAccessibleInterface* parent() const override { return Table(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text type) const override
    {
        if (!isValid())
            return {};
        if (type == QAccessible::Name)
            return m_grid->CellText(m_column, m_row);
        if (type == QAccessible::Description) {
            QStringList names;
            for (const QList<QAccessibleInterface*>& headers :
                 {rowHeaderCells(), columnHeaderCells()})
                for (const QAccessibleInterface* header : headers)
                    if (const QString name = header->text(QAccessible::Name); !name.isEmpty())
                        names << name;
            return names.join(QLatin1Char(' '));
        }
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect cell = m_grid->CellRect(m_column, m_row);
        return QRect(m_grid->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !isValid() || !m_grid->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        return isValid() ? HeaderCells(m_grid->ColumnHeaderCells(m_column, m_row))
                         : QList<QAccessibleInterface*>();
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override
    {
        return isValid() ? HeaderCells(m_grid->RowHeaderCells(m_column, m_row))
                         : QList<QAccessibleInterface*>();
    }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return Table(); }

private:
    QAccessibleInterface* Table() const
    {
        return m_grid ? QAccessible::queryAccessibleInterface(m_grid) : nullptr;
    }
    QList<QAccessibleInterface*> HeaderCells(const QList<QPoint>& positions) const
    {
        QList<QAccessibleInterface*> cells;
        if (QAccessibleInterface* table = Table())
            for (const QPoint position : positions)
                if (QAccessibleInterface* cell =
                        table->tableInterface()->cellAt(position.y(), position.x()))
                    cells << cell;
        return cells;
    }

    QPointer<TOwnerDrawnGrid> m_grid;
    int m_row;
    int m_column;
};

} // namespace

TOwnerDrawnGridAccessible::TOwnerDrawnGridAccessible(TOwnerDrawnGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Table)
{
}

TOwnerDrawnGridAccessible::~TOwnerDrawnGridAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* TOwnerDrawnGridAccessible::Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TOwnerDrawnGrid") && object && object->isWidgetType())
        return new TOwnerDrawnGridAccessible(static_cast<TOwnerDrawnGrid*>(object));
    return nullptr;
}

TOwnerDrawnGrid* TOwnerDrawnGridAccessible::Grid() const
{
    return static_cast<TOwnerDrawnGrid*>(widget());
}

int TOwnerDrawnGridAccessible::rowCount() const
{
    return Grid()->RowCount();
}

int TOwnerDrawnGridAccessible::columnCount() const
{
    return TOwnerDrawnGrid::ColumnCount;
}

QAccessibleInterface* TOwnerDrawnGridAccessible::cellAt(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    const int index = row * columnCount() + column;
    if (const auto found = m_cells.constFind(index); found != m_cells.cend())
        return QAccessible::accessibleInterface(*found);
    auto* cell = new TGridCellAccessible(Grid(), row, column);
    m_cells.insert(index, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int TOwnerDrawnGridAccessible::childCount() const
{
    return rowCount() * columnCount();
}

QAccessibleInterface* TOwnerDrawnGridAccessible::child(int index) const
{
    return index < 0 ? nullptr : cellAt(index / columnCount(), index % columnCount());
}

int TOwnerDrawnGridAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child || child->parent() != this)
        return -1;
    const auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    return cell ? cell->rowIndex() * columnCount() + cell->columnIndex() : -1;
}

QAccessibleInterface* TOwnerDrawnGridAccessible::childAt(int x, int y) const
{
    const QPoint local = Grid()->mapFromGlobal(QPoint(x, y));
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < columnCount(); ++column)
            if (Grid()->CellRect(column, row).contains(local))
                return cellAt(row, column);
    return nullptr;
}

void* TOwnerDrawnGridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TOwnerDrawnGridAccessible::columnDescription(int column) const
{
    QStringList names;
    for (const QPoint header : Grid()->ColumnHeaderCells(column, rowCount() - 1))
        names << Grid()->CellText(header.x(), header.y());
    return names.join(QLatin1Char(' '));
}

QString TOwnerDrawnGridAccessible::rowDescription(int row) const
{
    QStringList names;
    for (const QPoint header : Grid()->RowHeaderCells(columnCount() - 1, row))
        names << Grid()->CellText(header.x(), header.y());
    return names.join(QLatin1Char(' '));
}
