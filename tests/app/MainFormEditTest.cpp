#include "MainFormFixture.h"

#include "app/Application.h"
#include "app/FormulaCheck.h"
#include "app/Main.h"
#include "views/WeaponDamageSpreadChart.h"
#include "views/WeaponDataGrid.h"
#include "views/WeaponListView.h"
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
#include <QSpinBox>
#include <QTest>
#include <QUndoStack>

#include <functional>

// A user's action on the window, as a test row holds it.
using TStep = std::function<void(TMainForm&)>;
Q_DECLARE_METATYPE(TStep)

// Named profiles, undo and redo, and a setup as text, as the user reaches
// them from the window.
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
    void hqTooltipsShowHowTheFiguresWereReached_data();
    void hqTooltipsShowHowTheFiguresWereReached();

private:
    QString IniPath() const { return m_dataDir->filePath(QStringLiteral("Option.ini")); }
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

QStringList ProfileTexts(const TMainForm& form)
{
    QStringList texts;
    for (int i = 0; i < ProfileBox(form)->count(); ++i) {
        texts << ProfileBox(form)->itemText(i);
    }
    return texts;
}

bool operator==(const TStats& a, const TStats& b)
{
    return a.STR == b.STR && a.DEX == b.DEX && a.INT == b.INT && a.Tactics == b.Tactics &&
           a.Anatomy == b.Anatomy && a.Lumberjack == b.Lumberjack;
}

// Everything the pages and the controls show, as text, so that two moments
// of the window compare in one go.
QStringList Shown(const TMainForm& form)
{
    QStringList shown;
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        shown << label->objectName() + QLatin1Char('=') + label->text();
    }
    const auto* grid = Child<TWeaponDataGrid>(form, "WeaponDataGrid");
    const auto* speed = Child<TWeaponSpeedGrid>(form, "WeaponSpeedGrid");
    for (int column = 0; column < TWeaponDataGrid::ColumnCount; ++column) {
        for (int row = 0; row < 40; ++row) {
            shown << grid->CellText(column, row) << speed->CellText(column, row);
        }
    }
    shown << Child<TWeaponRankingView>(form, "WeaponRankingView")->ToTabSeparatedText();
    const TRaderChartData radar =
        Child<TWeaponRaderChart>(form, "WeaponRaderChart")->RaderChartData();
    const auto* spread = Child<TWeaponDamageSpreadChart>(form, "WeaponDamageSpreadChart");
    shown << QString::number(radar.Damage) << QString::number(radar.TopProbability)
          << QString::number(spread->Spread().DiceCount())
          << QString::number(spread->Spread().DiceSides()) << QString::number(spread->View3D());
    for (const TSetupFigures& figures : form.CompareFigures()) {
        for (int row = 0; row < CompareRowCount; ++row) {
            shown << QString::fromStdString(CompareCellText(figures, TCompareRow(row)));
        }
    }
    for (const QSpinBox* spin : form.findChildren<QSpinBox*>()) {
        shown << QString::number(spin->value());
    }
    shown << ProfileBox(form)->currentText()
          << QString::fromStdString(form.Calculator().DamageMethod())
          << QString::number(form.Calculator().RoundingMode());
    return shown;
}

} // namespace

