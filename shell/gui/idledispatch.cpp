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
std::function<void(bool&)> previousHandler;

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

bool TIdleDispatch::RunOnce() {
    if (dispatching || TModalBoxScope::Depth() > 0)
        return false;
    dispatching = true;
    bool done = true;
    // A window may close while an earlier one works; guarded pointers skip it.
    std::vector<QPointer<TFilesaveForm>> windows;
    for (TFilesaveForm* w : TFilesaveForm::Windows())
        windows.emplace_back(w);
    try {
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            if (*it && (*it)->Document())
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
