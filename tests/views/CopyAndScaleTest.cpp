#include "views/WeaponDataGrid.h"
#include "views/WeaponSpeedGrid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

TDamageTable CountingTable()
{
    TDamageTable table{};
    double value = 1;
    for (auto& level : table) {
        for (auto& cell : level) {
            for (double& figure : cell) {
                figure = value;
                value += 0.25;
            }
        }
    }
    return table;
}

TWeaponSpeedData Weapon(int speed, int dex)
{
    TWeaponSpeedData data;
    data.Name = "Probe";
    data.Speed = speed;
    data.DEX = dex;
    data.STR = 100;
    data.INT = 100;
    return data;
}

QAction* CopyAction(const QWidget& view)
{
    for (QAction* action : view.actions()) {
        if (action->text() == "Copy") {
            return action;
        }
    }
    return nullptr;
}

// What a user does to copy a grid: click it, press Ctrl+C; and the menu.
void ExpectCopies(QWidget& view, const QString& expected)
{
    view.resize(view.sizeHint());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QClipboard* clipboard = QGuiApplication::clipboard();

    clipboard->setText("before");
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(100, 40));
    EXPECT_TRUE(view.hasFocus()) << "a click focuses the grid";
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), expected);

    clipboard->setText("before");
    EXPECT_EQ(view.contextMenuPolicy(), Qt::ActionsContextMenu);
    QAction* menuItem = CopyAction(view);
    ASSERT_NE(menuItem, nullptr);
    menuItem->trigger();
    EXPECT_EQ(clipboard->text(), expected);
}

TEST(CopyFromGrids, DamageGridCopiesItsWholeTable)
{
    TWeaponDataGrid grid;
    grid.SetDamageTable(CountingTable());
    const QString text = grid.ToTabSeparatedText();
    ASSERT_TRUE(text.startsWith("\t\tNormal\tRuin\t"));
    ASSERT_TRUE(text.contains("Supremely\tHigh\t"));
    ExpectCopies(grid, text);
}

TEST(CopyFromGrids, SpeedGridCopiesItsWholeTable)
{
    TWeaponSpeedGrid grid;
    grid.SetWeaponSpeedData(Weapon(40, 80));
    const QString text = grid.ToTabSeparatedText();
    ASSERT_TRUE(text.startsWith("DEX\t0"));
    ASSERT_TRUE(text.contains("\nSPEED\t"));
    ExpectCopies(grid, text);
}

// The rows (device pixels) in a column of `image` that are exactly black.
QList<int> BlackRows(const QImage& image, int x, int from, int to)
{
    QList<int> rows;
    for (int y = from; y <= to; ++y) {
        if (QColor(image.pixel(x, y)) == QColor(Qt::black)) {
            rows.append(y);
        }
    }
    return rows;
}

QList<int> BlackColumns(const QImage& image, int y, int from, int to)
{
    QList<int> columns;
    for (int x = from; x <= to; ++x) {
        if (QColor(image.pixel(x, y)) == QColor(Qt::black)) {
            columns.append(x);
        }
    }
    return columns;
}

QImage RenderAt(QWidget& view, qreal ratio)
{
    QImage image(view.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::green);
    view.render(&image);
    return image;
}

TEST(GridsOnScaledScreens, CellsScaleAndLinesStayOneDevicePixel)
{
    TWeaponDataGrid damage;
    damage.SetDamageTable(CountingTable());
    damage.resize(damage.sizeHint());
    TWeaponSpeedGrid speed;
    speed.SetWeaponSpeedData(Weapon(40, 80));
    speed.resize(speed.sizeHint());

    struct TCase
    {
        const char* name;
        QWidget* view;
        // A black horizontal line at logical y, probed at logical x; and a
        // vertical one at logical x, probed at logical y.
        int lineY, probeX, lineX, probeY;
    } const cases[] = {
        {"damage grid", &damage, 16 * 4 - 1, 200, 70 * 2 - 1, 100},
        {"speed grid", &speed, 16 * 2 - 1, 200, 70 * 3 - 1, 40},
    };
    for (const TCase& c : cases) {
        for (const qreal ratio : {1.0, 2.0, 3.0}) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << ratio);
            const QImage image = RenderAt(*c.view, ratio);
            ASSERT_EQ(image.size(), c.view->size() * ratio);
            const int r = static_cast<int>(ratio);
            // Around each line, one logical pixel either side in device pixels.
            const QList<int> rows =
                BlackRows(image, c.probeX * r + r / 2, (c.lineY - 1) * r, (c.lineY + 2) * r - 1);
            ASSERT_EQ(rows.size(), 1) << "one device pixel thick";
            EXPECT_GE(rows.front(), c.lineY * r);
            EXPECT_LT(rows.front(), (c.lineY + 1) * r);
            const QList<int> columns =
                BlackColumns(image, c.probeY * r + r / 2, (c.lineX - 1) * r, (c.lineX + 2) * r - 1);
            ASSERT_EQ(columns.size(), 1) << "one device pixel thick";
            EXPECT_GE(columns.front(), c.lineX * r);
            EXPECT_LT(columns.front(), (c.lineX + 1) * r);
            // The whole widget is painted: nothing of the green ground is left.
            EXPECT_NE(QColor(image.pixel(image.width() - 1, image.height() - 1)),
                      QColor(Qt::green));
        }
    }
}

TEST(GridsOnScaledScreens, TextGrowsWithTheScale)
{
    TWeaponDataGrid grid;
    grid.resize(grid.sizeHint());
    // "Supremely" in column 0 of row 17: count dark pixels of its cell.
    const auto darkInCell = [&](const QImage& image, int r) {
        int dark = 0;
        for (int y = 16 * 17 * r; y < 16 * 18 * r - r; ++y) {
            for (int x = 0; x < 69 * r; ++x) {
                dark += qGray(image.pixel(x, y)) < 60 ? 1 : 0;
            }
        }
        return dark;
    };
    const int once = darkInCell(RenderAt(grid, 1), 1);
    const int twice = darkInCell(RenderAt(grid, 2), 2);
    ASSERT_GT(once, 10);
    // Four times the area at twice the scale; glyph hinting makes it inexact.
    EXPECT_GT(twice, once * 2);
    EXPECT_LT(twice, once * 8);
}

} // namespace
