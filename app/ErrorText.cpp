#include "app/ErrorText.h"

#include <QCoreApplication>

#include <cstring>

QString ErrorText(const Exception& error)
{
    const char* const name = error.ClassName();
    if (std::strcmp(name, "EMissMatchingBracket") == 0) {
        return QCoreApplication::translate("ErrorText",
                                           "括弧の数が一致していません。式を再点検してください。");
    }
    if (std::strcmp(name, "ESyntaxError") == 0) {
        return QCoreApplication::translate("ErrorText", "誤った表記が見られます。修正して下さい。");
    }
    return QString::fromStdString(error.what());
}
