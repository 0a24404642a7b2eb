#include "shell/gui/edit_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace kelvo {

namespace {

// The focused text control; an editable combo box counts by its field.
QWidget* FocusedText() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->lineEdit())
        return combo->lineEdit();
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus) ||
        qobject_cast<QTextEdit*>(focus))
        return focus;
    return nullptr;
}

bool ClipboardHasText() {
    return !QApplication::clipboard()->text().isEmpty();
}

} // namespace

bool CanEdit(TEditCommand command) {
    QWidget* w = FocusedText();
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        const bool editable = !line->isReadOnly() && line->echoMode() == QLineEdit::Normal;
        switch (command) {
        case EditCut:
            return editable && line->hasSelectedText();
        case EditCopy:
            return line->hasSelectedText() && line->echoMode() == QLineEdit::Normal;
        case EditPaste:
            return !line->isReadOnly() && ClipboardHasText();
        }
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        const bool selection = plain->textCursor().hasSelection();
        switch (command) {
        case EditCut:
            return !plain->isReadOnly() && selection;
        case EditCopy:
            return selection;
        case EditPaste:
            return !plain->isReadOnly() && ClipboardHasText();
        }
    }
    if (auto* text = qobject_cast<QTextEdit*>(w)) {
        const bool selection = text->textCursor().hasSelection();
        switch (command) {
        case EditCut:
            return !text->isReadOnly() && selection;
        case EditCopy:
            return selection;
        case EditPaste:
            return !text->isReadOnly() && ClipboardHasText();
        }
    }
    return false;
}

void SendEditCommand(TEditCommand command) {
    if (!CanEdit(command))
        return;
    QWidget* w = FocusedText();
    auto run = [command](auto* control) {
        switch (command) {
        case EditCut:
            control->cut();
            break;
        case EditCopy:
            control->copy();
            break;
        case EditPaste:
            control->paste();
            break;
        }
    };
    if (auto* line = qobject_cast<QLineEdit*>(w))
        run(line);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        run(plain);
    else if (auto* text = qobject_cast<QTextEdit*>(w))
        run(text);
}

} // namespace kelvo
