#pragma once
// One change of a line's value on an editor window's undo stack: the line
// with the value it held before and the one it took, named as the list shows
// them ("Setpoint = 1500"). The values travel through the online operation's
// edit path (offline into the document, online into the device), and the
// stack moves once the document or the device has taken one; so undo() and
// redo() of a command have nothing left to do when the stack calls them.
#include "model/kelvofile.h"

#include <QUndoCommand>

#include <memory>

namespace kelvo {

class TValueCommand : public QUndoCommand {
public:
    using TEntry = TFileTypeKelvo::TEntry;

    TValueCommand(const TEntry& before, const TEntry& after);

    void undo() override {}
    void redo() override {}

    // A copy of document's line holding the value before the change (undo)
    // or after it; null when the document has no such line any more.
    std::unique_ptr<TEntry> Edited(TFileTypeKelvo& document, bool undo) const;

private:
    std::unique_ptr<TEntry> FBefore;
    std::unique_ptr<TEntry> FAfter;
};

} // namespace kelvo
