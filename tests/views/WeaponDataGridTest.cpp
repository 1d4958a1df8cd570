#include "views/WeaponDataGrid.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const QColor White(0xFF, 0xFF, 0xFF);
const QColor LightBlue(0xBB, 0xDD, 0xFF);
const QColor LightRed(0xFF, 0xCC, 0xAA);
const QColor Silver(0xC0, 0xC0, 0xC0);

// Every value tells where it belongs: accuracy a, damage level d, figure f.
TDamageTable NumberedTable()
{
    TDamageTable table{};
    for (int a = 0; a < 6; ++a) {
        for (int d = 0; d < 6; ++d) {
            for (int f = 0; f < 3; ++f) {
                table[a][d][f] = a * 100 + d * 10 + f + 0.5;
            }
        }
    }
    return table;
}

TDamageTable ConstantTable(double value)
{
    TDamageTable table{};
    for (auto& level : table) {
        for (auto& cell : level) {
            cell.fill(value);
        }
    }
    return table;
}

TEST(WeaponDataGrid, FixedTexts)
{
    TWeaponDataGrid grid;
    EXPECT_EQ(grid.objectName(), "WeaponDataGrid");
    struct
    {
        int column;
        int row;
        const char* text;
    } const cases[] = {
        {0, 0, ""},
        {1, 0, ""},
        {0, 1, ""},
        {0, 2, "Normal"},
        {0, 5, "Accurate"},
        {0, 8, "Surpassingly"},
        {0, 11, "Eminently"},
        {0, 14, "Exceedingly"},
        {0, 17, "Supremely"},
        {0, 18, ""},
        {1, 1, "Low"},
        {1, 2, "High"},
        {1, 3, "Ave"},
        {1, 16, "Low"},
        {1, 18, "Ave"},
        {2, 0, "Normal"},
        {3, 0, "Ruin"},
        {4, 0, "Might"},
        {5, 0, "Force"},
        {6, 0, "Power"},
        {7, 0, "Vanquishing"},
        {2, 1, ""},
        {7, 18, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << " row " << c.row);
        EXPECT_EQ(grid.CellText(c.column, c.row), QString::fromUtf8(c.text));
    }
}

TEST(WeaponDataGrid, ValuesLandInTheirCells)
{
    TWeaponDataGrid grid;
    grid.SetDamageTable(NumberedTable());
    for (int a = 0; a < 6; ++a) {
        for (int d = 0; d < 6; ++d) {
            for (int f = 0; f < 3; ++f) {
                SCOPED_TRACE(testing::Message() << "a " << a << " d " << d << " f " << f);
                EXPECT_EQ(grid.CellText(d + 2, a * 3 + f + 1),
                          QString::number(a * 100 + d * 10 + f) + ".5");
            }
        }
    }
    // The value cells leave the fixed texts alone.
    EXPECT_EQ(grid.CellText(0, 17), "Supremely");
    EXPECT_EQ(grid.CellText(7, 0), "Vanquishing");
    EXPECT_EQ(grid.CellText(1, 18), "Ave");
}

