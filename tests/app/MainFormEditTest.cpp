#include "MainFormFixture.h"

#include "app/Application.h"
#include "app/FormulaCheck.h"
#include "app/Main.h"
#include "views/WeaponDamageSpreadChart.h"
#include "views/WeaponDataGrid.h"
#include "views/WeaponRaderChart.h"
#include "views/WeaponRankingView.h"
#include "views/WeaponSpeedGrid.h"
#include "weapons/CompareTable.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QUndoStack>

// A user's action on the window, as a test row holds it.
using TStep = std::function<void(TMainForm&)>;
Q_DECLARE_METATYPE(TStep)

// Named profiles, undo and redo, the finder, a setup as text and the HQ
// figures' working, as the user reaches them from the window.
class MainFormEditTest : public QObject, private TMainFormFixture
{
    Q_OBJECT

private slots:
    void init() { SetUpFolders(); }
    void cleanup() { TearDownMessages(); }

    void profilesSurviveARestartAndUnreadableEntriesAreNamedOnce();
    void aProfileNameTakenByAnotherIsRefused_data();
    void aProfileNameTakenByAnotherIsRefused();
    void choosingAProfileRecomputesOnceAndChangesShowAsModified();
    void undoRestoresEveryPageAndRedoRepeatsTheStep_data();
    void undoRestoresEveryPageAndRedoRepeatsTheStep();
    void aHeldArrowKeyIsOneStepAndCtrlZWorksInASpinBox();
    void ctrlFSearchesTheListAndTheRankingAlike();
    void aPastedSetupIsTheCopiedOneAndOneStep();
    void aSetupTextThatCannotBeUsedChangesNothing_data();
    void aSetupTextThatCannotBeUsedChangesNothing();
    void hqTooltipsShowHowTheFiguresWereReached();
};

namespace {

QComboBox* ProfileBox(const TMainForm& form)
{
    return Child<QComboBox>(form, "ComboProfile");
}

void SaveProfileAs(TMainForm& form, const QString& name)
{
    ProfileBox(form)->setEditText(name);
    Child<QAction>(form, "ActionProfileSave")->trigger();
}

// The profile box's entries, the one shown last.
QStringList Profiles(const TMainForm& form)
{
    QStringList texts;
    for (int i = 0; i < ProfileBox(form)->count(); ++i) {
        texts << ProfileBox(form)->itemText(i);
    }
    return texts << ProfileBox(form)->currentText();
}

// Everything the pages and the controls show, so that two moments of the
// window compare in one go.
QStringList Shown(const TMainForm& form)
{
    QStringList shown;
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        shown << label->text() + label->toolTip();
    }
    for (const QSpinBox* spin : form.findChildren<QSpinBox*>()) {
        shown << QString::number(spin->value());
    }
    const auto* grid = Child<TWeaponDataGrid>(form, "WeaponDataGrid");
    const auto* speed = Child<TWeaponSpeedGrid>(form, "WeaponSpeedGrid");
    for (int cell = 0; cell < TWeaponDataGrid::ColumnCount * 40; ++cell) {
        shown << grid->CellText(cell % 8, cell / 8) << speed->CellText(cell % 8, cell / 8);
    }
    for (const TSetupFigures& figures : form.CompareFigures()) {
        for (int row = 0; row < CompareRowCount; ++row) {
            shown << QString::fromStdString(CompareCellText(figures, TCompareRow(row)));
        }
    }
    const TRaderChartData radar =
        Child<TWeaponRaderChart>(form, "WeaponRaderChart")->RaderChartData();
    const auto* spread = Child<TWeaponDamageSpreadChart>(form, "WeaponDamageSpreadChart");
    return shown << Child<TWeaponRankingView>(form, "WeaponRankingView")->ToTabSeparatedText()
                 << QString::number(radar.Damage) << QString::number(radar.TopProbability)
                 << QString::number(spread->Spread().DiceSides())
                 << QString::number(spread->View3D()) << ProfileBox(form)->currentText();
}

} // namespace

