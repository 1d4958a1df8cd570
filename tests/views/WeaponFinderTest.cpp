#include "views/WeaponFinder.h"
#include "views/WeaponFilter.h"
#include "views/WeaponListView.h"
#include "views/WeaponRankingView.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

TEST(WeaponFilterRule, NamePartInAnyCaseAndExactType)
{
    struct TCase
    {
        const char* Name;
        TWeaponFilter Filter;
        const char* Weapon;
        const char* Type;
        bool Passes;
    } const cases[] = {
        {"empty lets all through", {}, "Katana", "Sword", true},
        {"part in other case", {"KAT", ""}, "Katana", "Swords", true},
        {"part at the end", {"tana", ""}, "Katana", "Swords", true},
        {"longer than the name", {"Katanas", ""}, "Katana", "Swords", false},
        {"katakana part", {"タナ", ""}, "カタナ", "Swords", true},
        {"hiragana is not katakana", {"かた", ""}, "カタナ", "Swords", false},
        {"full-width letters fold", {"ｋａｔ", ""}, "ＫＡＴＡＮＡ", "Swords", true},
        {"full-width is not ASCII", {"kat", ""}, "ＫＡＴＡＮＡ", "Swords", false},
        {"accented capitals fold", {"äxt", ""}, "GROSSE ÄXTE", "AXE", true},
        {"type alone", {"", "AXE"}, "Hatchet", "AXE", true},
        {"other type", {"", "AXE"}, "Katana", "Swords", false},
        {"type is exact", {"", "Swords"}, "Longsword", "Sword", false},
        {"type keeps its case", {"", "axe"}, "Hatchet", "AXE", false},
        {"both pass", {"axe", "Mace"}, "War Axe", "Mace", true},
        {"name passes, type not", {"axe", "AXE"}, "War Axe", "Mace", false},
        {"type passes, name not", {"axe", "AXE"}, "Hatchet", "AXE", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PassesWeaponFilter(c.Filter, QString::fromUtf8(c.Weapon), c.Type), c.Passes);
    }
}

TEST(WeaponFilterRule, ANarrowerFilterPassesOnlyWhatTheWiderOnePasses)
{
    struct TCase
    {
        const char* Name;
        TWeaponFilter Wider;
        TWeaponFilter Narrower;
        bool Narrows;
    } const cases[] = {
        {"one more letter", {"ka", ""}, {"kat", ""}, true},
        {"a letter in front, other case", {"ka", ""}, {"SKA", ""}, true},
        {"full-width, other case", {"ｋ", ""}, {"ＫＡ", ""}, true},
        {"a type added", {"ka", ""}, {"ka", "AXE"}, true},
        {"a letter less", {"kat", ""}, {"ka", ""}, false},
        {"another part", {"ka", ""}, {"ta", ""}, false},
        {"the type changed", {"ka", "Mace"}, {"ka", "AXE"}, false},
        {"the type dropped", {"ka", "AXE"}, {"kat", ""}, false},
    };
    const std::pair<QString, QString> weapons[] = {
        {"Katana", "Swords"},    {"Skinning Knife", "Swords"}, {"Pickaxe", "AXE"},
        {"ＫＡＴＡＮＡ", "AXE"}, {"Hammer Pick", "Mace"},      {"Tribal Spear", "Fencing"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(NarrowsWeaponFilter(c.Wider, c.Narrower), c.Narrows);
        for (const auto& [name, type] : weapons) {
            if (c.Narrows && PassesWeaponFilter(c.Narrower, name, type)) {
                EXPECT_TRUE(PassesWeaponFilter(c.Wider, name, type)) << name.toStdString();
            }
        }
    }
}

// The bundled table in the list, its ranking, and the search row wired to
// both as the window wires them.
class WeaponFinderPage : public testing::Test
{
protected:
    void SetUp() override
    {
        m_list.LoadWeapons(QStringLiteral(QUILLMARCH_DATA_DIR));
        m_ranking.SetRanking(TWeaponRanking().Rank(m_list.Table()));
        m_finder.SetTypeIcons(m_list.TypeIcons());
        QObject::connect(&m_finder, &TWeaponFinder::FilterChanged, &m_list,
                         &TWeaponListView::SetFilter);
        QObject::connect(&m_finder, &TWeaponFinder::FilterChanged, &m_ranking,
                         &TWeaponRankingView::SetFilter);
        m_list.resize(250, 900);
        m_list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_list));
    }

    QStringList ShownNames() const
    {
        QStringList names;
        for (int row = 0; row < m_list.topLevelItemCount(); ++row) {
            names.append(m_list.topLevelItem(row)->text(0));
        }
        return names;
    }

    bool Escape()
    {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(m_edit, &escape);
        return escape.isAccepted();
    }

    TWeaponListView m_list;
    TWeaponRankingView m_ranking;
    TWeaponFinder m_finder;
    QLineEdit* m_edit = m_finder.findChild<QLineEdit*>("WeaponSearchEdit");
    QComboBox* m_type = m_finder.findChild<QComboBox*>("WeaponTypeFilter");
};

