#include "app/Application.h"

#include "app/Messages.h"

TQuillmarchApplication::TQuillmarchApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("quillmarch"));
    // No display name: the platform would append it to every window title,
    // and the main window's caption must read exactly as designed.
    setDesktopFileName(QString::fromLatin1(DesktopFileName));
    setWindowIcon(ProgramIcon());
}

bool TQuillmarchApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunShowingErrors([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

QIcon ProgramIcon()
{
    QIcon builtIn;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        builtIn.addFile(QStringLiteral(":/icons/quillmarch-%1.png").arg(size), QSize(size, size));
    }
    return QIcon::fromTheme(QString::fromLatin1(TQuillmarchApplication::DesktopFileName), builtIn);
}
