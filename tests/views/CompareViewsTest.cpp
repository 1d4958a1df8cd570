#include "views/BestMark.h"
#include "views/SetupCompareView.h"
#include "views/StatGainsView.h"
#include "views/StatSweepChart.h"

#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

#include "weapons/NumberFormat.h"

#include <numeric>
#include <vector>

namespace {

// Three lines of the bundled weapon table: a sword, an axe and a fencing weapon.
const char* const Weapons = "Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n"
                            "2,Katana,5,26,15.5,58,Swords,3,8,2,3d8+2\n"
                            "14,Executioner's Axe,6,33,19.5,37,AXE,3,10,3,3d10+3\n"
                            "20,Kryss,3,28,15.5,53,Fencing,1,26,2,1d26+2\n";

TSetup SetupOf(int slot, std::int32_t str, std::int32_t dex)
{
    TWeaponTable table;
    table.LoadFromBytes(Weapons);
    TSetup setup{table.Weapon(slot), {str, dex, 100, 100, 100, 100, {}}};
    return setup;
}

// The current Katana, an axe, a Kryss and the current setup pinned again.
std::vector<TSetupFigures> Figures(TSetupCalculator& calculator)
{
    const std::vector<TSetup> setups = {SetupOf(1, 100, 25), SetupOf(2, 120, 80),
                                        SetupOf(3, 90, 100), SetupOf(1, 100, 25)};
    return calculator.Figures(setups);
}

TEST(SetupCompareView, CellsAndBestMarksAreTheCoresWithTheDifferenceToTheFirst)
{
    TSetupCalculator calculator;
    std::vector<TSetupFigures> figures = Figures(calculator);
    // A swing without delay has no damage per second: no figure, no difference.
    calculator.SetSpeedMethod("SPEED*0");
    figures.push_back(calculator.Figures(std::vector<TSetup>{SetupOf(3, 90, 100)}).front());
    TSetupCompareView view;
    view.SetFigures(figures);

    for (int r = 0; r < CompareRowCount; ++r) {
        const auto row = static_cast<TCompareRow>(r);
        const std::vector<bool> best = BestColumns(figures, row);
        for (int column = 0; column < static_cast<int>(figures.size()); ++column) {
            SCOPED_TRACE(testing::Message()
                         << "row " << CompareRowKey(row) << " column " << column);
            const auto& cell = figures[static_cast<std::size_t>(column)];
            QString expected = QString::fromStdString(CompareCellText(cell, row));
            const std::string difference = CompareDifferenceText(figures[0], cell, row);
            if (column > 0 && !difference.empty())
                expected += " (" + QString::fromStdString(difference) + ")";
            EXPECT_EQ(view.CellText(row, column), expected);
            EXPECT_EQ(view.IsBest(row, column), best[static_cast<std::size_t>(column)]);
            EXPECT_EQ(view.model()->index(r, column).data(Qt::BackgroundRole).isValid(),
                      best[static_cast<std::size_t>(column)]);
        }
    }
    EXPECT_EQ(view.CellText(TCompareRow::Weapon, 1), "Executioner's Axe");
    EXPECT_EQ(view.CellText(TCompareRow::STR, 3), "100 (0)");
    EXPECT_EQ(view.CellText(TCompareRow::DamagePerSecond, 4), "-");
    // The current setup pinned again ties with it wherever it is best.
    EXPECT_EQ(view.IsBest(TCompareRow::DamagePerSecond, 0),
              view.IsBest(TCompareRow::DamagePerSecond, 3));
}

class CompareViewActions : public testing::Test
{
protected:
    void SetUp() override
    {
        TSetupCalculator calculator;
        m_view.SetFigures(Figures(calculator));
        m_view.resize(580, 400);
        m_view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
    }

    TSetupCompareView m_view;
};

TEST_F(CompareViewActions, DeleteAndTheMenuAskToRemoveAPinNeverTheCurrentSetup)
{
    QSignalSpy removed(&m_view, &TSetupCompareView::PinRemoved);
    for (const int column : {0, 2}) {
        m_view.setCurrentIndex(m_view.model()->index(3, column));
        QTest::keyClick(&m_view, Qt::Key_Delete);
    }
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.takeFirst().at(0).toInt(), 1);

