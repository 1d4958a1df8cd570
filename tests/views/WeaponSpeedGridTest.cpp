#include "views/WeaponSpeedGrid.h"

#include "expr/Exception.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <utility>

namespace {

const QColor LightBlue(0xBB, 0xDD, 0xFF);
const QColor LightRed(0xFF, 0xCC, 0xAA);
const QColor Silver(0xC0, 0xC0, 0xC0);
const QString WaveDash(QChar(0x301C));

using TCells = std::map<std::pair<int, int>, QString>;

// An independent rendering of what the grid must show for a delay function of
// DEX: delays rounded up to half seconds, merged, flowing over row pairs from
// column 1 on and from column 0 in later pairs.
TCells ExpectedCells(const std::function<double(int)>& delayOf)
{
    TCells cells{{{0, 0}, "DEX"}, {{0, 1}, "SPEED"}};
    int start = 0;
    int column = 1;
    int row = 0;
    for (int n = 0; n <= 200; ++n) {
        const double delay = std::ceil(delayOf(n) * 2) / 2;
        if (n < 200 && delay == std::ceil(delayOf(n + 1) * 2) / 2) {
            continue;
        }
        if (column > 7) {
            column = 0;
            row += 2;
        }
        cells[{column, row}] = start == n ? QString::number(n)
                                          : QString::number(start) + WaveDash + QString::number(n);
        cells[{column, row + 1}] = QString::number(delay) + "sec";
        start = n + 1;
        ++column;
    }
    return cells;
}

void ExpectCells(const TWeaponSpeedGrid& grid, const TCells& expected)
{
    int lastRow = 0;
    for (const auto& [place, text] : expected) {
        lastRow = std::max(lastRow, place.second);
    }
    ASSERT_EQ(grid.RowCount(), std::max(19, lastRow + 1));
    for (int row = 0; row < grid.RowCount(); ++row) {
        for (int column = 0; column < 8; ++column) {
            const auto found = expected.find({column, row});
            SCOPED_TRACE(testing::Message() << "column " << column << " row " << row);
            EXPECT_EQ(grid.CellText(column, row),
                      found == expected.end() ? QString() : found->second);
        }
    }
}

TWeaponSpeedData Weapon(int speed)
{
    TWeaponSpeedData data;
    data.Name = "Katana";
    data.Speed = speed;
    data.DEX = 100;
    data.STR = 100;
    data.INT = 100;
    return data;
}

TEST(WeaponSpeedGrid, DefaultFormulaAtSpeed40)
{
    TWeaponSpeedGrid grid;
    EXPECT_EQ(grid.objectName(), "WeaponSpeedGrid");
    grid.SetSpeedMethod(DefaultSpeedMethod);
    grid.SetWeaponSpeedData(Weapon(40));

    EXPECT_EQ(grid.SpeedMethod(), DefaultSpeedMethod);
    EXPECT_EQ(grid.WeaponSpeedData().Speed, 40);
    EXPECT_EQ(grid.CellText(0, 0), "DEX");
    EXPECT_EQ(grid.CellText(0, 1), "SPEED");
    // DEX 0: 15000 / (25 * 40) is 15 exactly; DEX 1: 13.6 rounds up to 14.
    EXPECT_EQ(grid.CellText(1, 0), "0");
    EXPECT_EQ(grid.CellText(1, 1), "15sec");
    EXPECT_EQ(grid.CellText(2, 0), "1");
    EXPECT_EQ(grid.CellText(2, 1), "14sec");
    ExpectCells(grid, ExpectedCells([](int dex) { return 15000 / ((25 + 2.5 * dex) * 40); }));
}

TEST(WeaponSpeedGrid, SlowAndFastWeaponsAgreeWithTheOracle)
{
    for (int speed : {1, 15, 58, 100}) {
        SCOPED_TRACE(testing::Message() << "speed " << speed);
        TWeaponSpeedGrid grid;
        grid.SetSpeedMethod(DefaultSpeedMethod);
        grid.SetWeaponSpeedData(Weapon(speed));
        ExpectCells(grid,
                    ExpectedCells([speed](int dex) { return 15000 / ((25 + 2.5 * dex) * speed); }));
    }
}

TEST(WeaponSpeedGrid, AConstantDelayIsOneRange)
{
    TWeaponSpeedGrid grid;
    grid.SetSpeedMethod("3.2");
    EXPECT_EQ(grid.CellText(1, 0), "0" + WaveDash + "200");
    EXPECT_EQ(grid.CellText(1, 1), "3.5sec");
    EXPECT_EQ(grid.CellText(2, 0), "");
    EXPECT_EQ(grid.CellText(1, 2), "");
    EXPECT_EQ(grid.RowCount(), 19);
}

TEST(WeaponSpeedGrid, ManyRangesGrowTheGridInsteadOfVanishing)
{
    TWeaponSpeedGrid grid;
    grid.SetSpeedMethod("DEXR");
    // 201 single-DEX ranges: 7 in the first row pair, 8 in each further one.
    ExpectCells(grid, ExpectedCells([](int dex) { return dex; }));
    EXPECT_EQ(grid.RowCount(), 52);
    EXPECT_EQ(grid.CellText(1, 50), "200");
    EXPECT_EQ(grid.CellText(1, 51), "200sec");
    EXPECT_EQ(grid.CellText(0, 50), "199");
    EXPECT_EQ(grid.sizeHint(), QSize(8 * 70, 52 * 16));

    // Back to few ranges: the grid shrinks to its usual 19 rows.
    grid.SetSpeedMethod("1");
    EXPECT_EQ(grid.RowCount(), 19);
    EXPECT_EQ(grid.CellText(1, 50), "");
}

TEST(WeaponSpeedGrid, ARejectedFormulaKeepsTheGrid)
{
    TWeaponSpeedGrid grid;
    grid.SetSpeedMethod("4");
    EXPECT_THROW(grid.SetSpeedMethod("(1+"), Exception);
    EXPECT_EQ(grid.SpeedMethod(), "4");
    EXPECT_EQ(grid.CellText(1, 1), "4sec");
}

TEST(WeaponSpeedGrid, AFormulaFailingForSomeDexKeepsTheShownRanges)
{
    TWeaponSpeedGrid grid;
    grid.SetSpeedMethod(DefaultSpeedMethod);
    grid.SetWeaponSpeedData(Weapon(40));
    const QString before = grid.ToTabSeparatedText();
    EXPECT_THROW(grid.SetSpeedMethod("15/(DEXR-100)"), EMathError);
    EXPECT_EQ(grid.ToTabSeparatedText(), before);
    EXPECT_EQ(grid.CellText(1, 1), "15sec");
}

TEST(WeaponSpeedGrid, RowsAlternateBlueAndRed)
{
    TWeaponSpeedGrid grid;
    grid.SetSpeedMethod("DEXR");
    for (int row : {0, 2, 18, 20, 50}) {
        EXPECT_EQ(grid.CellColor(0, row), LightBlue) << row;
        EXPECT_EQ(grid.CellColor(7, row), LightBlue) << row;
    }
    for (int row : {1, 17, 19, 51}) {
        EXPECT_EQ(grid.CellColor(3, row), LightRed) << row;
    }
}

TEST(WeaponSpeedGrid, PaintsRowsAndLines)
{
    TWeaponSpeedGrid grid;
    grid.SetSpeedMethod("3");
    grid.resize(grid.sizeHint());
    const QImage image = grid.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(5 * 70 + 3, 16 * 4 + 8)), LightBlue);
    EXPECT_EQ(QColor(image.pixel(5 * 70 + 3, 16 * 5 + 8)), LightRed);
    EXPECT_EQ(QColor(image.pixel(5 * 70 + 3, 16 * 1 - 1)), Silver);
    EXPECT_EQ(QColor(image.pixel(5 * 70 + 3, 16 * 2 - 1)), QColor(Qt::black));
    EXPECT_EQ(QColor(image.pixel(3 * 70 - 1, 16 * 4 + 8)), QColor(Qt::black));
}