void MainFormEditTest::profilesSurviveARestartAndUnreadableEntriesAreNamedOnce()
{
    const QString ini = m_dataDir->filePath(QStringLiteral("Option.ini"));
    WriteFile(ini, "[Other]\nKey=kept\n[Profiles]\nCount=5\n"
                   "Name1=Warrior\nStats1=120,80,30,100,90,0\n"
                   "Name2=  \nStats2=100,100,100,100,100,100\n"
                   "Name3=Archer\nStats3=100,100,100,101,100,100\n"
                   "Name4=Mage\nStats4=40,60,125,50,0,0\n"
                   "Name5=Warrior\nStats5=1,1,1,1,1,1\nCurrent=Mage\n");
    auto form = MakeForm();
    QCOMPARE(m_messages, QStringList{"読み込めないプロファイルを外しました:\n"
                                     "Name2=100,100,100,100,100,100\n"
                                     "Archer=100,100,100,101,100,100\nWarrior=1,1,1,1,1,1"});
    QCOMPARE(Profiles(*form), (QStringList{"Warrior", "Mage", "Mage"}));
    QCOMPARE(Child<QSpinBox>(*form, "SpinEditInt")->value(), 125);
    // Any text makes a name, blanks at its ends aside.
    SetStats(*form, {77, 66, 55, 44, 33, 22});
    SaveProfileAs(*form, QStringLiteral("  \"戦士 = Ünïcode\"  "));
    form->close();
    QVERIFY2(ReadFile(ini).contains("[Other]\nKey=kept\n[Profiles]\nCount=3\nName1=Warrior\n"
                                    "Stats1=120,80,30,100,90,0\nName2=Mage\n"
                                    "Stats2=40,60,125,50,0,0\nName3=\"\"戦士 = Ünïcode\"\"\n"
                                    "Stats3=77,66,55,44,33,22\nName4=\nStats4=\nName5=\n"
                                    "Stats5=\nCurrent=\"\"戦士 = Ünïcode\"\"\n"),
             ReadFile(ini).constData());

    m_messages.clear();
    form = MakeForm();
    QCOMPARE(Profiles(*form).last(), QStringLiteral("\"戦士 = Ünïcode\""));
    QCOMPARE(Child<QSpinBox>(*form, "SpinEditLumberjack")->value(), 22);
    // Without a profile in use the inputs start as they always did.
    Child<QAction>(*form, "ActionProfileDelete")->trigger();
    form->close();
    form = MakeForm();
    QCOMPARE(Profiles(*form), (QStringList{"Warrior", "Mage", ""}));
    QCOMPARE(Child<QSpinBox>(*form, "SpinEditLumberjack")->value(), 100);
    QVERIFY(m_messages.isEmpty());
}

void MainFormEditTest::aProfileNameTakenByAnotherIsRefused_data()
{
    QTest::addColumn<bool>("rename");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("profiles");
    const QStringList taken{"同じ名前のプロファイルがあります: Warrior"};
    const QStringList kept{"Warrior", "Mage", "Mage"};
    QTest::newRow("saved, blanks around")
        << false << " Warrior " << taken << QStringList{"Warrior", "Mage", " Warrior "};
    QTest::newRow("saved without a name")
        << false << "  " << QStringList{"プロファイルの名前を入力してください。"}
        << QStringList{"Warrior", "Mage", "  "};
    QTest::newRow("renamed") << true << "Warrior" << taken << kept;
    QTest::newRow("renamed, case differs")
        << true << "warrior" << QStringList{} << QStringList{"Warrior", "warrior", "warrior"};
}

