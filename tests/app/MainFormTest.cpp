#include "MainFormFixture.h"

#include "app/Appearance.h"
#include "app/Application.h"
#include "app/ErrorText.h"
#include "app/Main.h"
#include "app/Messages.h"
#include "app/UOptionDlg.h"
#include "views/ColourScheme.h"
#include "views/FormulaEditor.h"
#include "views/SetupCompareView.h"
#include "views/WeaponDamageSpreadChart.h"
#include "views/WeaponDataGrid.h"
#include "views/WeaponListView.h"
#include "views/WeaponRaderChart.h"
#include "views/WeaponRankingView.h"
#include "views/WeaponSpeedGrid.h"
#include "weapons/CompareTable.h"
#include "weapons/DamageSpread.h"
#include "weapons/FileKind.h"
#include "weapons/NumberFormat.h"
#include "weapons/RaderGeometry.h"
#include "weapons/TextEncoding.h"
#include "weapons/WeaponTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <sys/stat.h>

namespace {

// Runs `action` on the modal dialog once it is shown.
void OnDialog(const std::function<void(TOptionDlg&)>& action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<TOptionDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(*dialog);
    });
}

} // namespace

class MainFormTest : public QObject, private TMainFormFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithDesignTextsAndDefaults();
    void everyNamedControlCarriesItsObjectName();
    void clickingAWeaponFillsEveryPage();
    void clickingTheListWithTheMouseSelectsAndComputes();
    void spinBoxChangeRecomputesWithoutTheSpreadChart();
    void spinBoxChangeBeforeAnyWeaponChangesNothing();
    void spinBoxesStepByKeyAndTakeTypedValuesOnEnter();
    void headerClicksSortTheRows();
    void optionDialogOkAppliesAndRecomputes();
    void optionDialogCancelChangesNothing();
    void optionDialogRefusesARejectedFormula_data();
    void optionDialogRefusesARejectedFormula();
    void optionDialogShowsTheChosen3DView();
    void optionDialogPreviewsTheFormulasAsTheyAreTyped();
    void appearanceTakesEffectAtOnceAndSystemGivesTheDesktopBack();
    void settingsAreWrittenAtCloseAndReadAtStart();
    void shiftJisCrLfSettingsAreRead();
    void unwritableDataFolderSendsSettingsToTheConfigFolder();
    void configFolderCopyWinsAtStart();
    void installedProgramKeepsSettingsInTheConfigFolderOnly();
    void aSaveThatFailsEverywhereIsReported();
    void brokenFormulaInTheFileFallsBackAndIsKept();
    void evaluationErrorKeepsTheLastGoodFigures();
    void weaponTableProblemsAreShownAndLeaveAnEmptyList_data();
    void weaponTableProblemsAreShownAndLeaveAnEmptyList();
    void applicationShowsErrorsRaisedInsideEvents();
    void radarDamageSaturatesInsteadOfOverflowing();
    void renderWithAWeaponSelected();
    void rankingAgreesWithTheSingleWeaponPages_data();
    void rankingAgreesWithTheSingleWeaponPages();
    void rankingRowSelectsTheWeaponInTheList();
    void rankingFollowsTheSpinBoxesBeforeAnyPick();
    void aFormulaFaultIsShownOnceAndKeepsTheRanking_data();
    void aFormulaFaultIsShownOnceAndKeepsTheRanking();
    void nextFasterSwingAtRangeBorders();
    void eachRowComputesItsOwnWeaponWhateverItsIndex();
    void aNamedPipeInPlaceOfAFileIsRefusedWithoutWaiting_data();
    void aNamedPipeInPlaceOfAFileIsRefusedWithoutWaiting();
    void pinnedSetupsAreComparedAndKeptAcrossARestart();
    void aPinTheFormulaCannotTakeIsNamedOnce();

private:
    void CheckFigures(TMainForm& form, const TWDataCSVTable& weapon, const TStats& stats);
};

void MainFormTest::init()
{
    SetUpFolders();
}

void MainFormTest::cleanup()
{
    TearDownMessages();
}

void MainFormTest::CheckFigures(TMainForm& form, const TWDataCSVTable& weapon, const TStats& stats)
{
    const TWeaponDamges calc = Expected(weapon, stats, form.OptionRecord());
    auto* grid = Child<TWeaponDataGrid>(form, "WeaponDataGrid");
    for (int a = 0; a < 6; ++a) {
        for (int d = 0; d < 6; ++d) {
            for (int f = 0; f < 3; ++f) {
                QCOMPARE(grid->CellText(d + 2, a * 3 + f + 1), General(calc.Table()[a][d][f]));
            }
        }
    }
    QCOMPARE(grid->HQDamgeLow(), calc.HQLow());
    QCOMPARE(grid->HQDamgeHigh(), calc.HQHigh());
    QCOMPARE(grid->HQDamgeAve(), calc.HQAve());
    QCOMPARE(Child<QLabel>(form, "LabelHQLow")->text(), General(calc.HQLow()));
    QCOMPARE(Child<QLabel>(form, "LabelHQHigh")->text(), General(calc.HQHigh()));
    QCOMPARE(Child<QLabel>(form, "LabelHQAve")->text(), General(calc.HQAve()));
    QCOMPARE(Child<QLabel>(form, "LabelWName")->text(), QString::fromStdString(weapon.Name));
    QCOMPARE(Child<QLabel>(form, "LabelWType")->text(), QString::fromStdString(weapon.Type));
    QCOMPARE(Child<QLabel>(form, "LabelDmethod")->text(),
             QString::fromStdString(weapon.DamageNote));
    QCOMPARE(Child<QLabel>(form, "LabelWeaponSpeed")->text(), QString::number(weapon.Speed));

    const TRaderChartData radar =
        Child<TWeaponRaderChart>(form, "WeaponRaderChart")->RaderChartData();
    QCOMPARE(radar.Damage, static_cast<std::int32_t>(std::trunc(calc.Table()[0][0][2])));
    QCOMPARE(radar.Speed, weapon.Speed);
    QCOMPARE(radar.WeaponType, weapon.Type);

    const TWeaponSpeedData speed =
        Child<TWeaponSpeedGrid>(form, "WeaponSpeedGrid")->WeaponSpeedData();
    QCOMPARE(speed.Name, weapon.Name);
    QCOMPARE(speed.Speed, weapon.Speed);
    QCOMPARE(speed.DEX, stats.DEX);
    QCOMPARE(speed.STR, stats.STR);
    QCOMPARE(speed.INT, stats.INT);
}

