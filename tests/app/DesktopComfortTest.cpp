#include "MainFormFixture.h"

#include "app/Application.h"
#include "app/Main.h"
#include "app/Messages.h"
#include "views/WeaponDamageSpreadChart.h"
#include "views/WeaponDataGrid.h"
#include "views/WeaponListView.h"
#include "views/WeaponRaderChart.h"
#include "views/WeaponSpeedGrid.h"
#include "weapons/NumberFormat.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The speed grid's rows for the standard formula, merged by hand: a DEX row
// of ranges above a delay row, eight cells a row, column 0 taken from the
// second pair of rows on.
QStringList ExpectedSpeedLines(int speed)
{
    QList<QStringList> rows(19, QStringList(8, QString()));
    rows[0][0] = QStringLiteral("DEX");
    rows[1][0] = QStringLiteral("SPEED");
    const auto delay = [speed](int dex) {
        return std::ceil(15000 / ((25 + 2.5 * dex) * speed) * 2) / 2;
    };
    int start = 0, column = 1, row = 0;
    for (int n = 0; n <= 200; ++n) {
        if (n < 200 && delay(n) == delay(n + 1)) {
            continue;
        }
        if (column > 7) {
            column = 0;
            row += 2;
        }
        rows[row][column] = start == n
                                ? QString::number(n)
                                : QString::number(start) + QChar(0x301C) + QString::number(n);
        rows[row + 1][column] = QString::number(delay(n)) + QStringLiteral("sec");
        start = n + 1;
        ++column;
    }
    QStringList lines;
    for (const QStringList& cells : rows) {
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines;
}

QAction* MenuAction(const TMainForm& form, const char* name)
{
    return Child<QAction>(form, name);
}

// Typing within the list's search interval, whatever the machine's load.
void TypeSearch(QWidget* list, const QString& text)
{
    const int interval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(60000);
    QTest::keyClicks(list, text);
    QApplication::setKeyboardInputInterval(interval);
}

} // namespace

class DesktopComfortTest : public QObject, private TMainFormFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void captionIconAndDesktopEntry();
    void fileMenuHoldsSaveAboveExit();
    void ctrlCOnTheGridsCopiesTabSeparatedTables();
    void ctrlCOnTheRadarPageCopiesItsPicture();
    void savePageWritesTheWholePageAsPng_data();
    void savePageWritesTheWholePageAsPng();
    void savePageCancelledOrFailing();
    void ctrlQClosesAndSaves();
    void typingAWeaponNamePicksAndRecomputes();
    void windowPlaceIsRememberedBesideTheSettings();
    void maximisedWindowComesBackMaximised();
    void unusableWindowPlacesAreIgnored_data();
    void unusableWindowPlacesAreIgnored();
    void aHugeStoredWindowIsShrunkOntoTheScreen();
    void aFullDiskLeavesEveryWrittenFileWhole_data();
    void aFullDiskLeavesEveryWrittenFileWhole();

private:
    TWDataCSVTable SelectWeapon(TMainForm& form, const QString& name);
    QString IniPath() const { return m_dataDir->filePath(QStringLiteral("Option.ini")); }
};

void DesktopComfortTest::init()
{
    SetUpFolders();
}

void DesktopComfortTest::cleanup()
{
    TearDownMessages();
}

TWDataCSVTable DesktopComfortTest::SelectWeapon(TMainForm& form, const QString& name)
{
    auto* list = Child<TWeaponListView>(form, "WeaponListView");
    const auto found = list->findItems(name, Qt::MatchExactly, 0);
    if (found.isEmpty()) {
        qWarning("no weapon %s", qPrintable(name));
        return {};
    }
    list->scrollToItem(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.front()).center());
    TWDataCSVTable weapon;
    list->GetWeaponData(weapon);
    return weapon;
}

void DesktopComfortTest::captionIconAndDesktopEntry()
{
    auto form = MakeForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("QuillmarchVer1.02"));
    // No display name is set, so the platform appends nothing to the title:
    // an unset display name follows the application name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const QString display = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    QCOMPARE(display, QStringLiteral("probe"));

    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("io.github.quillmarch.Quillmarch"));
    QVERIFY(!QApplication::windowIcon().isNull());
    QVERIFY(!form->windowIcon().isNull());
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage image(QStringLiteral(":/icons/quillmarch-%1.png").arg(size));
        QCOMPARE(image.size(), QSize(size, size));
    }
}