    for (const int column : {0, 3}) {
        bool enabled = true;
        QTimer::singleShot(0, [&enabled] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            auto* remove = menu->findChild<QAction*>("RemovePinAction");
            ASSERT_NE(remove, nullptr);
            enabled = remove->isEnabled();
            remove->trigger();
            menu->close();
        });
        const QPoint cell = m_view.visualRect(m_view.model()->index(5, column)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, cell,
                                m_view.viewport()->mapToGlobal(cell));
        QApplication::sendEvent(m_view.viewport(), &event);
        EXPECT_EQ(enabled, column != 0) << column;
    }
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.takeFirst().at(0).toInt(), 2);
}

TEST_F(CompareViewActions, DraggingAHeaderAsksToMoveThePinAndTheFirstStays)
{
    QSignalSpy moved(&m_view, &TSetupCompareView::PinMoved);
    QHeaderView* head = m_view.horizontalHeader();
    // Dropped on the left part of a section, a dragged one takes its place.
    const auto drag = [head](int from, int to) {
        const auto at = [head](int section, int quarters) {
            return QPoint(head->sectionViewportPosition(section) +
                              head->sectionSize(section) * quarters / 4,
                          head->height() / 2);
        };
        QTest::mousePress(head->viewport(), Qt::LeftButton, {}, at(from, 2));
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(head->viewport(), at(from, 2) + (at(to, 1) - at(from, 2)) * step / 4);
        QTest::mouseRelease(head->viewport(), Qt::LeftButton, {}, at(to, 1));
    };
    drag(3, 1);
    drag(0, 2);
    // Before the current setup is as far as the first pin's place.
    drag(2, 0);
    ASSERT_EQ(moved.count(), 2);
    EXPECT_EQ(moved.at(0), (QVariantList{2, 0}));
    EXPECT_EQ(moved.at(1), (QVariantList{1, 0}));
    // The caller reorders; until then the columns stay in their order.
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(head->logicalIndex(column), column);
    // Nor can a move made by code put a pin before the current setup.
    head->moveSection(2, 0);
    EXPECT_EQ(moved.count(), 2);
    EXPECT_EQ(head->logicalIndex(0), 0);
}

TEST_F(CompareViewActions, CtrlCCopiesCaptionsHeadersAndDifferences)
{
    QApplication::clipboard()->setText("before");
    m_view.setFocus();
    QTest::keyClick(&m_view, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split('\n');
    ASSERT_EQ(lines.size(), 1 + CompareRowCount);
    EXPECT_EQ(lines[0], "\tCurrent\tPin 1\tPin 2\tPin 3");
    EXPECT_EQ(lines[1], "Weapon\tKatana\tExecutioner's Axe\tKryss\tKatana");
    EXPECT_EQ(lines[2], "STR\t100\t120 (+20)\t90 (-10)\t100 (0)");
    EXPECT_EQ(m_view.model()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString(),
              "Kryss · STR 90 DEX 100");
}

TEST(StatSweepChart, StepsJumpWhereTheFigureChangesAndGapsWhereItIsMissing)
{
    TSetupCalculator calculator;
    std::vector<std::int32_t> values(251);
    std::iota(values.begin(), values.end(), 0);
    const TSetup katana = SetupOf(1, 100, 25), kryss = SetupOf(3, 90, 100);
    std::vector<TSweepLine> lines = {
        {"Katana", Qt::black, calculator.Sweep(katana, TStat::DEX, values)},
        {"Kryss", Qt::red, calculator.Sweep(kryss, TStat::DEX, values)}};
    lines[1].Points[40].DamagePerSecond.reset();
    TStatSweepChart chart;
    chart.SetSweep(TStat::DEX, values, lines);
    chart.SetCurrentValue(25);

    EXPECT_EQ(chart.Chart()->series().size(), 4); // Katana, Kryss in two runs, the marker
    ASSERT_EQ(chart.SeriesOf(1).size(), 2u);
    EXPECT_EQ(chart.SeriesOf(1)[0]->points().back().x(), 39);
    EXPECT_EQ(chart.SeriesOf(1)[1]->points().front().x(), 41);
    ASSERT_NE(chart.CurrentValueSeries(), nullptr);
    EXPECT_EQ(chart.CurrentValueSeries()->points().front().x(), 25);

    const QList<QPointF> points = chart.SeriesOf(0).front()->points();
    const std::vector<TSetupSummary>& dps = lines[0].Points;
    int jumps = 0;
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QPointF a = points[i - 1], b = points[i];
        EXPECT_TRUE(a.x() == b.x() || a.y() == b.y()) << i;
        if (a.x() == b.x()) {
            const auto v = static_cast<std::size_t>(b.x());
            EXPECT_EQ(a.y(), *dps[v - 1].DamagePerSecond);
            EXPECT_EQ(b.y(), *dps[v].DamagePerSecond);
            ++jumps;
        }
    }
    int changes = 0;
    for (std::size_t v = 1; v < dps.size(); ++v)
        changes += *dps[v].DamagePerSecond != *dps[v - 1].DamagePerSecond;
    EXPECT_GT(jumps, 0);
    EXPECT_EQ(jumps, changes);

    chart.show();
    emit chart.SeriesOf(0).front()->hovered(QPointF(120.4, 0), true);
    EXPECT_EQ(QToolTip::text(),
              "DEX 120: " + QString::fromStdString(FormatTwoDecimals(*dps[120].DamagePerSecond)) +
                  " DPS (Katana)");
}