TEST(WeaponDataGrid, ValueColoursCompareWithTheHqOfTheirFigure)
{
    TWeaponDataGrid grid;
    EXPECT_EQ(grid.CellColor(4, 4), White) << "empty value cells are white";

    grid.SetDamageTable(ConstantTable(20));
    struct
    {
        const char* name;
        double hqLow;
        double hqHigh;
        double hqAve;
        QColor low;
        QColor high;
        QColor ave;
    } const cases[] = {
        {"all equal", 20, 20, 20, White, White, White},
        {"one above each", 19, 19, 19, LightRed, LightRed, LightRed},
        {"one below each", 21, 21, 21, LightBlue, LightBlue, LightBlue},
        {"each figure its own HQ", 21, 20, 19, LightBlue, White, LightRed},
        {"a hair's breadth is not equal", 20.000000000001, 20, 19.999999999999, LightBlue, White,
         LightRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        grid.SetHQDamgeLow(c.hqLow);
        grid.SetHQDamgeHigh(c.hqHigh);
        grid.SetHQDamgeAve(c.hqAve);
        for (int column : {2, 7}) {
            for (int level : {0, 5}) {
                EXPECT_EQ(grid.CellColor(column, level * 3 + 1), c.low);
                EXPECT_EQ(grid.CellColor(column, level * 3 + 2), c.high);
                EXPECT_EQ(grid.CellColor(column, level * 3 + 3), c.ave);
            }
        }
    }
}

TEST(WeaponDataGrid, AFigureWiderThanItsTextStillEqualsItsHq)
{
    // 50/3 shows as 16.6666666666667, which read back is not 50/3; the colour
    // must follow the figure the calculator produced, not its rounded text.
    const double third = 50.0 / 3.0;
    TWeaponDataGrid grid;
    grid.SetDamageTable(ConstantTable(third));
    grid.SetHQDamgeLow(third);
    grid.SetHQDamgeHigh(third);
    grid.SetHQDamgeAve(third);
    EXPECT_EQ(grid.CellText(2, 1), "16.6666666666667");
    EXPECT_EQ(grid.CellColor(2, 1), White);
    EXPECT_EQ(grid.CellColor(5, 9), White);
}

TEST(WeaponDataGrid, FixedColours)
{
    TWeaponDataGrid grid;
    grid.SetDamageTable(ConstantTable(5));
    struct
    {
        int column;
        int row;
        QColor colour;
    } const cases[] = {
        {0, 0, White},
        {1, 0, White},
        {0, 1, QColor(0x00, 0xAA, 0xFF)},
        {0, 3, QColor(0x00, 0xAA, 0xFF)},
        {0, 4, QColor(0x00, 0x99, 0xFF)},
        {0, 9, QColor(0x00, 0x88, 0xFF)},
        {0, 10, QColor(0x00, 0x77, 0xFF)},
        {0, 15, QColor(0x00, 0x66, 0xFF)},
        {0, 16, QColor(0x00, 0x55, 0xFF)},
        {0, 18, QColor(0x00, 0x55, 0xFF)},
        {2, 0, QColor(0xFF, 0xAA, 0x00)},
        {3, 0, QColor(0xFF, 0x99, 0x00)},
        {4, 0, QColor(0xFF, 0x88, 0x00)},
        {5, 0, QColor(0xFF, 0x77, 0x00)},
        {6, 0, QColor(0xFF, 0x66, 0x00)},
        {7, 0, QColor(0xFF, 0x44, 0x00)},
        {1, 1, White},
        {1, 18, White},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << " row " << c.row);
        EXPECT_EQ(grid.CellColor(c.column, c.row), c.colour);
    }
}

TEST(WeaponDataGrid, ColumnsWidenWithThePageAndStayWide)
{
    TWeaponDataGrid grid;
    EXPECT_EQ(grid.DefaultColumnWidth(), 70);
    EXPECT_EQ(grid.RowHeight(), 16);
    EXPECT_EQ(grid.sizeHint(), QSize(560, 304));

    struct
    {
        const char* name;
        int width;
        int expected;
    } const steps[] = {
        {"narrower than the design", 400, 70},   {"exactly eight design columns", 567, 70},
        {"one pixel per column more", 568, 71},  {"wide", 807, 100},
        {"narrowed below the design", 500, 100}, {"narrowed but still above the design", 600, 75},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        grid.resize(s.width, 320);
        grid.FitColumns();
        EXPECT_EQ(grid.DefaultColumnWidth(), s.expected);
        EXPECT_EQ(grid.sizeHint().width(), 8 * s.expected);
    }
}

