#include "app/Main.h"
#include "app/Application.h"

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    TMainForm form(QCoreApplication::applicationDirPath());
    form.show();
    return app.exec();
}