void MainFormTest::startsWithDesignTextsAndDefaults()
{
    auto form = MakeForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("QuillmarchVer1.02"));
    // The design's 832 x 478, narrowed to the 800 x 800 test screen and centred on it.
    QCOMPARE(form->geometry(), QRect(0, 161, 800, 478));
    QCOMPARE(form->minimumSize(), QSize(635, 350));
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("WeaponName"));
    QCOMPARE(Child<QLabel>(*form, "LabelHQLow")->text(), QStringLiteral("HQLow"));
    QCOMPARE(Child<QLabel>(*form, "LabelHQHigh")->text(), QStringLiteral("HQHigh"));
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(), QStringLiteral("HQAve"));
    QCOMPARE(Child<TWeaponListView>(*form, "WeaponListView")->Count(), 41);
    QCOMPARE(form->OptionRecord(), TOptionRecord());
    QCOMPARE(form->Calculator().RoundingMode(), 0);
    QCOMPARE(form->Calculator().DamageMethod(), std::string(DefaultDamageMethod));
    QVERIFY(!Child<TWeaponDamageSpreadChart>(*form, "WeaponDamageSpreadChart")->View3D());

    struct TSpin
    {
        const char* Name;
        int Maximum;
    };
    for (const TSpin spin : {TSpin{"SpinEditSTR", 2147483647}, TSpin{"SpinEditTactics", 100},
                             TSpin{"SpinEditAnatomy", 100}, TSpin{"SpinEditLumberjack", 100},
                             TSpin{"SpinEditDEX", 2147483647}, TSpin{"SpinEditInt", 2147483647}}) {
        auto* box = Child<QSpinBox>(*form, spin.Name);
        QVERIFY2(box, spin.Name);
        QCOMPARE(box->value(), 100);
        QCOMPARE(box->minimum(), 0);
        QCOMPARE(box->maximum(), spin.Maximum);
    }
    auto* pages = Child<QTabWidget>(*form, "PageControl");
    QCOMPARE(pages->count(), 6);
    const QStringList tabs = {"MagicDamages", "SpreadChart", "WeaponSpeed",
                              "RaderChart",   "Ranking",     "Compare"};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(pages->tabText(i), tabs[i]);
        QVERIFY(pages->isTabEnabled(i));
    }
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::everyNamedControlCarriesItsObjectName()
{
    auto form = MakeForm();
    for (const char* name : {"LabelWName", "LabelWType", "LabelWeaponSpeed", "LabelDmethod",
                             "LabelHQLow", "LabelHQHigh", "LabelHQAve"}) {
        QVERIFY2(Child<QLabel>(*form, name), name);
    }
    QVERIFY(Child<TWeaponListView>(*form, "WeaponListView"));
    QVERIFY(Child<QTabWidget>(*form, "PageControl"));
    QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->toolTip(),
             QStringLiteral("白：HQと同程度 薄青：HQより下 薄赤：HQより上"));
    QCOMPARE(Child<TWeaponDamageSpreadChart>(*form, "WeaponDamageSpreadChart")->toolTip(),
             QStringLiteral("左Dクリック：標準位置 左ドラッグ：ズーム 右ドラッグ：移動"));
    QVERIFY(Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid"));
    QVERIFY(Child<TWeaponRaderChart>(*form, "WeaponRaderChart"));

    TOptionDlg dialog(form->OptionRecord(), form.get());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Option"));
    QCOMPARE(dialog.size(), QSize(544, 299));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(Child<QCheckBox>(dialog, "CheckBoxAnatomy"));
    QVERIFY(Child<QGroupBox>(dialog, "RadioGroupDecimal"));
    QVERIFY(Child<QGroupBox>(dialog, "RadioGroupDLogic"));
    QVERIFY(Child<QGroupBox>(dialog, "RadioGroup3D"));
    QVERIFY(Child<QLineEdit>(dialog, "EditMagicDamageMethod"));
    QVERIFY(Child<QLineEdit>(dialog, "EditWeaponSpeedMethod"));
    QVERIFY(Child<QLabel>(dialog, "LabelMagicDamageError"));
    QVERIFY(Child<QLabel>(dialog, "LabelWeaponSpeedError"));
    QCOMPARE(Child<QPushButton>(dialog, "OKBtn")->text(), QStringLiteral("OK"));
    QVERIFY(Child<QPushButton>(dialog, "OKBtn")->isDefault());
    QCOMPARE(Child<QPushButton>(dialog, "CancelBtn")->text(), QStringLiteral("キャンセル"));
    auto* pages = Child<QTabWidget>(dialog, "PageControl");
    QCOMPARE(pages->count(), 5);
    const QStringList tabs = {"Base", "MagicDamages", "SpreadChart", "WeaponSpeed", "RaderChart"};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(pages->tabText(i), tabs[i]);
    }
    const auto decimals =
        Child<QGroupBox>(dialog, "RadioGroupDecimal")->findChildren<QRadioButton*>();
    QCOMPARE(decimals.size(), 4);
    QCOMPARE(decimals[3]->text(), QStringLiteral("小数点も表示する"));
    QVERIFY(decimals[0]->isChecked());
}

