#include "shell/gui/controlhook.h"

#include "shell/gui/filesaveform.h"
#include "shell/gui/mainform.h"

#include <QEvent>
#include <QStatusBar>

namespace kelvo {

namespace {
QPointer<QStatusBar> hookedBar;
} // namespace

TControlWndprocImp::TControlWndprocImp(QObject* control, THandler handler)
    : FControl(control), FHandler(std::move(handler)) {
    if (FControl)
        FControl->installEventFilter(this);
}

TControlWndprocImp::~TControlWndprocImp() {
    if (FControl)
        FControl->removeEventFilter(this);
}

bool TControlWndprocImp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FControl && FHandler && FHandler(watched, event))
        return true;
    return QObject::eventFilter(watched, event);
}

TStatusbarWndproc::TStatusbarWndproc(QStatusBar* bar)
    : TControlWndproc<QStatusBar>(bar, [](QObject*, QEvent* event) {
          if (event->type() == QEvent::Show)
              Refresh();
          return false;
      }) {
    hookedBar = bar;
}

TStatusbarWndproc::~TStatusbarWndproc() {
    hookedBar = nullptr;
}

QStatusBar* TStatusbarWndproc::Hooked() {
    return hookedBar;
}

void TStatusbarWndproc::Refresh() {
    if (!hookedBar)
        return;
    const TFilesaveForm* form = ActiveDocumentWindow();
    const QString text = form ? QString::fromStdString(form->StatusText()) : QString();
    // A menu hint shown meanwhile keeps the bar until it goes away.
    if (hookedBar->currentMessage() != text)
        hookedBar->showMessage(text);
}

} // namespace kelvo