void MainFormEditTest::aProfileNameTakenByAnotherIsRefused()
{
    QFETCH(bool, rename);
    QFETCH(QString, name);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, profiles);
    auto form = MakeForm();
    SaveProfileAs(*form, QStringLiteral("Warrior"));
    SetStats(*form, {40, 60, 125, 50, 0, 0});
    SaveProfileAs(*form, QStringLiteral("Mage"));
    form->SetProfileNameAsker([&](const QString&) { return name; });
    rename ? Child<QAction>(*form, "ActionProfileRename")->trigger() : SaveProfileAs(*form, name);
    QCOMPARE(m_messages, messages);
    QCOMPARE(Profiles(*form), profiles);
    QCOMPARE(form->Profiles()[0].Stats.STR, 100);
}

void MainFormEditTest::choosingAProfileRecomputesOnceAndChangesShowAsModified()
{
    auto form = MakeForm();
    SaveProfileAs(*form, QStringLiteral("Warrior"));
    SetStats(*form, {40, 60, 125, 50, 0, 0});
    SaveProfileAs(*form, QStringLiteral("Mage"));
    const TWDataCSVTable katana = SelectWeapon(*form, QStringLiteral("Katana"));
    QSignalSpy rankings(Child<TWeaponRankingView>(*form, "WeaponRankingView")->model(),
                        &QAbstractItemModel::modelReset);
    emit ProfileBox(*form)->activated(0);
    QCOMPARE(rankings.count(), 1);
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(),
             General(Expected(katana, TStats(), form->OptionRecord()).HQAve()));

    auto* str = Child<QSpinBox>(*form, "SpinEditSTR");
    str->setValue(130);
    QCOMPARE(Profiles(*form), (QStringList{"Warrior *", "Mage", "Warrior *"}));
    // Back to its own inputs, the profile is as saved.
    str->setValue(100);
    QCOMPARE(Profiles(*form), (QStringList{"Warrior", "Mage", "Warrior"}));
    str->setValue(130);
    Child<QAction>(*form, "ActionProfileSave")->trigger();
    QCOMPARE(Profiles(*form), (QStringList{"Warrior", "Mage", "Warrior"}));
    QCOMPARE(form->Profiles()[0].Stats.STR, 130);
    QVERIFY(m_messages.isEmpty());
}

void MainFormEditTest::undoRestoresEveryPageAndRedoRepeatsTheStep_data()
{
    QTest::addColumn<TStep>("step");
    QTest::addColumn<QString>("undoText");
    QTest::newRow("input") << TStep([](TMainForm& f) {
        Child<QSpinBox>(f, "SpinEditSTR")->setValue(120);
    }) << "Undo STR 100 → 120";
    QTest::newRow("list pick") << TStep([](TMainForm& f) { SelectWeapon(f, "Hatchet"); })
                               << "Undo pick Hatchet";
    QTest::newRow("ranking pick") << TStep([](TMainForm& f) {
        emit Child<TWeaponRankingView>(f, "WeaponRankingView")->WeaponChosen(1);
    }) << "Undo pick Broadsword";
    QTest::newRow("profile") << TStep([](TMainForm& f) { emit ProfileBox(f)->activated(0); })
                             << "Undo profile Archer";
    QTest::newRow("options") << TStep([](TMainForm& f) {
        TOptionRecord record;
        record.Base.Decimal = 3;
        record.Base.DamageMethod = "Damage*TacticsR";
        record.SpreadChart3D = true;
        f.SetOptionRecord(record);
    }) << "Undo options";
    QTest::newRow("pin") << TStep([](TMainForm& f) { f.PinClick(); }) << "Undo pin Katana";
    QTest::newRow("unpin") << TStep([](TMainForm& f) { f.RemovePin(0); }) << "Undo unpin Bow";
    QTest::newRow("pin moved") << TStep([](TMainForm& f) { f.MovePin(1, 0); })
                               << "Undo move pin Hatchet";
}