void MainFormEditTest::profilesSurviveARestartAndUnreadableEntriesAreNamedOnce()
{
    WriteFile(IniPath(), "[Other]\nKey=kept\n"
                         "[Profiles]\nCount=5\n"
                         "Name1=Warrior\nStats1=120,80,30,100,90,0\n"
                         "Name2=  \nStats2=100,100,100,100,100,100\n"
                         "Name3=Archer\nStats3=100,100,100,101,100,100\n"
                         "Name4=Mage\nStats4=40,60,125,50,0,0\n"
                         "Name5=Warrior\nStats5=1,1,1,1,1,1\n"
                         "Current=Mage\n");
    {
        auto form = MakeForm();
        QCOMPARE(m_messages, QStringList{QStringLiteral(
                                 "読み込めないプロファイルを外しました:\n"
                                 "Name2=100,100,100,100,100,100\n"
                                 "Archer=100,100,100,101,100,100\nWarrior=1,1,1,1,1,1")});
        QCOMPARE(ProfileTexts(*form), (QStringList{"Warrior", "Mage"}));
        QCOMPARE(ProfileBox(*form)->currentText(), QStringLiteral("Mage"));
        QVERIFY(SpinStats(*form) == (TStats{40, 60, 125, 50, 0, 0}));

        // Any text makes a name, blanks at its ends aside.
        SetStats(*form, {77, 66, 55, 44, 33, 22});
        SaveProfileAs(*form, QStringLiteral("  \"戦士 = Ünïcode\"  "));
        form->close();
    }
    const QByteArray written = ReadFile(IniPath());
    QVERIFY2(written.contains("[Other]\nKey=kept\n"), written.constData());
    QVERIFY2(written.contains("[Profiles]\nCount=3\nName1=Warrior\nStats1=120,80,30,100,90,0\n"
                              "Name2=Mage\nStats2=40,60,125,50,0,0\n"
                              "Name3=\"\"戦士 = Ünïcode\"\"\nStats3=77,66,55,44,33,22\n"
                              "Name4=\nStats4=\nName5=\nStats5=\n"
                              "Current=\"\"戦士 = Ünïcode\"\"\n"),
             written.constData());

    m_messages.clear();
    auto form = MakeForm();
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(ProfileTexts(*form), (QStringList{"Warrior", "Mage", "\"戦士 = Ünïcode\""}));
    QCOMPARE(form->CurrentProfile(), 2);
    QVERIFY(SpinStats(*form) == (TStats{77, 66, 55, 44, 33, 22}));

    // Without profiles the inputs start as they always did.
    Child<QAction>(*form, "ActionProfileDelete")->trigger();
    form->close();
    form = MakeForm();
    QCOMPARE(ProfileTexts(*form), (QStringList{"Warrior", "Mage"}));
    QCOMPARE(form->CurrentProfile(), -1);
    QVERIFY(SpinStats(*form) == TStats{});
}

void MainFormEditTest::aProfileNameTakenByAnotherIsRefused_data()
{
    QTest::addColumn<bool>("rename");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("profiles");
    const QString taken = QStringLiteral("同じ名前のプロファイルがあります: Warrior");
    QTest::newRow("save as another's")
        << false << "Warrior" << QStringList{taken} << QStringList{"Warrior", "Mage"};
    QTest::newRow("save, blanks around")
        << false << " Warrior " << QStringList{taken} << QStringList{"Warrior", "Mage"};
    QTest::newRow("save without a name")
        << false << "  " << QStringList{"プロファイルの名前を入力してください。"}
        << QStringList{"Warrior", "Mage"};
    QTest::newRow("rename to another's")
        << true << "Warrior" << QStringList{taken} << QStringList{"Warrior", "Mage"};
    QTest::newRow("rename cancelled")
        << true << "" << QStringList{} << QStringList{"Warrior", "Mage"};
    QTest::newRow("rename, case differs")
        << true << "warrior" << QStringList{} << QStringList{"Warrior", "warrior"};
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
    QVERIFY(m_messages.isEmpty());
    if (rename) {
        QString asked;
        form->SetProfileNameAsker([&](const QString& current) {
            asked = current;
            return name;
        });
        Child<QAction>(*form, "ActionProfileRename")->trigger();
        QCOMPARE(asked, QStringLiteral("Mage"));
    } else {
        SaveProfileAs(*form, name);
    }
    QCOMPARE(m_messages, messages);
    QCOMPARE(ProfileTexts(*form), profiles);
    QCOMPARE(form->Profiles()[0].Stats.STR, 100);
    QCOMPARE(form->Profiles()[1].Stats.STR, 40);
}

