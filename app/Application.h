#pragma once

#include <QApplication>

// The program's application object. An error raised while an event is
// handled is shown and dropped here, so it never unwinds through Qt's event
// loop and the program goes on.
class TQuillmarchApplication : public QApplication
{
    Q_OBJECT

public:
    TQuillmarchApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
