#include "views/WeaponRankingView.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TWeaponRank Row(int slot, const std::string& name, int speed, double delay,
                std::optional<double> dps)
{
    TWeaponRank rank;
    rank.Slot = slot;
    rank.Name = name;
    rank.Type = "Swords";
    rank.Speed = speed;
    rank.Delay = delay;
    rank.Average = dps ? *dps * delay : 0;
    rank.HQAverage = rank.Average + 3;
    rank.DamagePerSecond = dps;
    rank.TopProbability = 10.0 / slot;
    rank.Overall = 10 * slot;
    return rank;
}

// Slots 2 and 4 tie on damage per second; slot 5 has none; speeds 9 and 10
// put the text order and the numeric order apart.
std::vector<TWeaponRank> Table()
{
    return {Row(1, "Cutlass", 9, 3.5, 5), Row(2, "Axe", 10, 2, 9), Row(3, "Bow", 100, 1.5, 10),
            Row(4, "Dagger", 45, 4, 9), Row(5, "Stone", 0, 0, std::nullopt)};
}

std::vector<int> Slots(const TWeaponRankingView& view)
{
    std::vector<int> order;
    for (const TWeaponRank& rank : view.Ranking()) {
        order.push_back(rank.Slot);
    }
    return order;
}

void ClickHeader(TWeaponRankingView& view, TRankColumn column)
{
    QHeaderView* head = view.horizontalHeader();
    const int section = static_cast<int>(column);
    const QPoint centre(head->sectionViewportPosition(section) + head->sectionSize(section) / 2,
                        head->height() / 2);
    QTest::mouseClick(head->viewport(), Qt::LeftButton, {}, centre);
}

