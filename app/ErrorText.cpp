#include "app/ErrorText.h"

#include "weapons/TextEncoding.h"
#include "weapons/WeaponTable.h"

#include <QCoreApplication>

#include <cstring>

namespace {

// Each text stands in QT_TRANSLATE_NOOP where it is chosen, for lupdate to find.
QString Tr(const char* text)
{
    return QCoreApplication::translate("ErrorText", text);
}

QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

QString ColumnFault(const EWeaponTableError& error, const char* text)
{
    return Tr(text).arg(QString::fromLatin1(error.ColumnName()), Utf8(Quoted(error.Piece())));
}

QString WeaponTableText(const EWeaponTableError& error)
{
    using enum TWeaponTableFault;
    QString detail;
    switch (error.Fault()) {
    case MissingFile:
        return Tr(QT_TRANSLATE_NOOP("ErrorText", "WData.csvファイルが存在しません。"));
    case NotRegularFile:
        // The kind stays as the core names it, as the message always read.
        detail = Tr(QT_TRANSLATE_NOOP("ErrorText", "通常のファイルではありません: %1 (%2)"))
                     .arg(Utf8(error.Piece()), Utf8(std::string(FileKindText(error.Kind()))));
        break;
    case Unreadable:
        detail = Tr(QT_TRANSLATE_NOOP("ErrorText", "ファイルを読み込めません: %1"))
                     .arg(Utf8(error.Piece()));
        break;
    case BadEncoding:
        detail = Tr(QT_TRANSLATE_NOOP("ErrorText", "UTF-8 でも Shift_JIS でもない文字があります"));
        break;
    case BlankLine:
        detail = Tr(QT_TRANSLATE_NOOP("ErrorText", "空行です"));
        break;
    case TooManyColumns:
        detail = Tr(QT_TRANSLATE_NOOP(
                        "ErrorText",
                        "列が多すぎます（列は,で区切って11個ですが、区切りが%1個あります）"))
                     .arg(error.Commas());
        break;
    case EmptyColumn:
        detail = Tr(QT_TRANSLATE_NOOP("ErrorText", "%1列が空です"))
                     .arg(QString::fromLatin1(error.ColumnName()));
        if (error.Commas() < 10) {
            detail += Tr(QT_TRANSLATE_NOOP(
                             "ErrorText",
                             "（列は,で区切って11個必要ですが、区切りが%1個しかありません）"))
                          .arg(error.Commas());
        }
        break;
    case NotInteger:
        detail = ColumnFault(error, QT_TRANSLATE_NOOP("ErrorText", "%1列 %2 は整数ではありません"));
        break;
    case IntegerOutOfRange:
        detail = ColumnFault(
            error, QT_TRANSLATE_NOOP("ErrorText", "%1列 %2 は32ビット整数の範囲を超えています"));
        break;
    case NotNumber:
        detail = ColumnFault(error, QT_TRANSLATE_NOOP("ErrorText", "%1列 %2 は数値ではありません"));
        break;
    case NumberOutOfRange:
        detail = ColumnFault(
            error, QT_TRANSLATE_NOOP("ErrorText", "%1列 %2 は大きすぎるか小さすぎる数値です"));
        break;
    case NotPositive:
        detail = ColumnFault(
            error, QT_TRANSLATE_NOOP("ErrorText", "%1列 %2 は正の整数でなければなりません"));
        break;
    case Negative:
        detail =
            ColumnFault(error, QT_TRANSLATE_NOOP("ErrorText", "%1列 %2 は負の数にはできません"));
        break;
    }
    if (error.Line() > 0) {
        detail = Tr(QT_TRANSLATE_NOOP("ErrorText", "%1行目: %2")).arg(error.Line()).arg(detail);
    }
    return Tr(QT_TRANSLATE_NOOP("ErrorText", "CSVFileのエラーです。")) + QLatin1Char('\n') + detail;
}

} // namespace

QString ErrorText(const Exception& error)
{
    if (const auto* table = dynamic_cast<const EWeaponTableError*>(&error)) {
        return WeaponTableText(*table);
    }
    if (dynamic_cast<const EUndecodableText*>(&error)) {
        return QCoreApplication::translate(
                   "ErrorText", "UTF-8 でも Shift_JIS でもない文字があります（%1 バイト目）。")
            .arg(error.Position() + 1);
    }
    if (dynamic_cast<const EUnencodableText*>(&error)) {
        return QCoreApplication::translate("ErrorText",
                                           "Shift_JIS で表せない文字があります（%1 バイト目）。")
            .arg(error.Position() + 1);
    }
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
