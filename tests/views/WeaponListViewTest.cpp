#include "views/WeaponListView.h"

#include "expr/Exception.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const char* const Header = "Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n";

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray WeaponLine(int index, const char* name, const char* type)
{
    return QByteArray::number(index) + "," + name + ",5,29,17," + QByteArray::number(30 + index) +
           "," + type + ",2,13,3,2d13+3\n";
}

QStringList Column(const QTreeWidget& view, int column)
{
    QStringList texts;
    for (int i = 0; i < view.topLevelItemCount(); ++i) {
        texts.append(view.topLevelItem(i)->text(column));
    }
    return texts;
}

QRgb IconPixel(const QTreeWidgetItem* item)
{
    return item->icon(0).pixmap(16, 16).toImage().pixel(8, 8);
}

QTreeWidgetItem* FindRow(const QTreeWidget& view, const QString& name)
{
    const QList<QTreeWidgetItem*> found = view.findItems(name, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.front();
}

class WeaponListViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QByteArray csv = Header;
        csv += WeaponLine(0, "Katana", "Swords");
        csv += WeaponLine(1, "Hatchet", "AXE");
        csv += WeaponLine(2, "Longsword", "Sword");
        csv += WeaponLine(3, "Mace", "Mace");
        csv += WeaponLine(4, "Bow", "Archery");
        WriteFile(m_dir.filePath("WData.csv"), csv);
    }

    QTemporaryDir m_dir;
};

TEST_F(WeaponListViewTest, ShowsOneRowPerWeaponWithHiddenIndex)
{
    TWeaponListView view;
    EXPECT_EQ(view.objectName(), "WeaponListView");
    view.LoadWeapons(m_dir.path());

    EXPECT_EQ(view.Count(), 5);
    EXPECT_EQ(Column(view, 0), QStringList({"Katana", "Hatchet", "Longsword", "Mace", "Bow"}));
    EXPECT_EQ(Column(view, 1), QStringList({"0", "1", "2", "3", "4"}));
    EXPECT_EQ(Column(view, 2), QStringList({"Swords", "AXE", "Sword", "Mace", "Archery"}));
    EXPECT_TRUE(view.isColumnHidden(1));
    EXPECT_FALSE(view.isColumnHidden(0));
    EXPECT_EQ(view.columnWidth(0), 150);
    EXPECT_EQ(view.columnWidth(2), 60);
    // The hidden Index takes no room: Type follows Name directly.
    EXPECT_EQ(view.header()->sectionPosition(2), 150);
    EXPECT_EQ(view.header()->length(), 210);
    EXPECT_EQ(view.headerItem()->text(0), "Name");
    EXPECT_EQ(view.headerItem()->text(2), "Type");
    EXPECT_EQ(view.topLevelItem(0)->flags() & Qt::ItemIsEditable, Qt::NoItemFlags);
    EXPECT_EQ(view.topLevelItem(0)->data(0, Qt::CheckStateRole), QVariant());
}

TEST_F(WeaponListViewTest, IconsFollowTheExactTypeCode)
{
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(red.save(m_dir.filePath("SS.bmp"), "BMP"));

    TWeaponListView view;
    view.LoadWeapons(m_dir.path());

    // SS.bmp present: its own picture; Mace.bmp and AXE.bmp absent: white.
    EXPECT_EQ(IconPixel(FindRow(view, "Katana")), qRgb(255, 0, 0));
    EXPECT_EQ(IconPixel(FindRow(view, "Mace")), qRgb(255, 255, 255));
    EXPECT_EQ(IconPixel(FindRow(view, "Hatchet")), qRgb(255, 255, 255));
    EXPECT_FALSE(FindRow(view, "Bow")->icon(0).isNull());
    // "Sword" is not "Swords".
    EXPECT_TRUE(FindRow(view, "Longsword")->icon(0).isNull());
}

TEST_F(WeaponListViewTest, GetWeaponDataCopiesTheSelectedWeapon)
{
    TWeaponListView view;
    view.LoadWeapons(m_dir.path());

    TWDataCSVTable weapon;
    weapon.Name = "untouched";
    EXPECT_FALSE(view.GetWeaponData(weapon));
    EXPECT_EQ(weapon.Name, "untouched");

    FindRow(view, "Katana")->setSelected(true);
    ASSERT_TRUE(view.GetWeaponData(weapon));
    EXPECT_EQ(weapon.Index, 0);
    EXPECT_EQ(weapon.Name, "Katana");
    EXPECT_EQ(weapon.Type, "Swords");

    view.clearSelection();
    FindRow(view, "Bow")->setSelected(true);
    ASSERT_TRUE(view.GetWeaponData(weapon));
    EXPECT_EQ(weapon.Name, "Bow");
    EXPECT_EQ(weapon.Speed, 34);
    EXPECT_EQ(weapon.DamageNote, "2d13+3");
}