void MainFormTest::clickingAWeaponFillsEveryPage()
{
    auto form = MakeForm();
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Katana"));
    QCOMPARE(weapon.Name, std::string("Katana"));
    CheckFigures(*form, weapon, TStats{});

    TDamageSpread spread;
    spread.SetDiceData(weapon.DiceCount, weapon.DiceSides, weapon.DamageBonus);
    QCOMPARE(Child<TWeaponDamageSpreadChart>(*form, "WeaponDamageSpreadChart")->HighProbability(),
             spread.HighProbability());
    QCOMPARE(Child<TWeaponRaderChart>(*form, "WeaponRaderChart")->RaderChartData().TopProbability,
             spread.HighProbability());
    QVERIFY(Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid")->CellText(1, 0) != QString());

    // Another weapon of another type replaces every figure.
    const TWDataCSVTable axe = SelectWeapon(*form, QStringLiteral("Hatchet"));
    QCOMPARE(axe.Type, std::string("AXE"));
    CheckFigures(*form, axe, TStats{});
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::clickingTheListWithTheMouseSelectsAndComputes()
{
    // A short table leaves an empty area below the rows.
    const QList<QByteArray> lines = ReadFile(DataSource).split('\n');
    WriteFile(m_dataDir->filePath(QStringLiteral("WData.csv")),
              lines[0] + '\n' + lines[1] + '\n' + lines[2] + '\n' + lines[3] + '\n');
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto* list = Child<TWeaponListView>(*form, "WeaponListView");
    QCOMPARE(list->topLevelItemCount(), 3);

    // A click on the empty area below the rows selects nothing and computes nothing.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(10, list->viewport()->height() - 2));
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("WeaponName"));

    QTreeWidgetItem* item = list->topLevelItem(2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    TWDataCSVTable weapon;
    QVERIFY(list->GetWeaponData(weapon));
    QCOMPARE(QString::fromStdString(weapon.Name), item->text(0));
    CheckFigures(*form, weapon, TStats{});
}

void MainFormTest::spinBoxChangeRecomputesWithoutTheSpreadChart()
{
    auto form = MakeForm();
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Hatchet"));
    auto* chart = Child<TWeaponDamageSpreadChart>(*form, "WeaponDamageSpreadChart");
    // A spread that the stats cannot produce shows whether the chart was fed again.
    chart->SetDiceData(1, 4, 0);

    // One after another, so each change is checked on top of the ones before.
    const struct
    {
        const char* SpinBox;
        int TStats::*Stat;
        int Value;
    } changes[] = {{"SpinEditSTR", &TStats::STR, 250},
                   {"SpinEditLumberjack", &TStats::Lumberjack, 37},
                   {"SpinEditDEX", &TStats::DEX, 35},
                   {"SpinEditTactics", &TStats::Tactics, 0}};
    TStats stats;
    for (const auto& change : changes) {
        stats.*change.Stat = change.Value;
        Child<QSpinBox>(*form, change.SpinBox)->setValue(change.Value);
        CheckFigures(*form, weapon, stats);
    }

    QCOMPARE(chart->Spread().DiceSides(), 4);
    QCOMPARE(Child<TWeaponRaderChart>(*form, "WeaponRaderChart")->RaderChartData().TopProbability,
             25.0);

    auto* tactics = Child<QSpinBox>(*form, "SpinEditTactics");
    tactics->setValue(250);
    QCOMPARE(tactics->value(), 100);
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::spinBoxChangeBeforeAnyWeaponChangesNothing()
{
    auto form = MakeForm();
    const TRaderChartData before =
        Child<TWeaponRaderChart>(*form, "WeaponRaderChart")->RaderChartData();
    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(10);
    Child<QSpinBox>(*form, "SpinEditDEX")->setValue(20);
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("WeaponName"));
    QCOMPARE(Child<QLabel>(*form, "LabelHQLow")->text(), QStringLiteral("HQLow"));
    QCOMPARE(Child<QLabel>(*form, "LabelHQHigh")->text(), QStringLiteral("HQHigh"));
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(), QStringLiteral("HQAve"));
    QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->CellText(2, 1), QString());
    QCOMPARE(Child<TWeaponRaderChart>(*form, "WeaponRaderChart")->RaderChartData().Damage,
             before.Damage);
    QCOMPARE(Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid")->WeaponSpeedData().DEX, 0);
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::spinBoxesStepByKeyAndTakeTypedValuesOnEnter()
{
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Katana"));
    auto* str = Child<QSpinBox>(*form, "SpinEditSTR");
    str->setFocus();

    TStats stats;
    QTest::keyClick(str, Qt::Key_Up);
    stats.STR = 101;
    QCOMPARE(str->value(), stats.STR);
    CheckFigures(*form, weapon, stats);
    QTest::keyClick(str, Qt::Key_PageDown);
    stats.STR = 91;
    CheckFigures(*form, weapon, stats);

    // Digits count once confirmed, not at each keystroke.
    str->selectAll();
    QTest::keyClicks(str, QStringLiteral("400"));
    CheckFigures(*form, weapon, stats);
    QTest::keyClick(str, Qt::Key_Return);
    stats.STR = 400;
    QCOMPARE(str->value(), stats.STR);
    CheckFigures(*form, weapon, stats);
}

void MainFormTest::headerClicksSortTheRows()
{
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto* list = Child<TWeaponListView>(*form, "WeaponListView");
    const auto clickHeader = [&](int column) {
        QHeaderView* header = list->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    const auto column = [&](int c) {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            texts << list->topLevelItem(i)->text(c);
        }
        return texts;
    };
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    const auto sorted = [&](QStringList texts, bool descending) {
        std::stable_sort(texts.begin(), texts.end(), [&](const QString& a, const QString& b) {
            return descending ? collator.compare(b, a) < 0 : collator.compare(a, b) < 0;
        });
        return texts;
    };

    const QStringList fileOrder = column(0);
    clickHeader(0);
    QCOMPARE(list->SortColumn(), 1);
    QCOMPARE(column(0), sorted(fileOrder, false));
    QVERIFY(column(0) != fileOrder);
    clickHeader(0);
    QCOMPARE(list->SortColumn(), -1);
    QCOMPARE(column(0), sorted(fileOrder, true));
    clickHeader(2);
    QCOMPARE(list->SortColumn(), 3);
    QCOMPARE(column(2), sorted(column(2), false));

    // The selection survives the sorting and still names the same weapon.
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Katana"));
    clickHeader(0);
    TWDataCSVTable after;
    QVERIFY(list->GetWeaponData(after));
    QCOMPARE(after.Name, weapon.Name);
}

void MainFormTest::optionDialogOkAppliesAndRecomputes()
{
    auto form = MakeForm();
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Katana"));
    OnDialog([](TOptionDlg& dialog) {
        Child<QGroupBox>(dialog, "RadioGroupDecimal")->findChildren<QRadioButton*>()[3]->click();
        Child<QLineEdit>(dialog, "EditMagicDamageMethod")
            ->setText(QStringLiteral("Damage*TacticsR/3+Plus"));
        Child<QLineEdit>(dialog, "EditWeaponSpeedMethod")
            ->setText(QStringLiteral("SPEED/4+DEXR/100"));
        QTest::mouseClick(Child<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
    });
    form->OptionClick();

    TOptionRecord expected;
    expected.Base.Decimal = 3;
    expected.Base.DamageMethod = "Damage*TacticsR/3+Plus";
    expected.WeaponSpeed.Method = "SPEED/4+DEXR/100";
    QCOMPARE(form->OptionRecord(), expected);
    QCOMPARE(form->Calculator().RoundingMode(), 3);
    CheckFigures(*form, weapon, TStats{});
    // Decimals are shown now: Normal/Normal low of 5 is 5*1.5/3 = 2.5.
    QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->CellText(2, 1),
             QStringLiteral("2.5"));
    auto* speed = Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid");
    QCOMPARE(speed->SpeedMethod(), QStringLiteral("SPEED/4+DEXR/100"));
    TWeaponSpeedGrid reference;
    reference.SetSpeedMethod(QStringLiteral("SPEED/4+DEXR/100"));
    reference.SetWeaponSpeedData(speed->WeaponSpeedData());
    QCOMPARE(speed->ToTabSeparatedText(), reference.ToTabSeparatedText());
    reference.SetSpeedMethod(QString::fromLatin1(DefaultSpeedMethod));
    QVERIFY(speed->ToTabSeparatedText() != reference.ToTabSeparatedText());
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::optionDialogCancelChangesNothing()
{
    auto form = MakeForm();
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Katana"));
    const QString before = Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->ToTabSeparatedText();
    OnDialog([](TOptionDlg& dialog) {
        Child<QGroupBox>(dialog, "RadioGroupDecimal")->findChildren<QRadioButton*>()[3]->click();
        Child<QGroupBox>(dialog, "RadioGroup3D")->findChildren<QRadioButton*>()[1]->click();
        Child<QLineEdit>(dialog, "EditMagicDamageMethod")->setText(QStringLiteral("Damage*7"));
        QTest::mouseClick(Child<QPushButton>(dialog, "CancelBtn"), Qt::LeftButton);
    });
    form->OptionClick();
    QCOMPARE(form->OptionRecord(), TOptionRecord());
    QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->ToTabSeparatedText(), before);
    QVERIFY(!Child<TWeaponDamageSpreadChart>(*form, "WeaponDamageSpreadChart")->View3D());
    CheckFigures(*form, weapon, TStats{});
}

void MainFormTest::optionDialogRefusesARejectedFormula_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("page");
    QTest::newRow("damage syntax") << "EditMagicDamageMethod"
                                   << "LabelMagicDamageError"
                                   << "Damage*2+y" << 1;
    QTest::newRow("damage uses a speed name") << "EditMagicDamageMethod"
                                              << "LabelMagicDamageError"
                                              << "Damage*SPEED" << 1;
    QTest::newRow("damage bracket") << "EditMagicDamageMethod"
                                    << "LabelMagicDamageError"
                                    << "(Damage*2" << 1;
    QTest::newRow("speed syntax") << "EditWeaponSpeedMethod"
                                  << "LabelWeaponSpeedError"
                                  << "SPEED*Plus" << 3;
}

void MainFormTest::optionDialogRefusesARejectedFormula()
{
    QFETCH(QString, edit);
    QFETCH(QString, label);
    QFETCH(QString, formula);
    QFETCH(int, page);

    QString evaluatorWords;
    {
        TMathsParser parser;
        try {
            parser.SetExpression(formula.toStdString());
        } catch (const Exception& e) {
            evaluatorWords = ErrorText(e);
        }
    }
    QVERIFY(!evaluatorWords.isEmpty());

    auto form = MakeForm();
    SelectWeapon(*form, QStringLiteral("Katana"));
    const QString before = Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->ToTabSeparatedText();
    bool stayedOpen = false;
    QString shown;
    int shownPage = -1;
    OnDialog([&](TOptionDlg& dialog) {
        Child<QGroupBox>(dialog, "RadioGroupDecimal")->findChildren<QRadioButton*>()[2]->click();
        Child<QLineEdit>(dialog, edit.toLatin1())->setText(formula);
        Child<QTabWidget>(dialog, "PageControl")->setCurrentIndex(0);
        QTest::mouseClick(Child<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
        stayedOpen = dialog.isVisible() && dialog.result() != QDialog::Accepted;
        shown = Child<QLabel>(dialog, label.toLatin1())->text();
        shownPage = Child<QTabWidget>(dialog, "PageControl")->currentIndex();
        // Mending the formula takes the complaint away while typing.
        Child<QLineEdit>(dialog, edit.toLatin1())->setText(QStringLiteral("1*1"));
        QCOMPARE(Child<QLabel>(dialog, label.toLatin1())->text(), QString());
        dialog.reject();
    });
    form->OptionClick();
    QVERIFY(stayedOpen);
    QCOMPARE(shown, evaluatorWords);
    QCOMPARE(shownPage, page);
    QCOMPARE(form->OptionRecord(), TOptionRecord());
    QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->ToTabSeparatedText(), before);
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::optionDialogShowsTheChosen3DView()
{
    auto form = MakeForm();
    OnDialog([](TOptionDlg& dialog) {
        Child<QGroupBox>(dialog, "RadioGroup3D")->findChildren<QRadioButton*>()[1]->click();
        QTest::mouseClick(Child<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
    });
    form->OptionClick();
    QVERIFY(form->OptionRecord().SpreadChart3D);
    QVERIFY(Child<TWeaponDamageSpreadChart>(*form, "WeaponDamageSpreadChart")->View3D());

    // The next dialog starts from the record it left behind.
    bool checked = false;
    OnDialog([&](TOptionDlg& dialog) {
        checked =
            Child<QGroupBox>(dialog, "RadioGroup3D")->findChildren<QRadioButton*>()[1]->isChecked();
        dialog.reject();
    });
    form->OptionClick();
    QVERIFY(checked);
}

void MainFormTest::optionDialogPreviewsTheFormulasAsTheyAreTyped()
{
    auto form = MakeForm();
    const TStats stats{120, 60, 30, 90, 80, 70};
    SetStats(*form, stats);
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Double Axe"));
    const QString damageFormula = QStringLiteral("Damage*(TacticsR+LumberjR)/3+Plus");
    const QString speedFormula = QStringLiteral("SPEED/4+DEXR/100");
    QStringList damageShown;
    QString speedShown;
    QString faultShown;
    bool speedPreviewHidden = false;
    OnDialog([&](TOptionDlg& dialog) {
        const auto preview = [&](const char* editor) {
            return Child<QLabel>(*Child<TFormulaEditor>(dialog, editor), "FormulaPreviewLabel");
        };
        auto* damage = Child<QLineEdit>(dialog, "EditMagicDamageMethod");
        damage->clear();
        QTest::keyClicks(damage, damageFormula);
        damageShown << preview("MagicDamageMethodEditor")->text();
        // The preview rounds as the first page says.
        Child<QGroupBox>(dialog, "RadioGroupDecimal")->findChildren<QRadioButton*>()[3]->click();
        damageShown << preview("MagicDamageMethodEditor")->text();

        auto* speed = Child<QLineEdit>(dialog, "EditWeaponSpeedMethod");
        speed->clear();
        QTest::keyClicks(speed, speedFormula);
        speedShown = preview("WeaponSpeedMethodEditor")->text();
        QTest::keyClicks(speed, QStringLiteral("+y"));
        speedPreviewHidden = preview("WeaponSpeedMethodEditor")->isHidden();
        faultShown = Child<QLabel>(dialog, "LabelWeaponSpeedError")->text();
        dialog.reject();
    });
    form->OptionClick();

    const QString name = QString::fromStdString(weapon.Name);
    TOptionRecord option;
    option.Base.DamageMethod = damageFormula.toStdString();
    for (int i = 0; i < 2; ++i) {
        option.Base.Decimal = i == 0 ? RoundUp : NoRounding;
        const TWeaponDamges calc = Expected(weapon, stats, option);
        QCOMPARE(damageShown.value(i),
                 QStringLiteral("%1 の Normal/Normal: 最低 %2、最高 %3、平均 %4")
                     .arg(name, General(calc.Table()[0][0][0]), General(calc.Table()[0][0][1]),
                          General(calc.Table()[0][0][2])));
    }
    QVERIFY(damageShown[0] != damageShown[1]);
    TWeaponSpeed speed;
    speed.SetWeaponSpeedData({weapon.Name, weapon.Speed, stats.DEX, stats.STR, stats.INT});
    speed.SetSpeedMethod(speedFormula.toStdString());
    // 37 / 4 + 60 / 100
    QCOMPARE(speedShown, QStringLiteral("%1、DEX 60 での値: 9.85（%2sec）")
                             .arg(name, General(speed.Delays()[stats.DEX])));
    QVERIFY(speedPreviewHidden);
    QCOMPARE(faultShown, QStringLiteral("誤った表記が見られます。修正して下さい。"));
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::settingsAreWrittenAtCloseAndReadAtStart()
{
    const QString path = m_dataDir->filePath(QStringLiteral("Option.ini"));
    {
        auto form = MakeForm();
        form->close();
    }
    // The five settings first, as they always were; the window's place follows.
    const QString written = QString::fromUtf8(ReadFile(path));
    QVERIFY2(written.startsWith(StandardSettings), qPrintable(written));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\[Window\\]\nLeft=-?\\d+\nTop=-?\\d+\n"
                                               "Width=800\nHeight=478\nMaximized=0\n"
                                               "Splitter=\\d+\n$"))
                 .match(written.mid(StandardSettings.size()))
                 .hasMatch(),
             qPrintable(written));

    TOptionRecord changed;
    changed.Base.Anatomy = true;
    changed.Base.Decimal = 2;
    changed.Base.DamageMethod = "Damage*TacticsR";
    changed.SpreadChart3D = true;
    changed.WeaponSpeed.Method = "(10000/((25+2.5*DEXR)*SPEED))";
    {
        auto form = MakeForm();
        form->SetOptionRecord(changed);
        form->close();
    }
    auto form = MakeForm();
    QCOMPARE(form->OptionRecord(), changed);
    QCOMPARE(form->Calculator().RoundingMode(), 2);
    QVERIFY(form->Calculator().AnatomyOption());
    QCOMPARE(form->Calculator().DamageMethod(), changed.Base.DamageMethod);
    QCOMPARE(Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid")->SpeedMethod().toStdString(),
             changed.WeaponSpeed.Method);
    QVERIFY(Child<TWeaponDamageSpreadChart>(*form, "WeaponDamageSpreadChart")->View3D());
    QVERIFY(!QFile::exists(m_configDir->filePath(QStringLiteral("Option.ini"))));
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::appearanceTakesEffectAtOnceAndSystemGivesTheDesktopBack()
{
    auto form = MakeForm();
    const QColor desktop = QApplication::palette().color(QPalette::Window);
    const QString style = QApplication::style()->name();
    auto* grid = Child<TWeaponDataGrid>(*form, "WeaponDataGrid");
    const auto choose = [&](int item) {
        OnDialog([item](TOptionDlg& dialog) {
            Child<QGroupBox>(dialog, "RadioGroupAppearance")
                ->findChildren<QRadioButton*>()[item]
                ->click();
            QTest::mouseClick(Child<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
        });
        form->OptionClick();
    };
    choose(2);
    QCOMPARE(form->OptionRecord().Appearance, TAppearance::Dark);
    QVERIFY(grid->CellColor(0, 1).lightness() < 100);
    choose(1);
    QVERIFY(!IsDarkPalette(QApplication::palette()));
    QCOMPARE(grid->CellColor(0, 1), QColor(0x00, 0xAA, 0xFF));
    choose(0);
    QCOMPARE(QApplication::palette().color(QPalette::Window), desktop);
    QCOMPARE(QApplication::style()->name(), style);

    // A desktop that turns dark while a pin is shown recolours the pin.
    form->show();
    SelectWeapon(*form, QStringLiteral("Bow"));
    Child<QAction>(*form, "ActionPin")->trigger();
    auto* radar = Child<TWeaponRaderChart>(*form, "WeaponRaderChart");
    QCOMPARE(radar->Overlays().front().Colour, TColourScheme::Light().Pin(0));
    QApplication::setPalette(DarkPalette());
    QTRY_COMPARE(radar->Overlays().front().Colour, TColourScheme::Dark().Pin(0));
    QPalette desktopAgain;
    desktopAgain.setResolveMask(0);
    QApplication::setPalette(desktopAgain);
    QTRY_COMPARE(radar->Overlays().front().Colour, TColourScheme::Light().Pin(0));
}

void MainFormTest::shiftJisCrLfSettingsAreRead()
{
    const QString path = m_dataDir->filePath(QStringLiteral("Option.ini"));
    const std::string text = "; 武器計算機の設定\r\n"
                             "[Base]\r\n"
                             "Anatomy=1\r\n"
                             "Decimal=1\r\n"
                             "DamageMethod=Damage*(TacticsR+AnatomyR)\r\n"
                             "[SpreadChart]\r\n"
                             "3D=1\r\n"
                             "[WeaponSpeed]\r\n"
                             "Method=(12000/((25+2.5*DEXR)*SPEED))\r\n"
                             "[メモ]\r\n"
                             "武器=刀\r\n";
    WriteFile(path, QByteArray::fromStdString(EncodeUtf8ToShiftJis(text)));
    {
        auto form = MakeForm();
        QVERIFY(form->OptionRecord().Base.Anatomy);
        QCOMPARE(form->OptionRecord().Base.Decimal, 1);
        QCOMPARE(form->OptionRecord().Base.DamageMethod, std::string("Damage*(TacticsR+AnatomyR)"));
        QVERIFY(form->OptionRecord().SpreadChart3D);
        QCOMPARE(form->OptionRecord().WeaponSpeed.Method,
                 std::string("(12000/((25+2.5*DEXR)*SPEED))"));
        const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Katana"));
        CheckFigures(*form, weapon, TStats{});
        form->close();
    }
    // Written back in UTF-8 with its own line ends, the foreign lines kept;
    // the window's place is added after them.
    const std::string written = ReadFile(path).toStdString();
    QCOMPARE(written.substr(0, text.size()), text);
    QVERIFY2(QRegularExpression(QStringLiteral("^\\[Window\\]\r\n(\\w+=-?\\d+\r\n){6}$"))
                 .match(QString::fromStdString(written.substr(text.size())))
                 .hasMatch(),
             written.c_str());
}

void MainFormTest::unwritableDataFolderSendsSettingsToTheConfigFolder()
{
    // A directory where the file should be refuses the write even for root.
    QVERIFY(QDir(m_dataDir->path()).mkdir(QStringLiteral("Option.ini")));
    QTemporaryDir xdg;
    qputenv("XDG_CONFIG_HOME", xdg.path().toLocal8Bit());
    TOptionRecord changed;
    changed.Base.Decimal = 3;
    {
        TMainForm form(m_dataDir->path());
        QCOMPARE(form.OptionRecord(), TOptionRecord());
        form.SetOptionRecord(changed);
        form.close();
    }
    const QString configFile = xdg.filePath(QStringLiteral("quillmarch/Option.ini"));
    QVERIFY(ReadFile(configFile).contains("Decimal=3"));
    QVERIFY(m_messages.isEmpty());
    {
        TMainForm form(m_dataDir->path());
        QCOMPARE(form.OptionRecord(), changed);
    }
    qunsetenv("XDG_CONFIG_HOME");
}

void MainFormTest::configFolderCopyWinsAtStart()
{
    WriteFile(m_dataDir->filePath(QStringLiteral("Option.ini")), "[Base]\nDecimal=1\n");
    WriteFile(m_configDir->filePath(QStringLiteral("Option.ini")), "[Base]\nDecimal=2\n");
    {
        auto form = MakeForm();
        QCOMPARE(form->OptionRecord().Base.Decimal, 2);
        TOptionRecord changed = form->OptionRecord();
        changed.Base.Decimal = 3;
        form->SetOptionRecord(changed);
        form->close();
    }
    // The copy that is read is the copy that is written, or the change would be lost.
    QVERIFY(ReadFile(m_configDir->filePath(QStringLiteral("Option.ini"))).contains("Decimal=3"));
    QCOMPARE(ReadFile(m_dataDir->filePath(QStringLiteral("Option.ini"))),
             QByteArray("[Base]\nDecimal=1\n"));
}

void MainFormTest::installedProgramKeepsSettingsInTheConfigFolderOnly()
{
    WriteFile(m_dataDir->filePath(QStringLiteral("Option.ini")), "[Base]\nDecimal=1\n");
    {
        TMainForm form(m_dataDir->path(), m_configDir->path(), false);
        QCOMPARE(form.OptionRecord().Base.Decimal, 0);
        form.close();
    }
    QVERIFY(ReadFile(m_configDir->filePath(QStringLiteral("Option.ini"))).contains("Decimal=0"));
    QCOMPARE(ReadFile(m_dataDir->filePath(QStringLiteral("Option.ini"))),
             QByteArray("[Base]\nDecimal=1\n"));
}

void MainFormTest::aSaveThatFailsEverywhereIsReported()
{
    QVERIFY(QDir(m_dataDir->path()).mkdir(QStringLiteral("Option.ini")));
    // The configuration folder lies below a plain file, so it cannot be made.
    const QString blocker = m_configDir->filePath(QStringLiteral("file"));
    WriteFile(blocker, "x");
    TMainForm form(m_dataDir->path(), blocker + QStringLiteral("/quillmarch"));
    form.close();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].startsWith(QStringLiteral("Option.iniを保存できませんでした。")));
}

void MainFormTest::brokenFormulaInTheFileFallsBackAndIsKept()
{
    const QString path = m_dataDir->filePath(QStringLiteral("Option.ini"));
    WriteFile(path, "[Base]\nDamageMethod=(Damage*2\n");
    auto form = MakeForm();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(form->Calculator().DamageMethod(), std::string(DefaultDamageMethod));
    QCOMPARE(form->OptionRecord().Base.DamageMethod, std::string("(Damage*2"));
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Katana"));
    const TWeaponDamges calc = Expected(weapon, TStats{}, TOptionRecord());
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(), General(calc.HQAve()));
    form->close();
    QVERIFY(ReadFile(path).contains("DamageMethod=(Damage*2\n"));
}

