#include "shell/gui/lockclose.h"

#include "shell/gui/mainform.h"

#include <QCloseEvent>
#include <QEvent>

namespace kelvo {

TLockClose::~TLockClose() {
    Attach(nullptr);
}

TLockClose& TLockClose::Global() {
    static TLockClose global;
    return global;
}

void TLockClose::Attach(QWidget* form) {
    if (form == FForm)
        return;
    if (form && !IsGlobal() && !Global().Form() && MainForm())
        Global().Attach(MainForm());
    if (FForm)
        FForm->removeEventFilter(this);
    FForm = form;
    if (FForm)
        FForm->installEventFilter(this);
}

void TLockClose::Lock() {
    if (!FForm)
        return;
    if (LockCount++ == 0) {
        CloseRequests = 0;
        if (!IsGlobal())
            Global().Lock();
    }
}

bool TLockClose::Unlock() {
    if (!FForm || LockCount <= 0)
        return false;
    if (--LockCount > 0)
        return false;
    if (!IsGlobal() && Global().Unlock())
        return true;
    if (CloseRequests == 0)
        return false;
    CloseRequests = 0;
    // close() asks the form's own question now that nothing holds it; with
    // WA_DeleteOnClose the form is deleted later from the event loop.
    QWidget* form = FForm;
    return form->close();
}

bool TLockClose::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FForm && event->type() == QEvent::Close && LockCount != 0) {
        ++CloseRequests;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kelvo
