#pragma once
// Passes the application's idle time to every open document: whenever the
// event loop is about to wait, each document window's document gets its Idle,
// from the last window to the first. The dispatch is never re-entered from a
// modal loop opened by a document's own idle work, and it waits while a
// message box is open, so that no device is talked to underneath a question.
//
// While a device is talked to, the event loop runs without clicks and keys
// (ProcessMessagesWithoutInput): paint and timers go on, but nothing the user
// does starts under an exchange. The input held back then is handed on as
// soon as the event loop is back at its own level, in order: it is never lost
// and never waits for the next event of the window system.
#include <functional>

namespace kelvo {

class TIdleDispatch {
public:
    static void Install();
    static void Remove();
    // One dispatch now, as the event loop would run it; false when it was
    // skipped (already dispatching, or a message box is open).
    static bool RunOnce();
    // The handler that ran before the documents' (called after them).
    static void SetPreviousHandler(std::function<void(bool& done)> handler);
    static bool Dispatching();
    // The program is ending: no more idle work.
    static void Stop();
    static bool Stopped();

    // Lets paint, timers and queued work run now; clicks and keys wait until
    // the event loop is back at its own level.
    static void ProcessMessagesWithoutInput();
    // True while input is held back by ProcessMessagesWithoutInput.
    static bool HoldingInput();
};

} // namespace kelvo
