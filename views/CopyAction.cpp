#include "views/CopyAction.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

namespace {

const char* const CopyActionName = "CopyAction";

} // namespace

QAction* AddCopyAction(QWidget* view, const std::function<void()>& copy, bool contextMenu)
{
    auto* action = new QAction(QCoreApplication::translate("TCopyAction", "Copy"), view);
    action->setObjectName(QString::fromLatin1(CopyActionName));
    action->setShortcuts(QKeySequence::Copy);
    // Only the focused view answers, so several views may share the keys.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(action, &QAction::triggered, view, [copy] { copy(); });
    view->addAction(action);
    view->setFocusPolicy(Qt::StrongFocus);
    if (contextMenu) {
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    return action;
}

void ShowCopyMenu(QWidget* view, QPoint globalPos)
{
    auto* action =
        view->findChild<QAction*>(QString::fromLatin1(CopyActionName), Qt::FindDirectChildrenOnly);
    if (action == nullptr) {
        return;
    }
    QMenu menu(view);
    menu.addAction(action);
    menu.exec(globalPos);
}