TEST(StatSweepChart, ControlsAskForASweepAndTheFigureSwitchOnlyRedraws)
{
    TStatSweepChart chart;
    QSignalSpy requested(&chart, &TStatSweepChart::SweepRequested);
    chart.findChild<QComboBox*>("SweepStatCombo")
        ->setCurrentIndex(static_cast<int>(TStat::Tactics));
    chart.findChild<QSpinBox*>("SweepFromSpin")->setValue(30);
    chart.findChild<QComboBox*>("SweepFigureCombo")->setCurrentIndex(1);
    EXPECT_TRUE(chart.ShowAverage());
    ASSERT_EQ(requested.count(), 2);
    EXPECT_EQ(requested[0].at(0).value<TStat>(), TStat::Tactics);
    EXPECT_EQ(requested[0].at(2).toInt(), 100);
    EXPECT_EQ(requested[1].at(1).toInt(), 30);
    EXPECT_EQ(chart.findChild<QSpinBox*>("SweepToSpin")->minimum(), 30);
}

TEST(StatGainsView, TheFirstRowIsBestOnlyWhenItsDamagePerSecondRises)
{
    struct TCase
    {
        const char* Name;
        std::optional<double> After;
        int Best;
        const char* Text;
    };
    const TCase cases[] = {{"rises", 10.01, 0, "+0.01"},
                           {"stays", 10, -1, "0.00"},
                           {"missing", std::nullopt, -1, "-"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TStatGain gain{TStat::DEX, TGainStep::ToMaximum, 90,
                       250,        {20, 15, 1.5, 10},    {21.5, 15, 1, c.After}};
        TStatGainsView view;
        view.SetGains({gain, gain});
        EXPECT_EQ(view.BestRow(), c.Best);
        const auto* table = view.findChild<QTableWidget*>("StatGainsTable");
        EXPECT_EQ(table->item(0, 0)->background().color() == BestMarkColour, c.Best == 0);
        EXPECT_FALSE(table->item(1, 0)->font().bold());
        EXPECT_EQ(view.CellText(0, TStatGainsView::DamagePerSecondColumn), c.Text);
        EXPECT_EQ(view.ToTabSeparatedText().split('\n').value(1),
                  QString("DEX\tmax\t90 → 250\t+1.5\t0\t-0.5\t") + c.Text);
    }

    TSetupCalculator calculator;
    const TSetup katana = SetupOf(1, 100, 25);
    TStatGainsView view;
    view.SetGains(calculator.Gains(katana));
    view.SetNextFasterSwing(
        calculator.Figures(std::vector<TSetup>{katana}).front().NextFasterSwing);
    EXPECT_EQ(view.BestRow(), 0);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QApplication::clipboard()->setText("before");
    auto* table = view.findChild<QTableWidget*>("StatGainsTable");
    table->setFocus();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().split('\n').value(0),
              "Input\tStep\tFrom → To\tΔHQ Ave\tΔAve\tΔDelay\tΔDPS");
    const auto next = view.NextFasterSwing();
    ASSERT_TRUE(next);
    EXPECT_EQ(view.findChild<QLabel*>("NextFasterSwingLabel")->text(),
              QString("Next faster swing: +%1 DEX → %2 s")
                  .arg(next->MoreDex)
                  .arg(QString::fromStdString(FormatGeneral(next->Delay))));
}

