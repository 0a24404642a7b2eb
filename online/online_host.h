#pragma once
// What the online operation needs from its surroundings: a periodic tick and a
// millisecond clock, a lock that keeps the window open while the device is
// being talked to, and the display it keeps current. The editor window wires
// these to Qt; the command-line tool and the tests drive them by hand.
#include <cstdint>
#include <functional>
#include <memory>

namespace kelvo {

// A running periodic tick; destroying it detaches the callback.
class TTicker {
public:
    virtual ~TTicker() = default;
};

class TTickSource {
public:
    virtual ~TTickSource() = default;
    // Calls tick every intervalMs until the returned ticker is destroyed.
    // Raises when no timer can be had.
    virtual std::unique_ptr<TTicker> Start(int intervalMs, std::function<void()> tick) = 0;
    // A monotonic count of milliseconds.
    virtual std::int64_t Milliseconds() const = 0;
};

// Keeps the window open while locked; a close asked for meanwhile is carried
// out at the last unlock.
class TCloseLock {
public:
    virtual ~TCloseLock() = default;
    virtual void Lock() = 0;
    // True when this unlock closed the window.
    virtual bool Unlock() = 0;
};

// The list display and the window around it. Every call may be ignored.
class TOnlineView {
public:
    virtual ~TOnlineView() = default;
    // The first row shown and how many rows fit.
    virtual int TopRow() const { return 0; }
    virtual int VisibleRows() const { return 0; }
    // The texts of one row changed.
    virtual void RowChanged(int row) { (void)row; }
    // The rows themselves changed (number, order, visibility): the document's
    // list has been rebuilt already.
    virtual void ListChanged() {}
    // The document's modified mark changed.
    virtual void DocumentChanged() {}
    // Time to rebuild the status text.
    virtual void StatusChanged() {}
    // Lets pending window messages run.
    virtual void ProcessMessages() {}
    // The hourglass while the dialog is downloaded.
    virtual void SetBusy(bool busy) { (void)busy; }
};

} // namespace kelvo
