#include "app/Messages.h"

#include "expr/Exception.h"

#include <QApplication>
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
        ShowMessage(QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        ShowMessage(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