// The best cells are light green on screen, the others are not. With
// QUILLMARCH_VIEW_PICTURES set to a folder, the three views are also saved
// there at the size of a page of the main window with all six pins, to be
// looked at.
TEST(CompareViewPictures, BestCellsStandOutOnScreen)
{
    TSetupCalculator calculator;
    const std::vector<TSetup> setups = {
        SetupOf(1, 100, 25),  SetupOf(2, 120, 80),  SetupOf(3, 90, 100), SetupOf(1, 100, 100),
        SetupOf(2, 100, 100), SetupOf(3, 110, 125), SetupOf(1, 80, 60)};
    const std::vector<TSetupFigures> figures = calculator.Figures(setups);
    TSetupCompareView compare;
    compare.resize(580, 400);
    compare.SetFigures(figures);
    compare.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&compare));
    const QImage image = compare.grab().toImage();
    int best = 0;
    for (int r = 0; r < CompareRowCount; ++r) {
        for (int column = 0; column < static_cast<int>(figures.size()); ++column) {
            const auto row = static_cast<TCompareRow>(r);
            const QPoint corner = compare.viewport()->mapTo(
                &compare, compare.visualRect(compare.model()->index(r, column)).topLeft());
            if (!compare.viewport()->geometry().contains(corner + QPoint(2, 2)))
                continue; // scrolled out of sight
            best += compare.IsBest(row, column);
            EXPECT_EQ(image.pixelColor(corner + QPoint(2, 2)) == BestMarkColour,
                      compare.IsBest(row, column))
                << CompareRowKey(row) << " " << column;
        }
    }
    EXPECT_GT(best, 0);

    const QString folder = qEnvironmentVariable("QUILLMARCH_VIEW_PICTURES");
    if (folder.isEmpty())
        return;
    EXPECT_TRUE(image.save(folder + "/compare.png"));

    const TSetup current = SetupOf(1, 100, 25);
    TStatGainsView gains;
    gains.resize(580, 400);
    gains.SetGains(calculator.Gains(current));
    gains.SetNextFasterSwing(figures.front().NextFasterSwing);
    gains.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gains));
    EXPECT_TRUE(gains.grab().save(folder + "/gains.png"));

    std::vector<std::int32_t> values(251);
    std::iota(values.begin(), values.end(), 0);
    const QColor colours[] = {QColor(0x00, 0x20, 0x60), QColor(0xD0, 0x60, 0x00),
                              QColor(0x00, 0x90, 0x60), QColor(0x90, 0x30, 0xA0),
                              QColor(0x20, 0x80, 0xC0), QColor(0xA0, 0x80, 0x00),
                              QColor(0xC0, 0x30, 0x60)};
    std::vector<TSweepLine> lines;
    for (std::size_t i = 0; i < figures.size(); ++i)
        lines.push_back({QString::fromStdString(SetupLabel(figures[i].Setup)), colours[i],
                         calculator.Sweep(figures[i].Setup, TStat::STR, values)});
    TStatSweepChart sweep;
    sweep.resize(580, 400);
    sweep.SetSweep(TStat::STR, values, lines);
    sweep.SetCurrentValue(100);
    sweep.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sweep));
    EXPECT_TRUE(sweep.grab().save(folder + "/sweep.png"));
    sweep.SetShowAverage(true);
    QTest::qWait(50);
    EXPECT_TRUE(sweep.grab().save(folder + "/sweep-average.png"));
}

} // namespace