TEST(WeaponDataGrid, PaintsCellsLinesAndText)
{
    TWeaponDataGrid grid;
    grid.SetDamageTable(ConstantTable(12));
    grid.SetHQDamgeLow(12);
    grid.SetHQDamgeHigh(13);
    grid.SetHQDamgeAve(11);
    grid.resize(grid.sizeHint());
    const QImage image = grid.grab().toImage();

    EXPECT_EQ(QColor(image.pixel(7 * 70 + 3, 5)), QColor(0xFF, 0x44, 0x00));
    EXPECT_EQ(QColor(image.pixel(3, 16 * 4 + 5)), QColor(0x00, 0x99, 0xFF));
    EXPECT_EQ(QColor(image.pixel(2 * 70 + 3, 16 * 2 + 5)), LightBlue) << "high below HQ high";
    EXPECT_EQ(QColor(image.pixel(2 * 70 + 3, 16 * 3 + 5)), LightRed) << "ave above HQ ave";
    // A level boundary crosses column 0; the figure lines do not.
    EXPECT_EQ(QColor(image.pixel(3, 16 * 4 - 1)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(3, 16 * 2 - 1)), QColor(0x00, 0xAA, 0xFF));
    EXPECT_EQ(QColor(image.pixel(70 + 3, 16 * 2 - 1)), Silver);
    EXPECT_EQ(QColor(image.pixel(70 - 1, 40)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(8 * 70 - 1, 100)), QColor(Qt::black));

    // "Low" in column 1, row 1: some dark pixels near the cell's middle.
    int dark = 0;
    for (int x = 70 + 20; x < 70 + 50; ++x) {
        for (int y = 16 + 2; y < 16 + 14; ++y) {
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 5);
}

TEST(WeaponDataGrid, TabSeparatedText)
{
    TWeaponDataGrid grid;
    grid.SetDamageTable(NumberedTable());
    const QStringList lines = grid.ToTabSeparatedText().split('\n');
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines[0], "\t\tNormal\tRuin\tMight\tForce\tPower\tVanquishing");
    EXPECT_EQ(lines[2], "Normal\tHigh\t1.5\t11.5\t21.5\t31.5\t41.5\t51.5");
    EXPECT_EQ(lines[18], "\tAve\t502.5\t512.5\t522.5\t532.5\t542.5\t552.5");
}

} // namespace

TEST(WeaponDataGrid, ADarkPaletteDarkensEveryMeaningAndLightKeepsItsColours)
{
    const auto render = [](const QPalette& palette) {
        TWeaponDataGrid grid;
        grid.setPalette(palette);
        grid.SetDamageTable(ConstantTable(12));
        grid.SetHQDamgeLow(12);
        grid.SetHQDamgeHigh(13);
        grid.SetHQDamgeAve(11);
        grid.resize(grid.sizeHint());
        return grid.grab().toImage();
    };
    const QImage light = render(QPalette(QColor(0xEF, 0xEF, 0xEF)));
    const QImage dark = render(QPalette(QColor(0x35, 0x35, 0x35)));
    const QPoint equal(2 * 70 + 3, 16 + 5), below(2 * 70 + 3, 16 * 2 + 5),
        above(2 * 70 + 3, 16 * 3 + 5), head(3, 16 * 4 + 5);
    EXPECT_EQ(light.pixelColor(equal), White);
    EXPECT_EQ(light.pixelColor(below), LightBlue);
    EXPECT_EQ(light.pixelColor(above), LightRed);
    EXPECT_EQ(light.pixelColor(head), QColor(0x00, 0x99, 0xFF));

    for (const QPoint cell : {equal, below, above, head}) {
        EXPECT_NE(dark.pixelColor(cell), light.pixelColor(cell)) << cell.x() << "," << cell.y();
        EXPECT_LT(dark.pixelColor(cell).lightness(), 100) << cell.x() << "," << cell.y();
    }
    const QColor blue = dark.pixelColor(below), red = dark.pixelColor(above);
    EXPECT_GT(blue.blue(), blue.red());
    EXPECT_GT(red.red(), red.blue());
    EXPECT_NE(dark.pixelColor(equal), blue);
    EXPECT_NE(dark.pixelColor(equal), red);
    // The level line stands out from the cells it separates, and "Low" is
    // written in light pixels.
    EXPECT_GT(dark.pixelColor(3, 16 * 4 - 1).lightness(), dark.pixelColor(head).lightness() + 60);
    int bright = 0;
    for (int x = 70 + 20; x < 70 + 50; ++x)
        for (int y = 16 + 2; y < 16 + 14; ++y)
            bright += qGray(dark.pixel(x, y)) > 160 ? 1 : 0;
    EXPECT_GT(bright, 5);
}