TEST_F(WeaponFinderPage, ListAndRankingShowTheSameWeapons)
{
    struct TCase
    {
        TWeaponFilter Filter;
        int SortColumn;
        QStringList Shown;
    } const cases[] = {
        {{"axe", ""},
         0,
         {"Axe", "Battle Axe", "Double Axe", "Executioner's Axe", "Large Battle Axe",
          "Two Handed Axe", "Pickaxe", "War Axe"}},
        {{"AXE", "AXE"},
         -1,
         {"Two Handed Axe", "Pickaxe", "Large Battle Axe", "Executioner's Axe", "Double Axe",
          "Battle Axe", "Axe"}},
        {{"", "Staff"}, 0, {"Black Staff", "Gnarled Staff", "Quarter Staff", "Shepherd's Crook"}},
        {{"staff", "Mace"}, 0, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Filter.Text.toStdString() + "/" + c.Filter.Type.toStdString());
        m_list.SetSortColumn(c.SortColumn);
        m_finder.SetFilter(c.Filter);
        EXPECT_EQ(ShownNames(), c.Shown);
        EXPECT_EQ(m_list.ShownCount(), c.Shown.size());
        std::set<QString> ranked;
        for (const TWeaponRank& rank : m_ranking.Ranking()) {
            ranked.insert(QString::fromStdString(rank.Name));
        }
        EXPECT_EQ(ranked, std::set<QString>(c.Shown.begin(), c.Shown.end()));
    }
    // A reloaded table is filtered as it appears.
    m_finder.SetFilter({"axe", ""});
    m_list.LoadWeapons(QStringLiteral(QUILLMARCH_DATA_DIR));
    EXPECT_EQ(ShownNames().size(), 8);
}

TEST_F(WeaponFinderPage, AWeaponTheFilterHidesStaysSelected)
{
    constexpr int Katana = 3;
    ASSERT_TRUE(m_list.SelectSlot(Katana));
    m_ranking.SelectSlot(Katana);
    QSignalSpy clicked(&m_list, &TWeaponListView::WeaponClicked);
    QSignalSpy chosen(&m_ranking, &TWeaponRankingView::WeaponChosen);

    QTest::keyClicks(m_edit, "axe");
    EXPECT_EQ(m_finder.Filter().Text, "axe");
    EXPECT_TRUE(m_list.findItems("Katana", Qt::MatchExactly).isEmpty());
    EXPECT_EQ(m_list.SelectedSlot(), Katana);
    TWDataCSVTable weapon;
    ASSERT_TRUE(m_list.GetWeaponData(weapon));
    EXPECT_EQ(weapon.Name, "Katana");
    EXPECT_EQ(m_ranking.SelectedSlot(), 0);

    // Picking a hidden weapon elsewhere keeps the search as typed.
    constexpr int Cutlass = 2;
    EXPECT_TRUE(m_list.SelectSlot(Cutlass));
    EXPECT_EQ(m_list.SelectedSlot(), Cutlass);
    EXPECT_TRUE(m_list.findItems("Cutlass", Qt::MatchExactly).isEmpty());
    m_ranking.SelectSlot(Cutlass);
    EXPECT_EQ(m_finder.Filter().Text, "axe");

    EXPECT_TRUE(Escape());
    EXPECT_TRUE(m_finder.Filter().IsEmpty());
    EXPECT_EQ(m_list.ShownCount(), 41);
    ASSERT_EQ(m_list.selectedItems().size(), 1);
    EXPECT_EQ(m_list.selectedItems().front()->text(0), "Cutlass");
    EXPECT_EQ(m_ranking.SelectedSlot(), Cutlass);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(WeaponFinderPage, EscapeClearsTheFieldAndKeepsTheType)
{
    QSignalSpy changed(&m_finder, &TWeaponFinder::FilterChanged);
    m_type->setCurrentIndex(m_type->findText("AXE"));
    EXPECT_FALSE(m_type->itemIcon(m_type->currentIndex()).isNull());
    QTest::keyClicks(m_edit, "Bat");
    ASSERT_EQ(changed.count(), 4);
    EXPECT_EQ(m_finder.Filter(), (TWeaponFilter{"Bat", "AXE"}));
    EXPECT_EQ(m_list.ShownCount(), 2);

    EXPECT_TRUE(Escape());
    EXPECT_EQ(m_edit->text(), "");
    EXPECT_EQ(m_finder.Filter(), (TWeaponFilter{"", "AXE"}));
    EXPECT_EQ(m_list.ShownCount(), 8);
    // An empty field lets Escape go on to the window.
    EXPECT_FALSE(Escape());
    EXPECT_EQ(changed.count(), 5);

    m_finder.SetFilter({"kat", ""});
    EXPECT_EQ(changed.count(), 6);
    EXPECT_EQ(m_edit->text(), "kat");
    EXPECT_EQ(m_type->currentIndex(), 0);
}

} // namespace