void MainFormEditTest::choosingAProfileRecomputesOnceAndChangesShowAsModified()
{
    auto form = MakeForm();
    SaveProfileAs(*form, QStringLiteral("Warrior"));
    const TStats mage{40, 60, 125, 50, 0, 0};
    SetStats(*form, mage);
    SaveProfileAs(*form, QStringLiteral("Mage"));
    const TWDataCSVTable katana = SelectWeapon(*form, QStringLiteral("Katana"));
    auto* ranking = Child<TWeaponRankingView>(*form, "WeaponRankingView");
    QSignalSpy rankings(ranking->model(), &QAbstractItemModel::modelReset);

    emit ProfileBox(*form)->activated(0);
    QCOMPARE(rankings.count(), 1);
    QVERIFY(SpinStats(*form) == TStats{});
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(),
             General(Expected(katana, TStats{}, form->OptionRecord()).HQAve()));

    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(130);
    QCOMPARE(ProfileTexts(*form), (QStringList{"Warrior *", "Mage"}));
    QCOMPARE(ProfileBox(*form)->currentText(), QStringLiteral("Warrior *"));
    // Back to its own inputs, the profile is as saved.
    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(100);
    QCOMPARE(ProfileBox(*form)->currentText(), QStringLiteral("Warrior"));
    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(130);
    Child<QAction>(*form, "ActionProfileSave")->trigger();
    QCOMPARE(ProfileTexts(*form), (QStringList{"Warrior", "Mage"}));
    QCOMPARE(form->Profiles()[0].Stats.STR, 130);

    Child<QSpinBox>(*form, "SpinEditDEX")->setValue(10);
    rankings.clear();
    emit ProfileBox(*form)->activated(1);
    QCOMPARE(rankings.count(), 1);
    QCOMPARE(ProfileTexts(*form), (QStringList{"Warrior", "Mage"}));
    QVERIFY(SpinStats(*form) == mage);
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(),
             General(Expected(katana, mage, form->OptionRecord()).HQAve()));
    QVERIFY(m_messages.isEmpty());
}

