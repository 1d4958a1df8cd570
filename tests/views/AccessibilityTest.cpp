#include "views/WeaponDamageSpreadChart.h"
#include "views/WeaponDataGrid.h"
#include "views/WeaponRaderChart.h"
#include "views/WeaponSpeedGrid.h"

#include <QAccessible>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QAccessibleInterface* Cell(TOwnerDrawnGrid& grid, int row, int column)
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
    return table && table->tableInterface() ? table->tableInterface()->cellAt(row, column)
                                            : nullptr;
}

QString Names(const QList<QAccessibleInterface*>& cells)
{
    QStringList names;
    for (const QAccessibleInterface* cell : cells)
        names << cell->text(QAccessible::Name);
    return names.join('|');
}

QString Description(QWidget& widget)
{
    return QAccessible::queryAccessibleInterface(&widget)->text(QAccessible::Description);
}

} // namespace

TEST(GridAccessibility, EveryCellReadsWhatTheGridDraws)
{
    TWeaponDataGrid damage;
    TDamageTable table{};
    for (int a = 0; a < 6; ++a)
        for (int d = 0; d < 6; ++d)
            for (int f = 0; f < 3; ++f)
                table[a][d][f] = a * 100 + d * 10 + f + 0.5;
    damage.SetDamageTable(table);
    TWeaponSpeedGrid speed;
    // A delay for every DEX value: more ranges than the design's rows hold.
    speed.SetSpeedMethod("DEXR*100");
    for (TOwnerDrawnGrid* grid : std::initializer_list<TOwnerDrawnGrid*>{&damage, &speed}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(grid);
        ASSERT_TRUE(iface && iface->tableInterface());
        EXPECT_EQ(iface->role(), QAccessible::Table);
        ASSERT_EQ(iface->tableInterface()->rowCount(), grid->RowCount());
        EXPECT_EQ(iface->childCount(), grid->RowCount() * 8);
        for (int row = 0; row < grid->RowCount(); ++row)
            for (int column = 0; column < 8; ++column) {
                QAccessibleInterface* cell = Cell(*grid, row, column);
                ASSERT_TRUE(cell && cell->tableCellInterface());
                EXPECT_EQ(cell->text(QAccessible::Name), grid->CellText(column, row));
                EXPECT_EQ(iface->indexOfChild(cell), row * 8 + column);
                EXPECT_EQ(cell->parent(), iface);
            }
        EXPECT_EQ(Cell(*grid, grid->RowCount(), 0), nullptr);
    }
    EXPECT_GT(speed.RowCount(), 19);
}

TEST(GridAccessibility, CellsAreNamedByTheirHeaders)
{
    TWeaponDataGrid damage;
    damage.SetDamageTable({});
    TWeaponSpeedGrid speed;
    speed.SetSpeedMethod("3.5");
    struct TCase
    {
        const char* name;
        TOwnerDrawnGrid* grid;
        int row, column;
        QString rowHeaders, columnHeaders;
    } cases[] = {
        {"first value", &damage, 1, 2, "Normal|Low", "Normal"},
        {"middle of a level", &damage, 8, 4, "Surpassingly|High", "Might"},
        {"last value", &damage, 18, 7, "Supremely|Ave", "Vanquishing"},
        {"figure name", &damage, 3, 1, "Normal", ""},
        {"damage level name", &damage, 0, 3, "", ""},
        {"DEX range", &speed, 0, 1, "DEX", ""},
        {"its delay", &speed, 1, 1, "SPEED", QString("0") + QChar(0x301C) + "200"},
        {"row name", &speed, 1, 0, "", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        QAccessibleInterface* cell = Cell(*c.grid, c.row, c.column);
        ASSERT_TRUE(cell);
        EXPECT_EQ(Names(cell->tableCellInterface()->rowHeaderCells()), c.rowHeaders);
        EXPECT_EQ(Names(cell->tableCellInterface()->columnHeaderCells()), c.columnHeaders);
    }
    EXPECT_EQ(Cell(speed, 1, 1)->text(QAccessible::Name), "3.5sec");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&damage)->tableInterface()->rowDescription(4),
              "Accurate Low");
}

TEST(ChartAccessibility, SummariesReadTheChartsFigures)
{
    TWeaponDamageSpreadChart spread;
    EXPECT_EQ(Description(spread), "");
    spread.SetDiceData(2, 6, 0);
    EXPECT_EQ(Description(spread), "Top: 7 damage, 16.67 %");
    spread.SetDiceData(1, 4, 2);
    EXPECT_EQ(Description(spread), "Top: 3, 4, 5, 6 damage, 25.00 %");

    TWeaponRaderChart rader;
    EXPECT_EQ(Description(rader),
              "Speed 0.96, damage 0.76, overall 0.86; overall rating 86, stability 100 %");
    rader.SetRaderChartData({20, 10.0, 8, "Staff"});
    EXPECT_EQ(Description(rader),
              "Speed 0.00, damage 0.45, overall 0.18; overall rating 17, stability 50 %");
}
