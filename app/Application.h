#pragma once

#include <QApplication>
#include <QIcon>

// The program's application object. An error raised while an event is
// handled is shown and dropped here, so it never unwinds through Qt's event
// loop and the program goes on. It also gives every window the program's
// icon and ties the windows to the desktop entry.
class TQuillmarchApplication : public QApplication
{
    Q_OBJECT

public:
    static constexpr const char* DesktopFileName = "io.github.quillmarch.Quillmarch";

    TQuillmarchApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The icon theme's icon of the installed program, else the one built in.
QIcon ProgramIcon();