void MainFormEditTest::undoRestoresEveryPageAndRedoRepeatsTheStep()
{
    QFETCH(TStep, step);
    QFETCH(QString, undoText);
    auto form = MakeForm();
    SetStats(*form, {60, 90, 110, 80, 70, 0});
    SaveProfileAs(*form, QStringLiteral("Archer"));
    SetStats(*form, TStats());
    for (const char* weapon : {"Bow", "Hatchet", "Katana"}) {
        SelectWeapon(*form, QString::fromLatin1(weapon));
        form->PinClick();
    }
    form->RemovePin(2);
    const QStringList before = Shown(*form);
    const int steps = form->UndoStack().count();
    step(*form);
    const QStringList after = Shown(*form);
    QVERIFY(after != before);
    QCOMPARE(Child<QAction>(*form, "ActionUndo")->text(), undoText);
    Child<QAction>(*form, "ActionUndo")->trigger();
    QCOMPARE(Shown(*form), before);
    QCOMPARE(Child<QAction>(*form, "ActionRedo")->text(), undoText.replace(0, 4, "Redo"));
    Child<QAction>(*form, "ActionRedo")->trigger();
    QCOMPARE(Shown(*form), after);
    // Going back and forth adds no step of its own.
    QCOMPARE(form->UndoStack().count(), steps + 1);
    QVERIFY(m_messages.isEmpty());
}

void MainFormEditTest::aHeldArrowKeyIsOneStepAndCtrlZWorksInASpinBox()
{
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    SelectWeapon(*form, QStringLiteral("Katana"));
    // The first pick is no step: there is no empty page to go back to.
    QCOMPARE(form->UndoStack().count(), 0);
    const QStringList start = Shown(*form);
    auto* str = Child<QSpinBox>(*form, "SpinEditSTR");
    str->setFocus();
    // Held down: one press, then the keyboard's repeats, then the release.
    for (int i = 0; i < 8; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), i > 0);
        QApplication::sendEvent(str, &press);
        QTest::qWait(20);
    }
    QTest::keyRelease(str, Qt::Key_Up);
    const int held = str->value();
    QVERIFY(held > 101);
    QCOMPARE(form->UndoStack().undoText(), QStringLiteral("STR 100 → %1").arg(str->value()));
    const QStringList raised = Shown(*form);
    auto* dex = Child<QSpinBox>(*form, "SpinEditDEX");
    dex->setFocus();
    QTest::keyClick(dex, Qt::Key_PageDown);
    QCOMPARE(form->UndoStack().count(), 2);

    // Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z reach the window from the spin box.
    QTest::keyClick(dex, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Shown(*form), raised);
    QTest::keyClick(dex, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Shown(*form), start);
    QTest::keyClick(dex, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(dex, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(str->value(), held);
    QCOMPARE(dex->value(), 90);
    QVERIFY(m_messages.isEmpty());
}

void MainFormEditTest::ctrlFSearchesTheListAndTheRankingAlike()
{
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    SelectWeapon(*form, QStringLiteral("Katana"));
    const QStringList shown = Shown(*form);
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    auto* search = Child<QLineEdit>(*form, "WeaponSearchEdit");
    QVERIFY(search->hasFocus());
    QTest::keyClicks(search, QStringLiteral("AXE"));
    auto* list = Child<TWeaponListView>(*form, "WeaponListView");
    const auto& ranked = Child<TWeaponRankingView>(*form, "WeaponRankingView")->Ranking();
    QVERIFY(list->ShownCount() > 0 && list->ShownCount() < list->Count());
    QCOMPARE(static_cast<int>(ranked.size()), list->ShownCount());
    for (const TWeaponRank& rank : ranked) {
        QVERIFY(QString::fromStdString(list->Table().Weapon(rank.Slot).Name)
                    .contains(QStringLiteral("axe"), Qt::CaseInsensitive));
    }
    // The weapon the search hides stays picked and shown.
    search->clear();
    QCOMPARE(Shown(*form), shown);
}

void MainFormEditTest::aPastedSetupIsTheCopiedOneAndOneStep()
{
    auto form = MakeForm();
    SelectWeapon(*form, QStringLiteral("Bow"));
    SetStats(*form, {130, 45, 100, 90, 80, 0});
    TOptionRecord record;
    record.Base.Decimal = 2;
    record.Base.DamageMethod = "(Damage*(TacticsR+(STR/400)))/2+Plus";
    record.WeaponSpeed.Method = "(12000/((25+2.5*DEXR)*SPEED))";
    form->SetOptionRecord(record);
    Child<QAction>(*form, "ActionCopySetup")->trigger();
    const QString copied = QGuiApplication::clipboard()->text();
    const QStringList bow = Shown(*form);
    SelectWeapon(*form, QStringLiteral("Katana"));
    SetStats(*form, TStats());
    form->SetOptionRecord(TOptionRecord());
    const QStringList katana = Shown(*form);
    const int steps = form->UndoStack().count();
    QStringList asked;
    form->SetFormulaQuestionAsker([&](const QString& question) {
        asked << question;
        return asked.size() > 1;
    });

    // Declined, the formulas stay; the weapon and the inputs come.
    Child<QAction>(*form, "ActionPasteSetup")->trigger();
    QCOMPARE(asked, QStringList{"貼り付けた計算式と丸め方も使いますか？"});
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("Bow"));
    QCOMPARE(Child<QSpinBox>(*form, "SpinEditSTR")->value(), 130);
    QCOMPARE(form->OptionRecord(), TOptionRecord());
    QCOMPARE(form->UndoStack().undoText(), QStringLiteral("paste Bow"));
    form->UndoStack().undo();
    QCOMPARE(Shown(*form), katana);

    QVERIFY(form->PasteSetup(QStringLiteral("  ") + copied + QStringLiteral("\n")));
    QCOMPARE(Shown(*form), bow);
    QCOMPARE(form->UndoStack().count(), steps + 1);
    form->UndoStack().undo();
    QCOMPARE(Shown(*form), katana);
    form->UndoStack().redo();
    Child<QAction>(*form, "ActionCopySetup")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    // With the same formulas and rounding there is nothing to ask.
    SelectWeapon(*form, QStringLiteral("Katana"));
    QVERIFY(form->PasteSetup(copied));
    QCOMPARE(asked.size(), 2);
    QCOMPARE(Shown(*form), bow);
    QVERIFY(m_messages.isEmpty());
}

