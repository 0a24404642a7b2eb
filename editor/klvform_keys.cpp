#include "editor/klvform.h"
#include "shell/gui/idledispatch.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>

namespace kelvo {

// Keys that move through a page's content, pressed while the tab strip has the
// focus, go into the page: the focus moves there and the key follows it.
bool TKlvForm::ForwardTabStripKey(QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    QTabBar* strip = TabbedPages->tabBar();
    if (!strip->hasFocus())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers held = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    bool forward = false;
    switch (key->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Down:
        forward = true;
        break;
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
        forward = held != Qt::NoModifier;
        break;
    default:
        break;
    }
    if (!forward)
        return false;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::sendEvent(strip, &tab);
    TIdleDispatch::ProcessMessagesWithoutInput();
    QWidget* focused = QApplication::focusWidget();
    if (!focused || focused == strip)
        return false;
    QKeyEvent again(QEvent::KeyPress, Qt::Key(key->key()), held);
    QApplication::sendEvent(focused, &again);
    return true;
}

} // namespace kelvo