TEST_F(WeaponListViewTest, AnIndexOutsideTheTableStillGivesTheRowsOwnWeapon)
{
    QByteArray csv = Header;
    csv += WeaponLine(0, "Katana", "Swords");
    csv += WeaponLine(7, "Stray", "Mace");
    csv += WeaponLine(-1, "Negative", "Mace");
    WriteFile(m_dir.filePath("WData.csv"), csv);
    TWeaponListView view;
    view.LoadWeapons(m_dir.path());
    ASSERT_EQ(view.Count(), 3);

    for (const char* name : {"Stray", "Negative", "Katana"}) {
        SCOPED_TRACE(name);
        view.clearSelection();
        FindRow(view, name)->setSelected(true);
        TWDataCSVTable weapon;
        ASSERT_TRUE(view.GetWeaponData(weapon));
        EXPECT_EQ(weapon.Name, name);
    }
}

TEST_F(WeaponListViewTest, AMissingFileEmptiesTheListAndRaises)
{
    TWeaponListView view;
    view.LoadWeapons(m_dir.path());
    ASSERT_EQ(view.topLevelItemCount(), 5);

    QTemporaryDir empty;
    EXPECT_THROW(view.LoadWeapons(empty.path()), EFileError);
    EXPECT_EQ(view.topLevelItemCount(), 0);
    EXPECT_EQ(view.Count(), 0);
    TWDataCSVTable weapon;
    EXPECT_FALSE(view.GetWeaponData(weapon));
}

TEST_F(WeaponListViewTest, ABadLineEmptiesTheListAndRaises)
{
    QByteArray csv = Header;
    csv += WeaponLine(0, "Katana", "Swords");
    csv += "1,Broken,5,29,17,fast,Mace,2,13,3,note\n";
    WriteFile(m_dir.filePath("WData.csv"), csv);
    TWeaponListView view;
    try {
        view.LoadWeapons(m_dir.path());
        FAIL() << "no exception";
    } catch (const EFileError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith("Error in the CSV file."));
    }
    EXPECT_EQ(view.topLevelItemCount(), 0);
}

TEST(WeaponListViewSort, NextSortColumnFollowsTheClickRule)
{
    struct
    {
        const char* name;
        int current;
        int position;
        int expected;
    } const cases[] = {
        {"first click on Name", 0, 0, 1},         {"second click on Name", 1, 0, -1},
        {"third click on Name", -1, 0, 1},        {"Type after Name", 1, 2, 3},
        {"Type after Name descending", -1, 2, 3}, {"Type again", 3, 2, -3},
        {"Name after Type descending", -3, 0, 1}, {"Index first", 0, 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TWeaponListView::NextSortColumn(c.current, c.position), c.expected);
    }
}

class WeaponListViewSortTest : public WeaponListViewTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QByteArray csv = Header;
        const char* const names[] = {"Kryss", "Axe",    "Bardiche", "Club",    "Dagger", "Estoc",
                                     "Flail", "Glaive", "Halberd",  "Javelin", "Lance",  "Maul"};
        const char* const types[] = {"Fencing", "AXE",   "AXE",    "Mace",  "Fencing", "Swords",
                                     "Mace",    "Staff", "Swords", "Staff", "Fencing", "Mace"};
        for (int i = 0; i < 12; ++i) {
            csv += WeaponLine(i, names[i], types[i]);
        }
        WriteFile(m_dir.filePath("WData.csv"), csv);
        m_view.LoadWeapons(m_dir.path());
    }

    TWeaponListView m_view;
};

TEST_F(WeaponListViewSortTest, SortsByNameBothWays)
{
    m_view.SetSortColumn(1);
    const QStringList ascending = {"Axe",    "Bardiche", "Club",    "Dagger", "Estoc", "Flail",
                                   "Glaive", "Halberd",  "Javelin", "Kryss",  "Lance", "Maul"};
    EXPECT_EQ(Column(m_view, 0), ascending);
    m_view.SetSortColumn(-1);
    QStringList descending(ascending.rbegin(), ascending.rend());
    EXPECT_EQ(Column(m_view, 0), descending);
}

