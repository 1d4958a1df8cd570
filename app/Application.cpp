#include "app/Application.h"

#include "app/Messages.h"

TQuillmarchApplication::TQuillmarchApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("quillmarch"));
    setApplicationDisplayName(QStringLiteral("Quillmarch"));
}

bool TQuillmarchApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunShowingErrors([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
