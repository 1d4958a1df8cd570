#include "app/Main.h"
#include "app/Application.h"
#include "app/DataDir.h"
#include "app/Language.h"

int main(int argc, char** argv)
{
    TQuillmarchApplication app(argc, argv);
    // The system's language until the window reads the one chosen.
    SetLanguage(TLanguage::System);
    const QString programDir = QCoreApplication::applicationDirPath();
    // An installed program keeps its settings in the user's configuration
    // folder, never in the shared data folder.
    TMainForm form(FindDataDir(programDir), QString(), !IsInstalledLayout(programDir));
    form.show();
    return app.exec();
}
