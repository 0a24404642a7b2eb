#pragma once
// Passes the application's idle time to every open document: whenever the
// event loop is about to wait, each document window's document gets its Idle,
// from the last window to the first. The dispatch is never re-entered from a
// modal loop opened by a document's own idle work, and it waits while a
// message box is open, so that no device is talked to underneath a question.
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
};

} // namespace kelvo
