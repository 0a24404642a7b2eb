#include "shell/gui/controlhook.h"

#include "shell/gui/filesaveform.h"
#include "shell/gui/mainform.h"

#include <QEvent>
#include <QStatusBar>

namespace kelvo {

namespace {
QPointer<QStatusBar> hookedBar;
// The status text the bar was last given; any other message is a hint.
QString shownStatus;
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
    shownStatus.clear();
    // A hint (of a menu entry, a toolbar button, any control) that goes away
    // gives the bar back to the status text.
    if (bar)
        connect(bar, &QStatusBar::messageChanged, this, [](const QString& message) {
            if (message.isEmpty())
                Refresh();
        });
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
    // A hint shown meanwhile keeps the bar until it goes away.
    const QString current = hookedBar->currentMessage();
    if (!current.isEmpty() && current != shownStatus)
        return;
    shownStatus = text;
    if (current != text)
        hookedBar->showMessage(text);
}

} // namespace kelvo