void MainFormEditTest::undoRestoresEveryPageAndRedoRepeatsTheStep_data()
{
    QTest::addColumn<TStep>("step");
    QTest::addColumn<QString>("undoText");
    QTest::newRow("typed input") << TStep([](TMainForm& form) {
        Child<QSpinBox>(form, "SpinEditSTR")->setValue(120);
    }) << "Undo STR 100 → 120";
    QTest::newRow("list pick") << TStep([](TMainForm& form) {
        SelectWeapon(form, QStringLiteral("Hatchet"));
    }) << "Undo pick Hatchet";
    QTest::newRow("ranking pick") << TStep([](TMainForm& form) {
        auto* ranking = Child<TWeaponRankingView>(form, "WeaponRankingView");
        // The top row that is not the weapon shown.
        const int shown = ranking->SelectedSlot();
        for (const TWeaponRank& rank : ranking->Ranking()) {
            if (rank.Slot != shown) {
                emit ranking->WeaponChosen(rank.Slot);
                return;
            }
        }
    }) << "Undo pick %1";
    QTest::newRow("profile") << TStep([](TMainForm& form) { emit ProfileBox(form)->activated(0); })
                             << "Undo profile Archer";
    QTest::newRow("options") << TStep([](TMainForm& form) {
        TOptionRecord record;
        record.Base.Decimal = 3;
        record.Base.DamageMethod = "Damage*TacticsR";
        record.SpreadChart3D = true;
        form.SetOptionRecord(record);
    }) << "Undo options";
    QTest::newRow("pin") << TStep([](TMainForm& form) { form.PinClick(); }) << "Undo pin Katana";
    QTest::newRow("unpin") << TStep([](TMainForm& form) { form.RemovePin(0); }) << "Undo unpin Bow";
    QTest::newRow("pin moved") << TStep([](TMainForm& form) { form.MovePin(1, 0); })
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
    SelectWeapon(*form, QStringLiteral("Bow"));
    form->PinClick();
    SelectWeapon(*form, QStringLiteral("Hatchet"));
    form->PinClick();
    SelectWeapon(*form, QStringLiteral("Katana"));
    auto* undo = Child<QAction>(*form, "ActionUndo");
    auto* redo = Child<QAction>(*form, "ActionRedo");
    const QStringList before = Shown(*form);
    const int steps = form->UndoStack().count();

    step(*form);
    const QStringList after = Shown(*form);
    QVERIFY(after != before);
    QCOMPARE(form->UndoStack().count(), steps + 1);
    if (undoText.contains(QStringLiteral("%1"))) {
        undoText = undoText.arg(Child<QLabel>(*form, "LabelWName")->text());
    }
    QCOMPARE(undo->text(), undoText);
    undo->trigger();
    QCOMPARE(Shown(*form), before);
    QCOMPARE(redo->text(), undoText.replace(0, 4, QStringLiteral("Redo")));
    redo->trigger();
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
    QCOMPARE(Child<QAction>(*form, "ActionUndo")->shortcuts(),
             QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z)});
    QCOMPARE(Child<QAction>(*form, "ActionRedo")->shortcuts(),
             (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                  QKeySequence(Qt::CTRL | Qt::Key_Y)}));
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
    QVERIFY(str->value() > 101);
    QCOMPARE(form->UndoStack().count(), 1);
    QCOMPARE(form->UndoStack().undoText(), QStringLiteral("STR 100 → %1").arg(str->value()));
    const QStringList raised = Shown(*form);
    auto* dex = Child<QSpinBox>(*form, "SpinEditDEX");
    dex->setFocus();
    QTest::keyClick(dex, Qt::Key_Down);
    QCOMPARE(form->UndoStack().count(), 2);

    QTest::keyClick(dex, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(dex->value(), 100);
    QCOMPARE(Shown(*form), raised);
    QTest::keyClick(dex, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Shown(*form), start);
    QTest::keyClick(dex, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(Shown(*form), raised);
    QTest::keyClick(dex, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(dex->value(), 99);
    QVERIFY(m_messages.isEmpty());
}

void MainFormEditTest::ctrlFSearchesTheListAndTheRankingAlike()
{
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    SelectWeapon(*form, QStringLiteral("Katana"));
    const QStringList shown = Shown(*form);
    auto* list = Child<TWeaponListView>(*form, "WeaponListView");
    auto* ranking = Child<TWeaponRankingView>(*form, "WeaponRankingView");
    const auto rankedNames = [&] {
        QStringList names;
        for (const TWeaponRank& rank : ranking->Ranking()) {
            names << QString::fromStdString(list->Table().Weapon(rank.Slot).Name);
        }
        names.sort();
        return names;
    };
    const auto listedNames = [&] {
        QStringList names;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (!list->topLevelItem(i)->isHidden()) {
                names << list->topLevelItem(i)->text(0);
            }
        }
        names.sort();
        return names;
    };
    QCOMPARE(rankedNames().size(), list->Count());
    const int katana = list->SelectedSlot();

    Child<QSpinBox>(*form, "SpinEditSTR")->setFocus();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    auto* search = Child<QLineEdit>(*form, "WeaponSearchEdit");
    QVERIFY(search->hasFocus());
    QTest::keyClicks(search, QStringLiteral("AXE"));
    QCOMPARE(listedNames(), rankedNames());
    QVERIFY(!listedNames().isEmpty());
    QVERIFY(listedNames().size() < list->Count());
    for (const QString& name : listedNames()) {
        QVERIFY2(name.contains(QStringLiteral("axe"), Qt::CaseInsensitive), qPrintable(name));
    }
    // The weapon the search hides stays picked and shown.
    QCOMPARE(list->SelectedSlot(), katana);
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("Katana"));

    search->clear();
    QCOMPARE(Shown(*form), shown);
    QVERIFY(m_messages.isEmpty());
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
    QVERIFY2(copied.startsWith(QStringLiteral("qm1;")), qPrintable(copied));
    const QStringList bow = Shown(*form);

    SelectWeapon(*form, QStringLiteral("Katana"));
    SetStats(*form, TStats());
    form->SetOptionRecord(TOptionRecord());
    const QStringList katana = Shown(*form);
    const int steps = form->UndoStack().count();
    QStringList asked;
    bool answer = false;
    form->SetFormulaQuestionAsker([&](const QString& question) {
        asked << question;
        return answer;
    });

    // Declined, the formulas stay; the weapon and the inputs come.
    Child<QAction>(*form, "ActionPasteSetup")->trigger();
    QCOMPARE(asked, QStringList{QStringLiteral("貼り付けた計算式と丸め方も使いますか？")});
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("Bow"));
    QVERIFY(SpinStats(*form) == (TStats{130, 45, 100, 90, 80, 0}));
    QCOMPARE(form->OptionRecord(), TOptionRecord());
    QCOMPARE(form->UndoStack().count(), steps + 1);
    QCOMPARE(form->UndoStack().undoText(), QStringLiteral("paste Bow"));
    form->UndoStack().undo();
    QCOMPARE(Shown(*form), katana);

    answer = true;
    QVERIFY(form->PasteSetup(QStringLiteral("  ") + copied + QStringLiteral("\n")));
    QCOMPARE(Shown(*form), bow);
    QCOMPARE(form->OptionRecord(), record);
    QCOMPARE(form->UndoStack().count(), steps + 1);
    form->UndoStack().undo();
    QCOMPARE(Shown(*form), katana);
    form->UndoStack().redo();
    QCOMPARE(Shown(*form), bow);
    Child<QAction>(*form, "ActionCopySetup")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);

    // With the same formulas and rounding there is nothing to ask.
    asked.clear();
    SelectWeapon(*form, QStringLiteral("Katana"));
    QVERIFY(form->PasteSetup(copied));
    QCOMPARE(asked, QStringList());
    QCOMPARE(Shown(*form), bow);
    QVERIFY(m_messages.isEmpty());
}

