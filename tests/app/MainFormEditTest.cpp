#include "MainFormFixture.h"

#include "app/Application.h"
#include "app/Main.h"
#include "views/WeaponRankingView.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

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

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    MainFormEditTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainFormEditTest.moc"