void MainFormEditTest::aSetupTextThatCannotBeUsedChangesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString refused = QStringLiteral("設定テキストを貼り付けられません");
    QTest::newRow("other text") << "Katana@1,2,3,4,5,6"
                                << refused + "（1文字目「Katana@1,2,3,4,5,6」）: "
                                             "設定テキストではありません";
    QTest::newRow("skill above 100") << "qm1;w=Bow;s=1,2,3,101,5,6;r=0;d=Damage;v=SPEED"
                                     << refused + "（19文字目「101」）: スキルが100を超えています";
    QTest::newRow("weapon not in the table")
        << "qm1;w=Long%20Bow;s=1,2,3,4,5,6;r=0;d=Damage;v=SPEED"
        << "武器表にない武器です: Long Bow";
    QTest::newRow("speed formula")
        << "qm1;w=Bow;s=1,2,3,4,5,6;r=0;d=Damage;v=(SPEED"
        << "貼り付けた計算式を使えません:\n" + SpeedMethodFault("(SPEED")->Text;
}

void MainFormEditTest::aSetupTextThatCannotBeUsedChangesNothing()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    auto form = MakeForm();
    SelectWeapon(*form, QStringLiteral("Katana"));
    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(120);
    const QStringList shown = Shown(*form);
    form->SetFormulaQuestionAsker([](const QString&) { return true; });
    QVERIFY(!form->PasteSetup(text));
    QCOMPARE(m_messages, QStringList{message});
    QCOMPARE(Shown(*form), shown);
    QCOMPARE(form->UndoStack().count(), 1);
}