void MainFormTest::evaluationErrorKeepsTheLastGoodFigures()
{
    auto form = MakeForm();
    const TWDataCSVTable weapon = SelectWeapon(*form, QStringLiteral("Katana"));
    const QString grid = Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->ToTabSeparatedText();
    const QString hq = Child<QLabel>(*form, "LabelHQAve")->text();

    TOptionRecord dividing;
    dividing.Base.DamageMethod = "Damage/(STR-100)";
    form->SetOptionRecord(dividing);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->ToTabSeparatedText(), grid);
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(), hq);

    // The program goes on: other stats give figures again.
    TStats stats;
    stats.STR = 110;
    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(stats.STR);
    QCOMPARE(m_messages.size(), 1);
    CheckFigures(*form, weapon, stats);
}

void MainFormTest::weaponTableProblemsAreShownAndLeaveAnEmptyList_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("WData.csvファイルが存在しません。");
    QTest::newRow("letter in speed")
        << QByteArray("Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n"
                      "0,Broadsword,5,29,17,45,Swords,2,13,3,2d13+3\n"
                      "1,Cutlass,6,28,17,4x,Swords,2,12,4,2d12+4\n")
        << QStringLiteral("CSVFileのエラーです。");
}

void MainFormTest::weaponTableProblemsAreShownAndLeaveAnEmptyList()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, message);
    const QString path = m_dataDir->filePath(QStringLiteral("WData.csv"));
    QVERIFY(QFile::remove(path));
    if (!csv.isEmpty()) {
        WriteFile(path, csv);
    }
    auto form = MakeForm();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].startsWith(message), qPrintable(m_messages[0]));
    auto* list = Child<TWeaponListView>(*form, "WeaponListView");
    QCOMPARE(list->Count(), 0);
    QCOMPARE(list->topLevelItemCount(), 0);
    // The window goes on: settings still load and a spin box is harmless.
    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(1);
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("WeaponName"));
    QCOMPARE(m_messages.size(), 1);
}