void DesktopComfortTest::fileMenuHoldsSaveAboveExit()
{
    auto form = MakeForm();
    auto* fileMenu = Child<QMenu>(*form, "MenuFile");
    const QList<QAction*> items = fileMenu->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->text(), QStringLiteral("Save page as PNG\u2026"));
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2]->text(), QStringLiteral("Exit"));
    QVERIFY(items[2]->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
}

void DesktopComfortTest::ctrlCOnTheGridsCopiesTabSeparatedTables()
{
    auto form = ShownForm();
    const TWDataCSVTable katana = SelectWeapon(*form, QStringLiteral("Katana"));
    QCOMPARE(katana.Name, std::string("Katana"));
    const TWeaponDamges calc = Expected(katana, TStats{}, TOptionRecord());
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* pages = Child<QTabWidget>(*form, "PageControl");

    auto* grid = Child<TWeaponDataGrid>(*form, "WeaponDataGrid");
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(150, 30));
    QVERIFY(grid->hasFocus());
    clipboard->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = clipboard->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 19);
    QCOMPARE(lines[0], QStringLiteral("\t\tNormal\tRuin\tMight\tForce\tPower\tVanquishing"));
    // Accuracy "Eminently" (level 3), its high figures, all six damage levels.
    QStringList eminentHigh{QStringLiteral("Eminently"), QStringLiteral("High")};
    for (int d = 0; d < 6; ++d) {
        eminentHigh << General(calc.Table()[3][d][1]);
    }
    QCOMPARE(lines[3 * 3 + 2], eminentHigh.join(QLatin1Char('\t')));
    QStringList eminentAve{QString(), QStringLiteral("Ave")};
    for (int d = 0; d < 6; ++d) {
        eminentAve << General(calc.Table()[3][d][2]);
    }
    QCOMPARE(lines[3 * 3 + 3], eminentAve.join(QLatin1Char('\t')));

    pages->setCurrentIndex(2);
    auto* speedGrid = Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid");
    QTest::mouseClick(speedGrid, Qt::LeftButton, {}, QPoint(150, 30));
    QVERIFY(speedGrid->hasFocus());
    clipboard->clear();
    QTest::keyClick(speedGrid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text().split(QLatin1Char('\n')), ExpectedSpeedLines(katana.Speed));
    QVERIFY(m_messages.isEmpty());
}

void DesktopComfortTest::ctrlCOnTheRadarPageCopiesItsPicture()
{
    auto form = ShownForm();
    SelectWeapon(*form, QStringLiteral("War Hammer"));
    Child<QTabWidget>(*form, "PageControl")->setCurrentIndex(3);
    auto* radar = Child<TWeaponRaderChart>(*form, "WeaponRaderChart");
    QTest::mouseClick(radar, Qt::LeftButton, {}, radar->rect().center());
    QVERIFY(radar->hasFocus());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    QTest::keyClick(radar, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->image().size(), radar->size());
    QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32),
             radar->RenderPicture().convertToFormat(QImage::Format_RGB32));
}

void DesktopComfortTest::savePageWritesTheWholePageAsPng_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<bool>("exact");
    QTest::newRow("damage grid") << 0 << "MagicDamages.png" << true;
    QTest::newRow("spread chart") << 1 << "SpreadChart.png" << false;
    QTest::newRow("speed grid") << 2 << "WeaponSpeed.png" << true;
    QTest::newRow("radar chart") << 3 << "RaderChart.png" << true;
}

