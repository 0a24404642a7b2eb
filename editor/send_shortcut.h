#pragma once
// Menu commands that act exactly as their typed shortcuts: the key goes to the
// control that has the focus in the active document window (or to the main
// window), as if the user had pressed it there.
#include <Qt>

class QWidget;

namespace kelvo {

// shortcut: a key code in the low 13 bits (the letters and digits as their
// upper-case characters), 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
void SendShortcut(int shortcut);
// The same to a given control; false when there is none.
bool SendShortcutTo(QWidget* target, int shortcut);
// The key a shortcut value names.
Qt::Key ShortcutKey(int shortcut);
Qt::KeyboardModifiers ShortcutModifiers(int shortcut);

} // namespace kelvo