void ClickRow(TWeaponRankingView& view, int row)
{
    const QRect cell = view.visualRect(view.model()->index(row, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
}

class WeaponRankingView : public testing::Test
{
protected:
    void SetUp() override
    {
        m_view.resize(700, 300);
        m_view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
        m_view.SetRanking(Table());
    }

    TWeaponRankingView m_view;
};

TEST_F(WeaponRankingView, StartsWithTheHighestDamagePerSecondOnTopTiesInTableOrder)
{
    EXPECT_EQ(m_view.objectName(), "WeaponRankingView");
    EXPECT_EQ(m_view.SortColumn(), TRankColumn::DamagePerSecond);
    EXPECT_TRUE(m_view.SortDescending());
    EXPECT_EQ(Slots(m_view), (std::vector<int>{3, 2, 4, 1, 5}));
    EXPECT_EQ(m_view.horizontalHeader()->sortIndicatorSection(),
              static_cast<int>(TRankColumn::DamagePerSecond));
    EXPECT_EQ(m_view.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(m_view.CellText(0, TRankColumn::DamagePerSecond), "10.00");
    EXPECT_EQ(m_view.CellText(4, TRankColumn::DamagePerSecond), "-");
}

TEST_F(WeaponRankingView, HeaderClicksSortBestFirstThenReverse)
{
    struct TCase
    {
        const char* Name;
        TRankColumn Column;
        std::vector<int> FirstClick;
    };
    const TCase cases[] = {
        // 100 > 45 > 10 > 9 > 0 as numbers; as texts "9" would come first.
        {"speed highest first", TRankColumn::Speed, {3, 4, 2, 1, 5}},
        {"delay shortest first", TRankColumn::Delay, {5, 3, 2, 1, 4}},
        {"name A to Z", TRankColumn::Name, {2, 3, 1, 4, 5}},
        {"overall highest first", TRankColumn::Overall, {5, 4, 3, 2, 1}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ClickHeader(m_view, c.Column);
        EXPECT_EQ(m_view.SortColumn(), c.Column);
        EXPECT_EQ(Slots(m_view), c.FirstClick);
        EXPECT_EQ(m_view.horizontalHeader()->sortIndicatorSection(), static_cast<int>(c.Column));

        ClickHeader(m_view, c.Column);
        const std::vector<int> reversed(c.FirstClick.rbegin(), c.FirstClick.rend());
        EXPECT_EQ(Slots(m_view), reversed);
        EXPECT_NE(m_view.SortDescending(), BestFirstIsDescending(c.Column));
        EXPECT_EQ(m_view.horizontalHeader()->sortIndicatorOrder(),
                  m_view.SortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
}

TEST_F(WeaponRankingView, TiesKeepTableOrderInBothDirectionsAndNoDpsStaysLast)
{
    ClickHeader(m_view, TRankColumn::Speed);
    ClickHeader(m_view, TRankColumn::DamagePerSecond);
    EXPECT_EQ(Slots(m_view), (std::vector<int>{3, 2, 4, 1, 5}));
    ClickHeader(m_view, TRankColumn::DamagePerSecond);
    EXPECT_FALSE(m_view.SortDescending());
    EXPECT_EQ(Slots(m_view), (std::vector<int>{1, 2, 4, 3, 5}));
}

TEST_F(WeaponRankingView, NewRowsKeepTheSortAndTheSelectedWeaponWithoutEmitting)
{
    ClickHeader(m_view, TRankColumn::Speed);
    ClickRow(m_view, 1);
    ASSERT_EQ(m_view.SelectedSlot(), 4);

    QSignalSpy chosen(&m_view, &TWeaponRankingView::WeaponChosen);
    std::vector<TWeaponRank> faster = Table();
    faster[3].Speed = 200;
    m_view.SetRanking(faster);
    EXPECT_EQ(m_view.SortColumn(), TRankColumn::Speed);
    EXPECT_EQ(Slots(m_view), (std::vector<int>{4, 3, 2, 1, 5}));
    EXPECT_EQ(m_view.SelectedSlot(), 4);
    EXPECT_EQ(m_view.selectionModel()->selectedRows().front().row(), 0);

    // The weapon gone, nothing stays selected.
    faster.erase(faster.begin() + 3);
    m_view.SetRanking(faster);
    EXPECT_EQ(m_view.SelectedSlot(), 0);
    m_view.SelectSlot(2);
    EXPECT_EQ(m_view.SelectedSlot(), 2);
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(WeaponRankingView, MouseAndKeyboardSelectionNameTheWeapon)
{
    QSignalSpy chosen(&m_view, &TWeaponRankingView::WeaponChosen);
    ClickRow(m_view, 2);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.takeFirst().at(0).toInt(), 4);

    QTest::keyClick(&m_view, Qt::Key_Down);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.takeFirst().at(0).toInt(), 1);

    // A click on the row already selected chooses nothing new.
    ClickRow(m_view, 3);
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(WeaponRankingView, FiguresAreFormattedAndNumbersRightAligned)
{
    TWeaponRank rank = Row(7, "Katana", 58, 1.5, 16.0 / 1.5);
    rank.Average = 16;
    rank.HQAverage = 18.25;
    rank.TopProbability = 9.376;
    rank.Overall = 87;
    m_view.SetRanking({rank});
    EXPECT_EQ(m_view.CellText(0, TRankColumn::Name), "Katana");
    EXPECT_EQ(m_view.CellText(0, TRankColumn::Speed), "58");
    EXPECT_EQ(m_view.CellText(0, TRankColumn::Delay), "1.5");
    EXPECT_EQ(m_view.CellText(0, TRankColumn::Average), "16");
    EXPECT_EQ(m_view.CellText(0, TRankColumn::HQAverage), "18.25");
    EXPECT_EQ(m_view.CellText(0, TRankColumn::DamagePerSecond), "10.67");
    EXPECT_EQ(m_view.CellText(0, TRankColumn::TopProbability), "9.38");
    EXPECT_EQ(m_view.CellText(0, TRankColumn::Overall), "87");

    const QAbstractItemModel& model = *m_view.model();
    const auto alignment = [&](TRankColumn column) {
        return model.data(model.index(0, static_cast<int>(column)), Qt::TextAlignmentRole)
                   .value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(TRankColumn::Name), Qt::AlignLeft);
    EXPECT_EQ(alignment(TRankColumn::Type), Qt::AlignLeft);
    for (const TRankColumn column : {TRankColumn::Speed, TRankColumn::Delay, TRankColumn::Average,
                                     TRankColumn::DamagePerSecond, TRankColumn::Overall}) {
        EXPECT_EQ(alignment(column), Qt::AlignRight) << static_cast<int>(column);
    }
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), "Katana");
}

TEST_F(WeaponRankingView, CopiesTheHeaderAndTheRowsInShownOrder)
{
    const QStringList lines = m_view.ToTabSeparatedText().split('\n');
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "Name\tType\tSpeed\tDelay\tAve\tHQ Ave\tDPS\tTop %\tOverall");
    EXPECT_EQ(lines[1], "Bow\tSwords\t100\t1.5\t15\t18\t10.00\t3.33\t30");
    EXPECT_EQ(lines[5], "Stone\tSwords\t0\t0\t0\t3\t-\t2.00\t50");
}

} // namespace
