#include "shell/gui/idledispatch.h"

#include "shell/gui/filesaveform.h"
#include "shell/gui/qtprompt.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <cstdio>
#include <exception>
#include <vector>

namespace kelvo {

namespace {

QMetaObject::Connection connection;
bool dispatching = false;
bool stopped = false;
std::function<void(bool&)> previousHandler;

// Input held back, and whether a hand-on is on its way.
int holdDepth = 0;
bool handOnQueued = false;

void QueueHandOn();

// The window system keeps the input it was not allowed to deliver, and looks
// at it again only when its own next event wakes the loop. This hands it on
// at once: a wake-up makes the next pass take the window system's events, and
// the pass runs here, outside any exchange.
void HandOnHeldInput() {
    handOnQueued = false;
    if (holdDepth > 0) {
        // Reached from inside a pass that holds input back: the next one.
        QueueHandOn();
        return;
    }
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QueueHandOn() {
    if (handOnQueued || !QCoreApplication::instance())
        return;
    handOnQueued = true;
    QMetaObject::invokeMethod(QCoreApplication::instance(), &HandOnHeldInput, Qt::QueuedConnection);
}

void OnAboutToBlock() {
    // Nothing may leave a slot of the event loop; the documents' idle work
    // reports its own failures, so this only guards against the unforeseen.
    try {
        TIdleDispatch::RunOnce();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "idle work failed: %s\n", e.what());
    }
}

} // namespace

void TIdleDispatch::Install() {
    if (connection)
        return;
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return;
    connection =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &OnAboutToBlock);
}

void TIdleDispatch::Remove() {
    if (connection)
        QObject::disconnect(connection);
    connection = {};
}

bool TIdleDispatch::Dispatching() {
    return dispatching;
}

void TIdleDispatch::SetPreviousHandler(std::function<void(bool& done)> handler) {
    previousHandler = std::move(handler);
}

void TIdleDispatch::Stop() {
    stopped = true;
}

bool TIdleDispatch::Stopped() {
    return stopped;
}

void TIdleDispatch::ProcessMessagesWithoutInput() {
    ++holdDepth;
    try {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } catch (...) {
        --holdDepth;
        QueueHandOn();
        throw;
    }
    --holdDepth;
    QueueHandOn();
}

bool TIdleDispatch::HoldingInput() {
    return holdDepth > 0;
}

bool TIdleDispatch::RunOnce() {
    if (dispatching || stopped || TModalBoxScope::Depth() > 0)
        return false;
    dispatching = true;
    bool done = true;
    // A window may close while an earlier one works; guarded pointers skip it.
    std::vector<QPointer<TFilesaveForm>> windows;
    for (TFilesaveForm* w : TFilesaveForm::Windows())
        windows.emplace_back(w);
    try {
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            // A closed window goes at the next turn of the event loop, which
            // its document's idle work would let run.
            if (*it && !(*it)->Closed() && (*it)->Document())
                (*it)->Document()->Idle(QCoreApplication::instance(), done);
        }
        if (previousHandler)
            previousHandler(done);
    } catch (...) {
        dispatching = false;
        throw;
    }
    dispatching = false;
    return true;
}

} // namespace kelvo