namespace {

class TThrowingObject : public QObject
{
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User) {
            throw EFileError("raised inside an event");
        }
        return QObject::event(event);
    }
};

} // namespace

void MainFormTest::applicationShowsErrorsRaisedInsideEvents()
{
    QVERIFY(qobject_cast<TQuillmarchApplication*>(QCoreApplication::instance()));
    TThrowingObject object;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&object, &event);
    QCOMPARE(m_messages, QStringList{QStringLiteral("raised inside an event")});
}

void MainFormTest::radarDamageSaturatesInsteadOfOverflowing()
{
    auto form = MakeForm();
    SelectWeapon(*form, QStringLiteral("Katana"));
    TOptionRecord huge;
    huge.Base.DamageMethod = "Damage*10^12";
    form->SetOptionRecord(huge);
    QCOMPARE(Child<TWeaponRaderChart>(*form, "WeaponRaderChart")->RaderChartData().Damage,
             std::numeric_limits<std::int32_t>::max());
    huge.Base.DamageMethod = "0-Damage*10^12";
    form->SetOptionRecord(huge);
    QCOMPARE(Child<TWeaponRaderChart>(*form, "WeaponRaderChart")->RaderChartData().Damage,
             std::numeric_limits<std::int32_t>::min());
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::renderWithAWeaponSelected()
{
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    SelectWeapon(*form, QStringLiteral("Katana"));
    QApplication::processEvents();
    const QPixmap shot = form->grab();
    QVERIFY(!shot.isNull());
    QVERIFY(shot.save(QStringLiteral("/tmp/main.png")));
    auto* pages = Child<QTabWidget>(*form, "PageControl");
    for (int i = 1; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        // Charts lay themselves out in posted events.
        QTest::qWait(400);
        form->grab().save(QStringLiteral("/tmp/main-page%1.png").arg(i));
    }
    TOptionRecord bad;
    bad.Base.DamageMethod = "Damage*(2";
    TOptionDlg dialog(bad, form.get());
    dialog.show();
    auto* dialogPages = Child<QTabWidget>(dialog, "PageControl");
    for (int i = 0; i < dialogPages->count(); ++i) {
        dialogPages->setCurrentIndex(i);
        QApplication::processEvents();
        dialog.grab().save(QStringLiteral("/tmp/option-page%1.png").arg(i));
    }
}

namespace {

const TWeaponRank* RankOfSlot(const TWeaponRankingView& view, int slot)
{
    for (const TWeaponRank& rank : view.Ranking()) {
        if (rank.Slot == slot) {
            return &rank;
        }
    }
    return nullptr;
}

int RowOfSlot(const TWeaponRankingView& view, int slot)
{
    const std::vector<TWeaponRank>& rows = view.Ranking();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].Slot == slot) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

void MainFormTest::rankingAgreesWithTheSingleWeaponPages_data()
{
    QTest::addColumn<QString>("weapon");
    QTest::addColumn<int>("str");
    QTest::addColumn<int>("dex");
    QTest::addColumn<int>("tactics");
    QTest::addColumn<int>("lumberjack");
    QTest::newRow("Bow, all 100") << "Bow" << 100 << 100 << 100 << 100;
    QTest::newRow("Bow, weak and slow") << "Bow" << 45 << 35 << 60 << 0;
    QTest::newRow("Hatchet, all 100") << "Hatchet" << 100 << 100 << 100 << 100;
    QTest::newRow("Hatchet, strong lumberjack") << "Hatchet" << 130 << 57 << 85 << 90;
}

void MainFormTest::rankingAgreesWithTheSingleWeaponPages()
{
    QFETCH(QString, weapon);
    QFETCH(int, str);
    QFETCH(int, dex);
    QFETCH(int, tactics);
    QFETCH(int, lumberjack);
    TOptionRecord halves;
    halves.Base.Decimal = 3;
    for (const TOptionRecord& option : {TOptionRecord(), halves}) {
        auto form = MakeForm();
        form->SetOptionRecord(option);
        TStats stats;
        stats.STR = str;
        stats.DEX = dex;
        stats.Tactics = tactics;
        stats.Lumberjack = lumberjack;
        stats.Anatomy = 70;
        SetStats(*form, stats);
        SelectWeapon(*form, weapon);
        const int slot = Child<TWeaponListView>(*form, "WeaponListView")->SelectedSlot();
        QVERIFY(slot > 0);
        const auto* view = Child<TWeaponRankingView>(*form, "WeaponRankingView");
        QCOMPARE(static_cast<int>(view->Ranking().size()), 41);
        const TWeaponRank* rank = RankOfSlot(*view, slot);
        QVERIFY(rank);
        QCOMPARE(QString::fromStdString(rank->Name), weapon);

        QCOMPARE(General(rank->HQAverage), Child<QLabel>(*form, "LabelHQAve")->text());
        QCOMPARE(General(rank->Average),
                 Child<TWeaponDataGrid>(*form, "WeaponDataGrid")->CellText(2, 3));
        const TWeaponSpeed& speed = Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid")->Speed();
        QCOMPARE(rank->Delay, speed.Delays()[static_cast<std::size_t>(dex)]);
        QVERIFY(rank->DamagePerSecond);
        QCOMPARE(*rank->DamagePerSecond, rank->Average / rank->Delay);
        QCOMPARE(
            rank->TopProbability,
            Child<TWeaponDamageSpreadChart>(*form, "WeaponDamageSpreadChart")->HighProbability());
        QCOMPARE(rank->Overall,
                 OverallPercent(Child<TWeaponRaderChart>(*form, "WeaponRaderChart")->Factors()));
        const int row = RowOfSlot(*view, slot);
        QCOMPARE(view->CellText(row, TRankColumn::Delay),
                 General(speed.Delays()[static_cast<std::size_t>(dex)]));

        // The Compare page's first column is the same setup.
        const auto* compare = Child<TSetupCompareView>(*form, "SetupCompareView");
        const auto* grid = Child<TWeaponDataGrid>(*form, "WeaponDataGrid");
        QCOMPARE(compare->CellText(TCompareRow::HQHigh, 0),
                 Child<QLabel>(*form, "LabelHQHigh")->text());
        QCOMPARE(compare->CellText(TCompareRow::NormalAverage, 0), grid->CellText(2, 3));
        QCOMPARE(compare->CellText(TCompareRow::SupremeAverage, 0), grid->CellText(7, 18));
        for (const auto& [compareRow, rankColumn] :
             {std::pair{TCompareRow::Delay, TRankColumn::Delay},
              std::pair{TCompareRow::DamagePerSecond, TRankColumn::DamagePerSecond},
              std::pair{TCompareRow::TopProbability, TRankColumn::TopProbability},
              std::pair{TCompareRow::Overall, TRankColumn::Overall}}) {
            QCOMPARE(compare->CellText(compareRow, 0), view->CellText(row, rankColumn));
        }
        QVERIFY(m_messages.isEmpty());
    }
}

void MainFormTest::rankingRowSelectsTheWeaponInTheList()
{
    auto form = MakeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto* list = Child<TWeaponListView>(*form, "WeaponListView");
    // Name, descending: the list's rows no longer follow the table.
    list->SetSortColumn(-1);
    auto* pages = Child<QTabWidget>(*form, "PageControl");
    auto* view = Child<TWeaponRankingView>(*form, "WeaponRankingView");
    pages->setCurrentWidget(view);
    QApplication::processEvents();

    for (const QString& name : {QStringLiteral("Hatchet"), QStringLiteral("Crossbow")}) {
        int row = -1;
        for (std::size_t i = 0; i < view->Ranking().size(); ++i) {
            if (QString::fromStdString(view->Ranking()[i].Name) == name) {
                row = static_cast<int>(i);
            }
        }
        QVERIFY(row >= 0);
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());

        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->selectedItems().front()->text(0), name);
        QCOMPARE(list->SelectedSlot(), view->Ranking()[static_cast<std::size_t>(row)].Slot);
        TWDataCSVTable weapon;
        QVERIFY(list->GetWeaponData(weapon));
        CheckFigures(*form, weapon, TStats{});
        QCOMPARE(view->SelectedSlot(), list->SelectedSlot());
    }

    // A pick in the list selects the ranking's row without choosing again.
    QSignalSpy chosen(view, &TWeaponRankingView::WeaponChosen);
    const TWDataCSVTable katana = SelectWeapon(*form, QStringLiteral("Katana"));
    QCOMPARE(QString::fromStdString(katana.Name), QStringLiteral("Katana"));
    QCOMPARE(view->SelectedSlot(), list->SelectedSlot());
    QCOMPARE(chosen.count(), 0);
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::rankingFollowsTheSpinBoxesBeforeAnyPick()
{
    auto form = MakeForm();
    auto* view = Child<TWeaponRankingView>(*form, "WeaponRankingView");
    QCOMPARE(static_cast<int>(view->Ranking().size()), 41);
    const QString before = view->ToTabSeparatedText();
    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(40);
    QVERIFY(view->ToTabSeparatedText() != before);

    // The same figures as a window that starts with these stats and picks.
    auto second = MakeForm();
    TStats stats;
    stats.STR = 40;
    SetStats(*second, stats);
    SelectWeapon(*second, QStringLiteral("Broadsword"));
    const TWeaponRank* rank = RankOfSlot(*view, 1);
    QVERIFY(rank);
    QCOMPARE(General(rank->HQAverage), Child<QLabel>(*second, "LabelHQAve")->text());
    QCOMPARE(Child<QLabel>(*form, "LabelWName")->text(), QStringLiteral("WeaponName"));
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(), QStringLiteral("HQAve"));
    QVERIFY(Child<QLabel>(*form, "LabelNextSwing")->text().isEmpty());
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::aFormulaFaultIsShownOnceAndKeepsTheRanking_data()
{
    QTest::addColumn<bool>("picked");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("shown");
    const QString damage = QString::fromLatin1(DefaultDamageMethod);
    const QString speed = QString::fromLatin1(DefaultSpeedMethod);
    const QString zero = QStringLiteral("Floating point division by zero");
    for (const bool picked : {false, true}) {
        const char* const who = picked ? "picked" : "no pick";
        // A fault for the weapon shown names the formula and the weapon.
        const auto named = [&](const char* formula) {
            return picked ? QString::fromUtf8(formula) + QStringLiteral("（Katana）:\n") + zero
                          : zero;
        };
        QTest::addRow("%s, damage divides by zero", who)
            << picked << QStringLiteral("Damage/(STR-100)") << speed << named("ダメージの計算式");
        QTest::addRow("%s, damage refused", who)
            << picked << QStringLiteral("Damage*(2") << speed
            << QStringLiteral("括弧の数が一致していません。式を再点検してください。\n"
                              "標準の計算式を使います。");
        QTest::addRow("%s, delay divides by zero", who)
            << picked << damage << QStringLiteral("15000/(STR-100)") << named("速度の計算式");
    }
}

