// Keys pressed on the tab strip that belong to the page: they move the focus
// into the current page and go on to the control that has it then.
#include "editor/klvform.h"
#include "shell/gui/idledispatch.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>

namespace kelvo {

// The control of the current page that keys from the tab strip go to: on the
// Display page the list (not the find field above it), elsewhere the page's
// first control in the Tab order.
QWidget* TKlvForm::EnterCurrentPage() {
    QTabBar* strip = TabbedPages->tabBar();
    if (TabbedPages->currentWidget() == TabDisplay && KelvoListView->isVisible() &&
        KelvoListView->isEnabled()) {
        KelvoListView->setFocus(Qt::TabFocusReason);
        return KelvoListView;
    }
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::sendEvent(strip, &tab);
    TIdleDispatch::ProcessMessagesWithoutInput();
    QWidget* focused = QApplication::focusWidget();
    return focused == strip ? nullptr : focused;
}

// Keys that move through a page's content, pressed while the tab strip has the
// focus, go into the page: the focus moves there and the key follows it. Tab
// itself only moves the focus into the page.
bool TKlvForm::ForwardTabStripKey(QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    QTabBar* strip = TabbedPages->tabBar();
    if (!strip->hasFocus())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers held = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) {
        // Elsewhere Tab moves on as it always does.
        if (TabbedPages->currentWidget() != TabDisplay)
            return false;
        return EnterCurrentPage() != nullptr;
    }
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
    QWidget* focused = EnterCurrentPage();
    if (!focused)
        return false;
    QKeyEvent again(QEvent::KeyPress, Qt::Key(key->key()), held);
    QApplication::sendEvent(focused, &again);
    return true;
}

} // namespace kelvo
