#include "shell/gui/shared_keys.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcutEvent>
#include <QToolBar>

namespace kelvo {

namespace {

bool Holds(const QAction* action, const QKeySequence& key) {
    return action && action->isEnabled() && action->shortcuts().contains(key);
}

QAction* FindIn(const QList<QAction*>& actions, const QKeySequence& key) {
    for (QAction* action : actions) {
        if (Holds(action, key))
            return action;
        if (QMenu* menu = action->menu(); menu && action->isVisible())
            if (QAction* found = FindIn(menu->actions(), key))
                return found;
    }
    return nullptr;
}

} // namespace

TSharedKeys::TSharedKeys(QWidget* mainWindow) : FMainWindow(mainWindow) {
    qApp->installEventFilter(this);
}

TSharedKeys::~TSharedKeys() {
    if (qApp)
        qApp->removeEventFilter(this);
}

QAction* TSharedKeys::Resolve(const QKeySequence& key, QWidget* from) {
    for (QWidget* w = from; w; w = w->parentWidget()) {
        if (QAction* found = FindIn(w->actions(), key))
            return found;
        if (!w->isWindow())
            continue;
        if (auto* main = qobject_cast<QMainWindow*>(w)) {
            if (QAction* found = FindIn(main->menuBar()->actions(), key))
                return found;
            for (QToolBar* bar : main->findChildren<QToolBar*>())
                if (QAction* found = FindIn(bar->actions(), key))
                    return found;
        }
        break;
    }
    return nullptr;
}

bool TSharedKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Shortcut || !qobject_cast<QAction*>(watched))
        return false;
    auto* shortcut = static_cast<QShortcutEvent*>(event);
    if (!shortcut->isAmbiguous())
        return false;
    QWidget* from = QApplication::focusWidget();
    if (!from)
        from = FMainWindow;
    QAction* action = Resolve(shortcut->key(), from);
    if (!action)
        return false;
    action->trigger();
    return true;
}

} // namespace kelvo