void DesktopComfortTest::savePageWritesTheWholePageAsPng()
{
    QFETCH(int, page);
    QFETCH(QString, suggested);
    QFETCH(bool, exact);
    auto form = ShownForm();
    // The smallest window shows only part of a grid.
    form->resize(form->minimumSize());
    SelectWeapon(*form, QStringLiteral("Katana"));
    auto* pages = Child<QTabWidget>(*form, "PageControl");
    pages->setCurrentIndex(page);
    QTest::qWait(50);

    QString offered;
    const QString chosen = m_configDir->filePath(QStringLiteral("page.png"));
    form->SetSavePathAsker([&](const QString& path) {
        offered = path;
        return chosen;
    });
    MenuAction(*form, "MenuSavePage")->trigger();
    QCOMPARE(QFileInfo(offered).fileName(), suggested);

    QImage saved;
    QVERIFY(saved.load(chosen, "PNG"));
    QWidget* shown = form->CurrentPage();
    QCOMPARE(saved.size(), shown->size());
    if (auto* scroll = qobject_cast<QScrollArea*>(pages->currentWidget())) {
        QCOMPARE(shown, scroll->widget());
        QVERIFY(shown->height() > scroll->viewport()->height());
    }
    if (exact) {
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
                 shown->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
    QVERIFY(m_messages.isEmpty());
}

void DesktopComfortTest::savePageCancelledOrFailing()
{
    auto form = MakeForm();
    QString answer;
    form->SetSavePathAsker([&](const QString&) { return answer; });

    // Cancelled: nothing written, nothing said.
    MenuAction(*form, "MenuSavePage")->trigger();
    QVERIFY(m_messages.isEmpty());

    // A name without suffix gets ".png".
    answer = m_configDir->filePath(QStringLiteral("bare"));
    MenuAction(*form, "MenuSavePage")->trigger();
    QVERIFY(QImage(answer + QStringLiteral(".png")).size() == form->CurrentPage()->size());
    QVERIFY(!QFile::exists(answer));

    // A folder that is not there: reported, and nothing left behind.
    answer = m_configDir->filePath(QStringLiteral("missing/page.png"));
    MenuAction(*form, "MenuSavePage")->trigger();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].startsWith(QStringLiteral("PNGファイルを保存できませんでした。")));
    QVERIFY(m_messages[0].contains(QStringLiteral("page.png")));
    QVERIFY(!QFile::exists(answer));

    // A folder in the way of the file: reported, the folder left alone.
    QVERIFY(QDir(m_configDir->path()).mkdir(QStringLiteral("taken.png")));
    QVERIFY(!form->SavePageAsPng(m_configDir->filePath(QStringLiteral("taken.png"))));
    QCOMPARE(m_messages.size(), 2);
    QVERIFY(QFileInfo(m_configDir->filePath(QStringLiteral("taken.png"))).isDir());
}

void DesktopComfortTest::ctrlQClosesAndSaves()
{
    auto form = ShownForm();
    QVERIFY(form->isVisible());
    QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!form->isVisible());
    QVERIFY(QString::fromUtf8(ReadFile(IniPath())).startsWith(StandardSettings));
}

void DesktopComfortTest::typingAWeaponNamePicksAndRecomputes()
{
    auto form = ShownForm();
    auto* list = Child<TWeaponListView>(*form, "WeaponListView");
    list->setFocus();
    // "s" alone finds the first S weapon; "sk" goes on to the one that fits.
    TypeSearch(list, QStringLiteral("sk"));
    TWDataCSVTable weapon;
    QVERIFY(list->GetWeaponData(weapon));
    QCOMPARE(weapon.Name, std::string("Skinning Knife"));
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("Skinning Knife"));
    const TWeaponDamges calc = Expected(weapon, TStats{}, TOptionRecord());
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(), General(calc.HQAve()));
    QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->CellText(7, 18),
             General(calc.Table()[5][5][2]));
    QCOMPARE(Child<TWeaponRaderChart>(*form, "WeaponRaderChart")->RaderChartData().Speed,
             weapon.Speed);
    QCOMPARE(Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid")->WeaponSpeedData().Name,
             weapon.Name);
}

void DesktopComfortTest::windowPlaceIsRememberedBesideTheSettings()
{
    {
        auto form = ShownForm();
        form->setGeometry(30, 40, 700, 420);
        auto* splitter = Child<QSplitter>(*form, "Splitter");
        splitter->setSizes({300, 700 - 300 - splitter->handleWidth()});
        QCOMPARE(form->Placement().Splitter, 300);
        form->close();
    }
    QCOMPARE(QString::fromUtf8(ReadFile(IniPath())),
             StandardSettings + QStringLiteral("[Window]\nLeft=30\nTop=40\nWidth=700\n"
                                               "Height=420\nMaximized=0\nSplitter=300\n"));

    auto form = ShownForm();
    QCOMPARE(form->geometry(), QRect(30, 40, 700, 420));
    QVERIFY(!form->isMaximized());
    QCOMPARE(Child<QSplitter>(*form, "Splitter")->sizes().value(0), 300);
    QCOMPARE(form->OptionRecord(), TOptionRecord());
    QVERIFY(m_messages.isEmpty());
}