void MainFormEditTest::aSetupTextThatCannotBeUsedChangesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString refused = QStringLiteral("設定テキストを貼り付けられません");
    QTest::newRow("other text") << "Katana@100,100,100,100,100,100"
                                << refused + "（1文字目「Katana@100,100,100,100,100,100」）: "
                                             "設定テキストではありません";
    QTest::newRow("five inputs") << "qm1;w=Bow;s=1,2,3,4,5;r=0;d=Damage;v=SPEED"
                                 << refused +
                                        "（13文字目「1,2,3,4,5」）: ステータスが6つではありません";
    QTest::newRow("skill above 100") << "qm1;w=Bow;s=1,2,3,101,5,6;r=0;d=Damage;v=SPEED"
                                     << refused + "（19文字目「101」）: スキルが100を超えています";
    QTest::newRow("rounding") << "qm1;w=Bow;s=1,2,3,4,5,6;r=4;d=Damage;v=SPEED"
                              << refused + "（27文字目「4」）: 丸め方は0から3です";
    QTest::newRow("weapon not in the table")
        << "qm1;w=Long%20Bow;s=1,2,3,4,5,6;r=0;d=Damage;v=SPEED"
        << "武器表にない武器です: Long Bow";
    QTest::newRow("damage formula")
        << "qm1;w=Bow;s=1,2,3,4,5,6;r=0;d=Damage%2B;v=SPEED"
        << "貼り付けた計算式を使えません:\n" + QString::fromStdString(DamageMethodError("Damage+"));
    QTest::newRow("speed formula")
        << "qm1;w=Bow;s=1,2,3,4,5,6;r=0;d=Damage;v=(SPEED"
        << "貼り付けた計算式を使えません:\n" + QString::fromStdString(SpeedMethodError("(SPEED"));
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

void MainFormEditTest::hqTooltipsShowHowTheFiguresWereReached_data()
{
    QTest::addColumn<int>("rounding");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("average");
    // The command line's explanation of the same setup says the same.
    const QString low = QStringLiteral("(6*(1.5+(100/500)+0+0))/2+0 = 5.1");
    const QString average = QStringLiteral("(18*(1.5+(100/500)+0+0))/2+0 = 15.299999999999999");
    QTest::newRow("up") << 0 << low + " → 切り上げ → 6" << average + " → 切り上げ → 16";
    QTest::newRow("down") << 1 << low + " → 切り捨て → 5" << average + " → 切り捨て → 15";
    QTest::newRow("half away from zero")
        << 2 << low + " → 四捨五入 → 5" << average + " → 四捨五入 → 15";
    QTest::newRow("none") << 3 << low << average + " → 15.3";
}

void MainFormEditTest::hqTooltipsShowHowTheFiguresWereReached()
{
    QFETCH(int, rounding);
    QFETCH(QString, low);
    QFETCH(QString, average);
    auto form = MakeForm();
    TOptionRecord record;
    record.Base.Decimal = rounding;
    form->SetOptionRecord(record);
    SelectWeapon(*form, QStringLiteral("Katana"));
    SetStats(*form, {100, 25, 100, 100, 0, 0});
    QCOMPARE(Child<QLabel>(*form, "LabelHQLow")->toolTip(), low);
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->toolTip(), average);
    QVERIFY(Child<QLabel>(*form, "LabelHQHigh")
                ->toolTip()
                .endsWith(QStringLiteral(" ") + Child<QLabel>(*form, "LabelHQHigh")->text()));
}

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    MainFormEditTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainFormEditTest.moc"