TEST(WeaponSpeedGrid, MarksTheRangeHoldingTheCharactersDex)
{
    // Speed 58 at the standard formula: DEX 9..10 share 5.5 sec, 11..12 5 sec.
    struct TCase
    {
        const char* Name;
        int Dex;
        const char* Range;
        const char* Delay;
    };
    const TCase cases[] = {
        {"DEX 0, a range of one", 0, "0", "10.5sec"},
        {"last DEX of a range", 10, "9\u301c10", "5.5sec"},
        {"first DEX of the next", 11, "11\u301c12", "5sec"},
        {"DEX 200", 200, "197\u301c200", "0.5sec"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TWeaponSpeedGrid grid;
        grid.SetSpeedMethod(DefaultSpeedMethod);
        TWeaponSpeedData data = Weapon(58);
        data.DEX = c.Dex;
        grid.SetWeaponSpeedData(data);
        const TSpeedRange* range = grid.MarkedRange();
        ASSERT_NE(range, nullptr);
        EXPECT_EQ(grid.CellText(range->Column, range->Row), QString::fromUtf8(c.Range));
        EXPECT_EQ(grid.CellText(range->Column, range->Row + 1), QString::fromUtf8(c.Delay));
        // Only the two cells of the range change colour.
        for (int row = 0; row < grid.RowCount(); ++row) {
            for (int column = 0; column < 8; ++column) {
                const bool marked =
                    column == range->Column && (row == range->Row || row == range->Row + 1);
                const QColor usual = row % 2 == 0 ? LightBlue : LightRed;
                EXPECT_EQ(grid.CellColor(column, row) == usual, !marked)
                    << "column " << column << " row " << row;
            }
        }
    }
}

TEST(WeaponSpeedGrid, ADexBeyondTheTableMarksNothing)
{
    TWeaponSpeedGrid grid;
    grid.SetSpeedMethod(DefaultSpeedMethod);
    TWeaponSpeedData data = Weapon(58);
    data.DEX = 201;
    grid.SetWeaponSpeedData(data);
    EXPECT_EQ(grid.MarkedRange(), nullptr);
    for (int row = 0; row < grid.RowCount(); ++row) {
        EXPECT_EQ(grid.CellColor(1, row), row % 2 == 0 ? LightBlue : LightRed) << row;
    }
}

TEST(WeaponSpeedGrid, PaintsTheMarkedRangeApartFromItsNeighbours)
{
    TWeaponSpeedGrid grid;
    grid.SetSpeedMethod(DefaultSpeedMethod);
    TWeaponSpeedData data = Weapon(58);
    data.DEX = 11;
    grid.SetWeaponSpeedData(data);
    grid.resize(grid.sizeHint());
    const QImage image = grid.grab().toImage();
    const TSpeedRange* range = grid.MarkedRange();
    ASSERT_NE(range, nullptr);
    const auto inside = [&](int column, int row) {
        return QColor(image.pixel(column * 70 + 3, row * 16 + 8));
    };
    EXPECT_EQ(inside(range->Column, range->Row), grid.CellColor(range->Column, range->Row));
    EXPECT_EQ(inside(range->Column, range->Row + 1), inside(range->Column, range->Row));
    EXPECT_NE(inside(range->Column, range->Row), LightBlue);
    EXPECT_NE(inside(range->Column, range->Row + 1), LightRed);
    EXPECT_EQ(inside(range->Column + 1, range->Row), LightBlue);
    EXPECT_EQ(inside(range->Column + 1, range->Row + 1), LightRed);
}

// Texts are laid out once and kept; after any change the grid must draw what
// a new grid draws. DEX 11 makes "5sec" bold, DEX 10 leaves it regular.
TEST(WeaponSpeedGrid, RedrawsLikeANewGridAfterTextWeightFontAndZoomChange)
{
    const auto drawn = [](TWeaponSpeedGrid& grid, int dex, double pointSize, double zoom) {
        grid.SetSpeedMethod(DefaultSpeedMethod);
        TWeaponSpeedData data = Weapon(58);
        data.DEX = dex;
        grid.SetWeaponSpeedData(data);
        QFont font = grid.font();
        font.setPointSizeF(pointSize);
        grid.setFont(font);
        grid.SetZoom(zoom);
        grid.resize(grid.sizeHint());
        return grid.grab().toImage();
    };
    TWeaponSpeedGrid reused, bold, regular, zoomed;
    EXPECT_EQ(drawn(reused, 11, 9, 1), drawn(bold, 11, 9, 1));
    EXPECT_EQ(drawn(reused, 10, 9, 1), drawn(regular, 10, 9, 1));
    EXPECT_EQ(drawn(reused, 10, 12, 2), drawn(zoomed, 10, 12, 2));
}

// Filled grid lines must set the very pixels the pen sets.
TEST(WeaponSpeedGrid, HairLinesSetThePensPixels)
{
    struct TLines : TWeaponSpeedGrid
    {
        using TOwnerDrawnGrid::DrawHairLine;
        using TOwnerDrawnGrid::HairLine;
    };
    for (const QLine line : {QLine(0, 5, 39, 5), QLine(3, 7, 3, 7), QLine(9, -4, 9, 25)}) {
        QImage filled(40, 30, QImage::Format_ARGB32_Premultiplied);
        filled.fill(Qt::white);
        QImage stroked = filled.copy();
        QPainter fill(&filled), stroke(&stroked);
        TLines::DrawHairLine(fill, line, Qt::darkGray);
        stroke.setPen(TLines::HairLine(Qt::darkGray));
        stroke.drawLine(line);
        fill.end(), stroke.end();
        EXPECT_EQ(filled, stroked) << line.x1() << "," << line.y1();
    }
}

} // namespace
