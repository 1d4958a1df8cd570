#include "MainFormFixture.h"

#include "app/Application.h"
#include "app/ErrorText.h"
#include "app/Language.h"
#include "app/UOptionDlg.h"
#include "weapons/WeaponTable.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

namespace {

// Every text a user can read on `top` and the widgets in it, each named by
// where it stands. The weapon list's rows are weapon data and stay out.
QStringList Texts(QWidget* top)
{
    QStringList texts;
    const auto add = [&](const QObject* where, const QString& text) {
        if (!text.isEmpty()) {
            texts << where->objectName() + QStringLiteral(": ") + text;
        }
    };
    QList<QWidget*> widgets = top->findChildren<QWidget*>();
    widgets.prepend(top);
    for (QWidget* w : widgets) {
        add(w, w->windowTitle());
        add(w, w->toolTip());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            add(w, label->text());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            add(w, button->text());
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            add(w, group->title());
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            add(w, edit->placeholderText());
        } else if (auto* menu = qobject_cast<QMenu*>(w)) {
            add(w, menu->title());
        } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                add(w, tabs->tabText(i));
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) {
                add(w, combo->itemText(i));
                add(w, combo->itemData(i, Qt::ToolTipRole).toString());
            }
        } else if (auto* header = qobject_cast<QHeaderView*>(w); header && header->model()) {
            const int count = header->orientation() == Qt::Horizontal
                                  ? header->model()->columnCount()
                                  : header->model()->rowCount();
            for (int i = 0; i < count; ++i) {
                for (const int role : {Qt::DisplayRole, Qt::ToolTipRole}) {
                    add(header,
                        header->model()->headerData(i, header->orientation(), role).toString());
                }
            }
        }
    }
    for (const QAction* action : top->findChildren<QAction*>()) {
        add(action, action->text());
        add(action, action->toolTip());
    }
    return texts;
}

QStringList Japanese(const QStringList& texts)
{
    static const QRegularExpression kana(
        QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"));
    QStringList found = texts.filter(kana);
    // The language choice names Japanese in its own words in every language.
    found.removeAll(QStringLiteral("ComboBoxLanguage: 日本語"));
    return found;
}

} // namespace

class LanguageTest : public QObject, private TMainFormFixture
{
    Q_OBJECT

private slots:
    void init() { SetUpFolders(); }
    void cleanup()
    {
        TearDownMessages();
        SetLanguage(TLanguage::Japanese);
    }

    // Every page of the window and the options dialog, opened on a weapon,
    // speaks English once chosen and Japanese again after.
    void switchingRetranslatesEveryText()
    {
        auto form = MakeForm();
        SelectWeapon(*form, QStringLiteral("Katana"));
        TOptionDlg dialog(TOptionRecord(), form.get());
        const QStringList japanese = Texts(form.get()) + Texts(&dialog);
        QVERIFY(Japanese(japanese).size() > 20);

        auto* choice = dialog.findChild<QComboBox*>(QStringLiteral("ComboBoxLanguage"));
        choice->setCurrentIndex(choice->findText(QStringLiteral("English")));
        QCOMPARE(CurrentLanguage(), TLanguage::English);
        QCOMPARE(Japanese(Texts(form.get()) + Texts(&dialog)), QStringList());
        QVERIFY(Texts(&dialog).contains(QStringLiteral("GroupBoxLanguage: Language")));

        // Cancel takes the language tried back.
        dialog.reject();
        QCOMPARE(CurrentLanguage(), TLanguage::Japanese);
        QCOMPARE(Texts(form.get()) + Texts(&dialog), japanese);
    }

    // A language chosen in the options is kept and spoken at the next start.
    void chosenLanguageComesBackAtStart()
    {
        {
            auto form = MakeForm();
            TOptionRecord record;
            record.Language = TLanguage::English;
            form->SetOptionRecord(record);
            QCOMPARE(CurrentLanguage(), TLanguage::English);
            form->close();
        }
        SetLanguage(TLanguage::Japanese);
        auto form = MakeForm();
        QCOMPARE(CurrentLanguage(), TLanguage::English);
        QCOMPARE(form->OptionRecord().Language, TLanguage::English);
        QCOMPARE(Japanese(Texts(form.get())), QStringList());
        QCOMPARE(m_messages, QStringList());
    }

    void tableFaultsAreWordedInBothLanguages()
    {
        TWeaponTable table;
        const auto fault = [&](const std::string& bytes) -> QString {
            try {
                table.LoadFromBytes(bytes);
            } catch (const EWeaponTableError& error) {
                return ErrorText(error);
            }
            return QString();
        };
        const std::string header = "Index,Name,Low,High,Ave,Speed,Type,Dice,Sides,Bonus,Note\n";
        const std::string speed = header + "0,A,1,2,1,4x,Mace,1,2,0,n\n";
        const std::string columns = header + "0,A,1,2,1,40,Mace,1\n";
        QCOMPARE(
            fault(speed),
            QStringLiteral("CSVFileのエラーです。\n2行目: Speed列 \"4x\" は整数ではありません"));
        QCOMPARE(fault(columns),
                 QStringLiteral("CSVFileのエラーです。\n2行目: Dice列が空です（列は,で区切って11個"
                                "必要ですが、区切りが7個しかありません）"));
        SetLanguage(TLanguage::English);
        QCOMPARE(fault(speed),
                 QStringLiteral(
                     "Error in the CSV file.\nLine 2: Speed column \"4x\" is not an integer"));
        QCOMPARE(fault(columns),
                 QStringLiteral("Error in the CSV file.\nLine 2: Dice column is empty "
                                "(11 columns separated by commas are needed, but "
                                "there are only 7 commas)"));
    }
};

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    LanguageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LanguageTest.moc"
