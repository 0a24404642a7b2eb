#include "editor/send_shortcut.h"

#include "shell/gui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace kelvo {

Qt::Key ShortcutKey(int shortcut) {
    const int code = shortcut & 0x1FFF;
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return Qt::Key(code);
    switch (code) {
    case 0x2D:
        return Qt::Key_Insert;
    case 0x2E:
        return Qt::Key_Delete;
    case 0x08:
        return Qt::Key_Backspace;
    case 0x09:
        return Qt::Key_Tab;
    case 0x0D:
        return Qt::Key_Return;
    case 0x1B:
        return Qt::Key_Escape;
    default:
        if (code >= 0x70 && code <= 0x87)
            return Qt::Key(Qt::Key_F1 + (code - 0x70));
        return Qt::Key_unknown;
    }
}

Qt::KeyboardModifiers ShortcutModifiers(int shortcut) {
    Qt::KeyboardModifiers modifiers;
    if (shortcut & 0x2000)
        modifiers |= Qt::ShiftModifier;
    if (shortcut & 0x4000)
        modifiers |= Qt::ControlModifier;
    if (shortcut & 0x8000)
        modifiers |= Qt::AltModifier;
    return modifiers;
}

bool SendShortcutTo(QWidget* target, int shortcut) {
    if (!target)
        return false;
    const Qt::Key key = ShortcutKey(shortcut);
    const Qt::KeyboardModifiers modifiers = ShortcutModifiers(shortcut);
    // A typed shortcut reaches the enabled action that owns it before the
    // control sees the key: the list's Ctrl+C copies its lines.
    const QKeySequence sequence(QKeyCombination(modifiers, key));
    for (QWidget* w = target; w; w = w->parentWidget()) {
        for (QAction* action : w->actions()) {
            if (action->isEnabled() && action->shortcuts().contains(sequence)) {
                action->trigger();
                return true;
            }
        }
        if (w->isWindow())
            break;
    }
    const QString text = (modifiers & (Qt::ControlModifier | Qt::AltModifier))
                             ? QString()
                             : QString(QChar(key)).toLower();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
    return true;
}

void SendShortcut(int shortcut) {
    QWidget* target = GetActiveControl();
    if (!target)
        target = MainForm();
    SendShortcutTo(target, shortcut);
}

} // namespace kelvo
