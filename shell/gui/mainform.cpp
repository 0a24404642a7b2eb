#include "shell/gui/mainform.h"

#include "shell/gui/filesaveform.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace kelvo {

namespace {
QPointer<QWidget> mainForm;
QPointer<QMdiArea> mainArea;
} // namespace

QWidget* MainForm() {
    return mainForm;
}

QMdiArea* MainArea() {
    return mainArea;
}

void SetMainForm(QWidget* form, QMdiArea* area) {
    mainForm = form;
    mainArea = area;
}

void ShowDocumentWindow(TFilesaveForm* window) {
    if (!window)
        return;
    if (mainArea && window->mdiArea() != mainArea)
        mainArea->addSubWindow(window);
    window->show();
}

TFilesaveForm* ActiveDocumentWindow() {
    if (mainArea)
        return qobject_cast<TFilesaveForm*>(mainArea->activeSubWindow());
    return TFilesaveForm::LastActivated();
}

QWidget* GetActiveControl() {
    TFilesaveForm* form = ActiveDocumentWindow();
    if (!form)
        return nullptr;
    QWidget* focus = QApplication::focusWidget();
    if (focus && form->isAncestorOf(focus))
        return focus;
    return form->focusWidget();
}

} // namespace kelvo