void MainFormTest::aFormulaFaultIsShownOnceAndKeepsTheRanking()
{
    QFETCH(bool, picked);
    QFETCH(QString, damage);
    QFETCH(QString, speed);
    QFETCH(QString, shown);
    auto form = MakeForm();
    if (picked) {
        SelectWeapon(*form, QStringLiteral("Katana"));
    }
    auto* view = Child<TWeaponRankingView>(*form, "WeaponRankingView");
    const QString before = view->ToTabSeparatedText();

    TOptionRecord record;
    record.Base.DamageMethod = damage.toStdString();
    record.WeaponSpeed.Method = speed.toStdString();
    form->SetOptionRecord(record);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0], shown);
    // A refused formula is replaced by the standard one, which still ranks;
    // one that fails at these stats leaves the last good rows.
    QCOMPARE(view->ToTabSeparatedText(), before);

    // The next stat change that the formulas can take ranks again, quietly.
    Child<QSpinBox>(*form, "SpinEditSTR")->setValue(110);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(view->ToTabSeparatedText() != before);
}

// Every pin's column is what the pages show when its weapon is picked with
// its inputs; pins come back at the next start, less those whose weapon
// has left the table, named in one message.
void MainFormTest::pinnedSetupsAreComparedAndKeptAcrossARestart()
{
    std::vector<TSetupFigures> pinned;
    {
        auto form = MakeForm();
        auto* pin = Child<QAction>(*form, "ActionPin");
        QVERIFY(!pin->isEnabled());
        QCOMPARE(pin->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
        SelectWeapon(*form, QStringLiteral("Bow"));
        pin->trigger();
        TStats strong;
        strong.STR = 130;
        strong.DEX = 45;
        SetStats(*form, strong);
        SelectWeapon(*form, QStringLiteral("Hatchet"));
        pin->trigger();
        pin->trigger();
        QCOMPARE(form->Pins().size(), std::size_t{2});
        pinned = form->CompareFigures();
        QCOMPARE(pinned.size(), std::size_t{3});

        form->MovePin(1, 0);
        QCOMPARE(form->Pins().front().Weapon.Name, std::string("Hatchet"));
        for (const TSetupFigures& figures : {pinned[1], pinned[2]}) {
            SetStats(*form, {figures.Setup.Stats.STR, figures.Setup.Stats.DEX,
                             figures.Setup.Stats.INT, figures.Setup.Stats.Tactics,
                             figures.Setup.Stats.Anatomy, figures.Setup.Stats.Lumberjack});
            SelectWeapon(*form, QString::fromStdString(figures.Setup.Weapon.Name));
            const TSetupFigures& current = form->CompareFigures().front();
            for (int row = 0; row < CompareRowCount; ++row) {
                QCOMPARE(CompareCellText(current, TCompareRow(row)),
                         CompareCellText(figures, TCompareRow(row)));
            }
            QCOMPARE(General(figures.Damage.HQAve), Child<QLabel>(*form, "LabelHQAve")->text());
        }
        form->close();
    }
    QVERIFY(m_messages.isEmpty());
    QVERIFY(ReadFile(m_dataDir->filePath("Option.ini"))
                .contains("[Pins]\nCount=2\nPin1=Hatchet@130,45,100,100,100,100\n"
                          "Pin2=Bow@100,100,100,100,100,100\n"));

    auto form = MakeForm();
    QCOMPARE(form->Pins().size(), std::size_t{2});
    QCOMPARE(form->Pins()[1].Weapon.Name, std::string("Bow"));
    form->close();

    QByteArray table = ReadFile(m_dataDir->filePath("WData.csv"));
    const qsizetype bow = table.indexOf(",Bow,");
    table.remove(table.lastIndexOf('\n', bow) + 1,
                 table.indexOf('\n', bow) - table.lastIndexOf('\n', bow));
    WriteFile(m_dataDir->filePath("WData.csv"), table);
    form = MakeForm();
    QCOMPARE(form->Pins().size(), std::size_t{1});
    QCOMPARE(m_messages, QStringList{QStringLiteral("武器表に見つからないピンを外しました:\n"
                                                    "Bow@100,100,100,100,100,100")});
}

// A pin whose inputs the formula cannot take is the action's one message,
// named by the pin, while the current setup and the ranking go on.
void MainFormTest::aPinTheFormulaCannotTakeIsNamedOnce()
{
    auto form = MakeForm();
    TStats strong;
    strong.STR = 120;
    SetStats(*form, strong);
    SelectWeapon(*form, QStringLiteral("Katana"));
    form->PinClick();
    SetStats(*form, TStats());
    QVERIFY(m_messages.isEmpty());

    TOptionRecord record;
    record.Base.DamageMethod = "Damage/(STR-120)";
    form->SetOptionRecord(record);
    QCOMPARE(m_messages,
             QStringList{QStringLiteral(
                 "比較（Katana · STR 120 DEX 100）:\nFloating point division by zero")});
    QVERIFY(!Child<TWeaponRankingView>(*form, "WeaponRankingView")->Ranking().empty());
    QCOMPARE(Child<QLabel>(*form, "LabelHQAve")->text(),
             General(Expected(form->Pins().front().Weapon, TStats(), record).HQAve()));
}

void MainFormTest::nextFasterSwingAtRangeBorders()
{
    auto form = MakeForm();
    SelectWeapon(*form, QStringLiteral("Katana"));
    auto* dexBox = Child<QSpinBox>(*form, "SpinEditDEX");
    auto* label = Child<QLabel>(*form, "LabelNextSwing");
    auto* grid = Child<TWeaponSpeedGrid>(*form, "WeaponSpeedGrid");
    const std::vector<TSpeedRange> ranges = grid->Speed().Ranges();
    QVERIFY(ranges.size() >= 3);
    const auto expected = [](int more, double delay) {
        return QStringLiteral("+%1 DEX → %2sec").arg(more).arg(General(delay));
    };
    for (std::size_t i = 0; i + 2 < ranges.size(); ++i) {
        const TSpeedRange& range = ranges[i];
        const TSpeedRange& next = ranges[i + 1];
        // The grid's ranges, not the label's own search, give the expected
        // figures; a delay that rises again would break this, and the
        // standard formula's does not.
        QVERIFY(next.Delay < range.Delay);
        dexBox->setValue(range.To);
        QCOMPARE(label->text(), expected(1, next.Delay));
        QCOMPARE(grid->MarkedRange()->From, range.From);
        dexBox->setValue(next.From);
        QCOMPARE(label->text(), expected(ranges[i + 2].From - next.From, ranges[i + 2].Delay));
        QCOMPARE(grid->MarkedRange()->From, next.From);
    }
    // Within the last range no shorter delay is left, nor beyond DEX 200.
    for (const int dex : {ranges.back().From, 200, 201, 1000}) {
        dexBox->setValue(dex);
        QVERIFY2(label->text().isEmpty(), qPrintable(label->text()));
    }
    QCOMPARE(grid->MarkedRange(), nullptr);
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::eachRowComputesItsOwnWeaponWhateverItsIndex()
{
    // A row deleted by hand and an Index typed twice: the Index no longer
    // tells the line, so only the row itself can.
    const QByteArray csv = "Index,Name,Low,High,Average,Speed,Type,Dice,Sides,Bonus,Note\n"
                           "0,Broadsword,5,29,17,45,Swords,2,13,3,2d13+3\n"
                           "2,Hatchet,2,17,9.5,41,AXE,1,16,1,1d16+1\n"
                           "2,Mace,8,32,20,40,Mace,3,9,5,3d9+5\n"
                           "5,Bow,9,41,25,30,Archery,4,9,5,4d9+5\n";
    WriteFile(m_dataDir->filePath(QStringLiteral("WData.csv")), csv);
    TWeaponTable table;
    table.LoadFromBytes(csv.toStdString());
    auto form = MakeForm();
    for (int line = 1; line <= table.Count(); ++line) {
        const TWDataCSVTable& weapon = table.Weapon(line);
        SelectWeapon(*form, QString::fromStdString(weapon.Name));
        CheckFigures(*form, weapon, TStats{});
    }
    QVERIFY(m_messages.isEmpty());
}

void MainFormTest::aNamedPipeInPlaceOfAFileIsRefusedWithoutWaiting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("settings") << QStringLiteral("Option.ini")
                              << QStringLiteral(
                                     "設定ファイルを読み込めません（名前付きパイプです）: ");
    QTest::newRow("weapon table") << QStringLiteral("WData.csv")
                                  << QStringLiteral("CSVFileのエラーです。");
    // A missing icon is a white square, and so is one that is no file.
    QTest::newRow("type icon") << QStringLiteral("SS.bmp") << QString();
}

void MainFormTest::aNamedPipeInPlaceOfAFileIsRefusedWithoutWaiting()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString path = m_dataDir->filePath(name);
    QFile::remove(path);
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    // Opening the pipe would wait for a writer that never comes; the child is
    // killed then, and the test fails instead of hanging.
    const QString said = MessagesOfChild([this] {
        auto form = MakeForm();
        form->close();
    });
    if (message.isEmpty()) {
        QCOMPARE(said, QString());
    } else {
        QVERIFY2(said.startsWith(message), qPrintable(said));
        QVERIFY2(said.contains(name), qPrintable(said));
    }
    // Saving at close went elsewhere and left the pipe in its place.
    QCOMPARE(FileKindOf(QFile::encodeName(path).toStdString()), TFileKind::Fifo);
}

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    MainFormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainFormTest.moc"
