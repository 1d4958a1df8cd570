#include "app/Messages.h"

#include "app/ErrorText.h"
#include "expr/Exception.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

#include <exception>

namespace {

std::function<void(const QString&)>& Sink()
{
    static std::function<void(const QString&)> sink;
    return sink;
}

} // namespace

void ShowMessage(const QString& text)
{
    if (Sink()) {
        Sink()(text);
        return;
    }
    QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("Quillmarch"), text);
}

void SetMessageSink(std::function<void(const QString&)> sink)
{
    Sink() = std::move(sink);
}

bool RunShowingErrors(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const Exception& e) {
        ShowMessage(ErrorText(e));
    } catch (const std::exception& e) {
        ShowMessage(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

QString FileKindWords(TFileKind kind)
{
    const auto words = [](const char* text) {
        return QCoreApplication::translate("Messages", text);
    };
    switch (kind) {
    case TFileKind::Directory:
        return words(QT_TRANSLATE_NOOP("Messages", "フォルダです"));
    case TFileKind::Fifo:
        return words(QT_TRANSLATE_NOOP("Messages", "名前付きパイプです"));
    case TFileKind::CharacterDevice:
        return words(QT_TRANSLATE_NOOP("Messages", "キャラクタデバイスです"));
    case TFileKind::BlockDevice:
        return words(QT_TRANSLATE_NOOP("Messages", "ブロックデバイスです"));
    case TFileKind::Socket:
        return words(QT_TRANSLATE_NOOP("Messages", "ソケットです"));
    case TFileKind::Other:
        return words(QT_TRANSLATE_NOOP("Messages", "通常のファイルではありません"));
    case TFileKind::Missing:
    case TFileKind::Regular:
        break;
    }
    return QString();
}
