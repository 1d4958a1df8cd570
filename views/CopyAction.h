#pragma once

#include <QPoint>

#include <functional>

QT_BEGIN_NAMESPACE
class QAction;
class QWidget;
QT_END_NAMESPACE

// Gives a view the platform's Copy keys (Ctrl+C) while it or one of its
// children has the focus, and lets a click focus it so the keys reach it.
// With `contextMenu` a right click also offers "Copy"; a view whose right
// button already drags shows the menu itself through ShowCopyMenu.
QAction* AddCopyAction(QWidget* view, const std::function<void()>& copy, bool contextMenu = true);

// Pops up the view's copy action as a one-item menu at `globalPos`.
void ShowCopyMenu(QWidget* view, QPoint globalPos);