void DesktopComfortTest::maximisedWindowComesBackMaximised()
{
    {
        auto form = ShownForm();
        form->setGeometry(20, 30, 680, 400);
        form->showMaximized();
        QTRY_VERIFY(form->isMaximized());
        form->close();
    }
    const QString written = QString::fromUtf8(ReadFile(IniPath()));
    // The normal size is kept, for when the user leaves the maximised state.
    QVERIFY2(written.contains(QStringLiteral("Left=20\nTop=30\nWidth=680\nHeight=400\n"
                                             "Maximized=1\n")),
             qPrintable(written));

    auto form = MakeForm();
    QVERIFY(form->isMaximized());
    QCOMPARE(form->Placement().Width, 680);
    QCOMPARE(form->Placement().Height, 400);
}

void DesktopComfortTest::unusableWindowPlacesAreIgnored_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("used");
    const auto place = [](const char* left, const char* top, const char* width,
                          const char* height) {
        return QStringLiteral("Left=%1\nTop=%2\nWidth=%3\nHeight=%4\n")
            .arg(QLatin1String(left), QLatin1String(top), QLatin1String(width),
                 QLatin1String(height));
    };
    QTest::newRow("usable") << place("10", "20", "700", "400") << true;
    QTest::newRow("narrower than the minimum") << place("10", "20", "600", "400") << false;
    QTest::newRow("lower than the minimum") << place("10", "20", "700", "300") << false;
    QTest::newRow("off every screen") << place("5000", "5000", "700", "400") << false;
    QTest::newRow("a sliver at the right") << place("760", "20", "700", "400") << false;
    QTest::newRow("title above the screen") << place("10", "-200", "700", "400") << false;
    QTest::newRow("not a number") << place("ten", "20", "700", "400") << false;
    QTest::newRow("a key missing") << QStringLiteral("Left=10\nTop=20\nWidth=700\n") << false;
    QTest::newRow("near the integer limit") << place("2147483000", "20", "700", "400") << false;
}

void DesktopComfortTest::unusableWindowPlacesAreIgnored()
{
    QFETCH(QString, window);
    QFETCH(bool, used);
    const QRect design = MakeForm()->geometry();
    QFile file(IniPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((StandardSettings + QStringLiteral("[Window]\n") + window).toUtf8());
    file.close();

    auto form = MakeForm();
    QCOMPARE(form->geometry(), used ? QRect(10, 20, 700, 400) : design);
    QVERIFY(!form->isMaximized());
    QVERIFY(m_messages.isEmpty());
}

void DesktopComfortTest::aHugeStoredWindowIsShrunkOntoTheScreen()
{
    WriteFile(IniPath(), StandardSettings.toUtf8() +
                             "[Window]\nLeft=10\nTop=20\nWidth=100000\nHeight=100000\n");
    // Shown and painted: a window this size once crashed in its first paint.
    auto form = ShownForm();
    QVERIFY(!form->grab().isNull());
    QCOMPARE(form->size(), QSize(800, 800));
}

void DesktopComfortTest::aFullDiskLeavesEveryWrittenFileWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("settings at close")
        << QStringLiteral("Option.ini") << QStringLiteral("Option.iniを保存できませんでした。");
    QTest::newRow("page picture") << QStringLiteral("page.png")
                                  << QStringLiteral("PNGファイルを保存できませんでした。");
}

void DesktopComfortTest::aFullDiskLeavesEveryWrittenFileWhole()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString path = m_dataDir->filePath(name);
    const QByteArray old = "[Base]\nDecimal=2\n";
    WriteFile(path, old);
    auto form = MakeForm();
    // 100 bytes take the old file but neither the new settings nor a picture.
    const QString said = MessagesOfChild(
        [&] {
            if (name == QLatin1String("Option.ini")) {
                form->close();
            } else {
                form->SavePageAsPng(path);
            }
        },
        100);
    QCOMPARE(ReadFile(path), old);
    QCOMPARE(QDir(m_dataDir->path()).entryList(QDir::Files), QStringList({name, "WData.csv"}));
    QVERIFY2(said.startsWith(message), qPrintable(said));
    QVERIFY2(said.contains(QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                           QString::fromLocal8Bit(std::strerror(EFBIG))),
             qPrintable(said));
}

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    DesktopComfortTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopComfortTest.moc"