// The command line's explanation of the same setup says the same.
void MainFormEditTest::hqTooltipsShowHowTheFiguresWereReached()
{
    auto form = MakeForm();
    SelectWeapon(*form, QStringLiteral("Katana"));
    SetStats(*form, {100, 25, 100, 100, 0, 0});
    const QStringList rounded = {" → 切り上げ → 6", " → 切り捨て → 5", " → 四捨五入 → 5", ""};
    for (int rounding = 0; rounding < 4; ++rounding) {
        TOptionRecord record;
        record.Base.Decimal = rounding;
        form->SetOptionRecord(record);
        QCOMPARE(Child<QLabel>(*form, "LabelHQLow")->toolTip(),
                 "(6*(1.5+(100/500)+0+0))/2+0 = 5.1" + rounded[rounding]);
    }
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->toolTip(),
             QStringLiteral("(18*(1.5+(100/500)+0+0))/2+0 = 15.299999999999999 → 15.3"));

    // Every grid cell that holds a figure tells how it was reached, ending
    // in the very text the cell shows; the others tell nothing.
    form->SetOptionRecord(TOptionRecord());
    auto* speedGrid = Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid");
    const struct
    {
        TOwnerDrawnGrid* Grid;
        QString Rounding;
        int Cells;
    } grids[] = {
        {Child<TWeaponDataGrid>(*form, "WeaponDataGrid"), QStringLiteral(" → 切り上げ → "), 108},
        {speedGrid, QStringLiteral(" → 0.5秒単位に切り上げ → "),
         2 * static_cast<int>(speedGrid->Speed().Ranges().size())}};
    for (const auto& [grid, rounding, cells] : grids) {
        int explained = 0;
        for (int row = 0; row < grid->RowCount(); ++row) {
            for (int column = 0; column < TOwnerDrawnGrid::ColumnCount; ++column) {
                const QString text = grid->CellExplanation(grid->CellRect(column, row).center());
                const QString shown = grid->CellText(column, row);
                bool isNumber = false;
                shown.toDouble(&isNumber);
                if (text.isEmpty()) {
                    QVERIFY2(!isNumber || grid == speedGrid, qPrintable(shown));
                    continue;
                }
                ++explained;
                QVERIFY2(text.contains(rounding), qPrintable(text));
                // A range of one DEX value shows that value, not a delay.
                if (isNumber && !text.startsWith("DEX " + shown + "-" + shown + ":")) {
                    QVERIFY2(text.endsWith(rounding + shown), qPrintable(text));
                }
            }
        }
        QCOMPARE(explained, cells);
    }
    // By keyboard: the arrows move a cell cursor, held at the borders, and
    // the status bar tells what the tooltip would.
    TOwnerDrawnGrid* damageGrid = grids[0].Grid;
    for (const Qt::Key key :
         {Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down}) {
        QTest::keyClick(damageGrid, key);
    }
    QCOMPARE(damageGrid->CurrentCell(), QPoint(2, 1));
    QCOMPARE(form->statusBar()->currentMessage(),
             damageGrid->CellExplanation(damageGrid->CellRect(2, 1).center()));
    QVERIFY(form->statusBar()->currentMessage().endsWith(damageGrid->CellText(2, 1)));

    const auto* ranking = Child<TWeaponRankingView>(*form, "WeaponRankingView");
    const QModelIndex dps =
        ranking->model()->index(0, static_cast<int>(TRankColumn::DamagePerSecond));
    QCOMPARE(dps.data(Qt::ToolTipRole).toString(),
             QStringLiteral("%1 / %2 = %3")
                 .arg(ranking->CellText(0, TRankColumn::Average),
                      ranking->CellText(0, TRankColumn::Delay),
                      ranking->CellText(0, TRankColumn::DamagePerSecond)));
}

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    MainFormEditTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainFormEditTest.moc"
