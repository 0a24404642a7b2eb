#pragma once
// What the online operation tells the window about the edited lines that go
// into the device through the pending entry, so that the window can keep its
// undo history and the change journal in step with what the device took: it
// is asked before an edit is queued and told when a write fails, when a value
// was taken (by the device, or by the document offline) and when a line was
// read back.
#include "model/kelvofile.h"

namespace kelvo {

class TPendingWrites {
public:
    using TEntry = TFileTypeKelvo::TEntry;

    virtual ~TPendingWrites() = default;

    // Online, before edited becomes the pending entry in place of replaced
    // (null when nothing waits): false keeps it out, and the observer has
    // told the user why.
    virtual bool Queue(const TEntry& edited, const TEntry* replaced) = 0;
    // A write of the pending entry failed; it stays pending for the next cycle.
    virtual void Refused(const TEntry& pending) = 0;
    // A line took a new value: now shows it (the pending entry the device
    // took, or the document's line offline), before shows what it held.
    virtual void Taken(const TEntry& now, const TEntry& before, bool intoDevice) = 0;
    // A line was read from the device.
    virtual void LineRead(const TEntry& line) = 0;
    // The periodic work stopped: no more reads come until the next go-online.
    virtual void Stopped() = 0;
};

} // namespace kelvo