TEST_F(WeaponListViewSortTest, SortsByTypeAndIndexAsText)
{
    m_view.SetSortColumn(3);
    const QStringList types = Column(m_view, 2);
    EXPECT_EQ(types, QStringList({"AXE", "AXE", "Fencing", "Fencing", "Fencing", "Mace", "Mace",
                                  "Mace", "Staff", "Staff", "Swords", "Swords"}));

    m_view.SetSortColumn(2);
    EXPECT_EQ(Column(m_view, 1),
              QStringList({"0", "1", "10", "11", "2", "3", "4", "5", "6", "7", "8", "9"}));
    m_view.SetSortColumn(-2);
    EXPECT_EQ(Column(m_view, 1).first(), "9");
    EXPECT_EQ(Column(m_view, 1).last(), "0");

    m_view.SetSortColumn(0);
    EXPECT_EQ(Column(m_view, 1),
              QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}));
}

TEST_F(WeaponListViewSortTest, SortingKeepsTheSelectedWeapon)
{
    FindRow(m_view, "Glaive")->setSelected(true);
    m_view.SetSortColumn(-1);
    TWDataCSVTable weapon;
    ASSERT_TRUE(m_view.GetWeaponData(weapon));
    EXPECT_EQ(weapon.Name, "Glaive");
    EXPECT_EQ(weapon.Index, 7);
}

TEST_F(WeaponListViewSortTest, HeaderClicksDriveTheSortAsTheMainWindowDoes)
{
    m_view.resize(300, 400);
    m_view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
    QSignalSpy spy(&m_view, &TWeaponListView::ColumnClicked);
    QObject::connect(&m_view, &TWeaponListView::ColumnClicked, &m_view, [this](int position) {
        m_view.SetSortColumn(TWeaponListView::NextSortColumn(m_view.SortColumn(), position));
    });
    QHeaderView* header = m_view.header();
    auto click = [header](int section) {
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };

    click(0);
    EXPECT_EQ(m_view.SortColumn(), 1);
    EXPECT_EQ(Column(m_view, 0).first(), "Axe");
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    click(0);
    EXPECT_EQ(m_view.SortColumn(), -1);
    EXPECT_EQ(Column(m_view, 0).first(), "Maul");
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    click(2);
    EXPECT_EQ(m_view.SortColumn(), 3);
    EXPECT_EQ(Column(m_view, 2).first(), "AXE");
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 0);
    EXPECT_EQ(spy.at(2).at(0).toInt(), 2);
}

TEST_F(WeaponListViewSortTest, ClicksAndArrowKeysPickAWeapon)
{
    m_view.resize(300, 600);
    m_view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
    QSignalSpy spy(&m_view, &TWeaponListView::WeaponClicked);

    // Below the last row: nothing selected, nothing to compute.
    QTest::mouseClick(m_view.viewport(), Qt::LeftButton, {},
                      QPoint(20, m_view.viewport()->height() - 5));
    EXPECT_EQ(spy.count(), 0);

    const QRect row = m_view.visualItemRect(FindRow(m_view, "Club"));
    QTest::mouseClick(m_view.viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(spy.count(), 1);
    TWDataCSVTable weapon;
    ASSERT_TRUE(m_view.GetWeaponData(weapon));
    EXPECT_EQ(weapon.Name, "Club");

    QTest::keyClick(&m_view, Qt::Key_Down);
    EXPECT_EQ(spy.count(), 2);
    ASSERT_TRUE(m_view.GetWeaponData(weapon));
    EXPECT_EQ(weapon.Name, "Dagger");
}

TEST_F(WeaponListViewSortTest, TypingTheFirstLettersPicksAWeapon)
{
    m_view.resize(300, 600);
    m_view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
    m_view.setFocus();
    QSignalSpy spy(&m_view, &TWeaponListView::WeaponClicked);
    TWDataCSVTable weapon;
    const int interval = QApplication::keyboardInputInterval();

    struct TCase
    {
        const char* typed;
        const char* picked;
        int picks;
    } const cases[] = {
        {"gl", "Glaive", 1},
        // Letters of no name leave the pick, and compute nothing again.
        {"zz", "Glaive", 1},
        {"k", "Kryss", 2},
        // Upper case finds the same names.
        {"DA", "Dagger", 3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.typed);
        // The first letter starts a new search, as after a pause; the others
        // follow within the typing interval, however slow the machine.
        const QString typed = QString::fromLatin1(c.typed);
        QApplication::setKeyboardInputInterval(0);
        QTest::qWait(5);
        QTest::keyClick(&m_view, typed.front().toLatin1());
        QApplication::setKeyboardInputInterval(60000);
        QTest::keyClicks(&m_view, typed.mid(1));
        ASSERT_TRUE(m_view.GetWeaponData(weapon));
        EXPECT_EQ(weapon.Name, c.picked);
        EXPECT_EQ(spy.count(), c.picks);
    }
    QApplication::setKeyboardInputInterval(interval);
}

} // namespace
