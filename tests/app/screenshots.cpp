// Renders the README's pictures of the main window and the options dialog.
// Run by hand under a real display, e.g.
//   xvfb-run -a build/tests/app/quillmarch_screenshots [output folder] [dark]
// (default: docs/ of the source tree; "dark" renders the dark appearance into
// files named dark-*.png). Not a test: it checks nothing.
#include "app/Application.h"
#include "app/Language.h"
#include "app/Main.h"
#include "app/UOptionDlg.h"
#include "views/WeaponListView.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <iterator>

namespace {

bool Save(QWidget& widget, const QString& path)
{
    // Charts lay themselves out and animate in posted events.
    QTest::qWait(600);
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    const QString outDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(QUILLMARCH_SOURCE_DIR "/docs");
    QDir().mkpath(outDir);
    // After the folder: "en" for the English window, "dark" for the dark
    // look; each adds its prefix to the pictures' names.
    const QStringList flags = QCoreApplication::arguments().mid(2);
    const bool english = flags.contains(QLatin1String("en"));
    const bool dark = flags.contains(QLatin1String("dark"));
    const QString prefix = QString(english ? QStringLiteral("en-") : QString()) +
                           (dark ? QStringLiteral("dark-") : QString());
    const auto outPath = [&](const char* name) {
        return QDir(outDir).filePath(prefix + QString::fromLatin1(name));
    };

    // Fresh folders: the pictures show the standard settings, whatever this
    // machine's Option.ini says.
    QTemporaryDir dataDir;
    QTemporaryDir configDir;
    const QDir source(QStringLiteral(QUILLMARCH_SOURCE_DIR "/data"));
    for (const QString& name : source.entryList({"WData.csv", "*.bmp"}, QDir::Files)) {
        QFile::copy(source.filePath(name), QDir(dataDir.path()).filePath(name));
    }

    // The README shows the program as a Japanese system has it.
    SetLanguage(english ? TLanguage::English : TLanguage::Japanese);
    TMainForm form(dataDir.path(), configDir.path());
    if (dark) {
        TOptionRecord option = form.OptionRecord();
        option.Appearance = TAppearance::Dark;
        form.SetOptionRecord(option);
    }
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        return 1;
    }
    auto* list = form.findChild<TWeaponListView*>(QStringLiteral("WeaponListView"));
    const auto pick = [&](const QString& name) {
        const auto found = list->findItems(name, Qt::MatchExactly, 0);
        if (found.isEmpty()) {
            return false;
        }
        list->scrollToItem(found.front());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.front()).center());
        return true;
    };
    if (!pick(QStringLiteral("Katana"))) {
        return 1;
    }

    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl"));
    const char* const names[] = {"main-window.png", "page-spread.png", "page-speed.png",
                                 "page-radar.png", "ranking.png"};
    bool ok = true;
    for (int i = 0; i < pages->count() && i < static_cast<int>(std::size(names)); ++i) {
        pages->setCurrentIndex(i);
        ok = Save(form, outPath(names[i])) && ok;
    }

    // Two pins beside the current Katana: the pictures of comparing.
    auto* str = form.findChild<QSpinBox*>(QStringLiteral("SpinEditSTR"));
    auto* dex = form.findChild<QSpinBox*>(QStringLiteral("SpinEditDEX"));
    pick(QStringLiteral("Double Axe"));
    form.PinClick();
    pick(QStringLiteral("War Hammer"));
    str->setValue(120);
    form.PinClick();
    str->setValue(100);
    dex->setValue(60);
    pick(QStringLiteral("Katana"));
    // The whole page, taller than the window shows it.
    pages->setCurrentIndex(5);
    QTest::qWait(600);
    const QString comparePage = outPath("compare-page.png");
    ok = form.PageImage().save(comparePage) && ok;
    std::printf("%s\n", qPrintable(comparePage));
    pages->setCurrentIndex(0);

    // The dialog as the menu opens it: its first page with the look and the
    // language, then the damage formula, its preview for the Katana, and the
    // cursor after the first bracket to show its partner.
    bool saved = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TOptionDlg*>(QApplication::activeModalWidget());
        if (!dialog || !QTest::qWaitForWindowExposed(dialog)) {
            return;
        }
        saved = Save(*dialog, outPath("options-base.png"));
        dialog->findChild<QTabWidget*>(QStringLiteral("PageControl"))
            ->setCurrentIndex(TOptionDlg::PageMagicDamages);
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("EditMagicDamageMethod"));
        edit->setFocus();
        edit->setCursorPosition(1);
        saved = Save(*dialog, outPath("options.png")) && saved;
        dialog->reject();
    });
    form.OptionClick();
    ok = saved && ok;
    form.close();
    return ok ? 0 : 1;
}
