#pragma once
// The undo history of an editor window's values: every value a line took,
// by an edit offline or from the device online, is one command of a
// QUndoStack. Undo and Redo send the value back through the edit path of the
// online operation: offline the document takes it at once, online the device
// takes it through the pending entry as an edit does, and the stack moves
// only then. A write the device refuses keeps its command where it is.
// Everything written through the pending entry goes into the change journal.
#include "editor/pending_journal.h"
#include "online/pending_writes.h"

#include <QString>
#include <QUndoStack>

#include <optional>
#include <string>

namespace kelvo {

class TKelvoOnline;

class TValueHistory : public TPendingWrites {
public:
    // Watches online's writes until the window detaches it (or online goes).
    explicit TValueHistory(TKelvoOnline& online);

    // Something to go back over (forward over), and no Undo or Redo waits
    // for the device.
    bool CanUndo() const;
    bool CanRedo() const;
    // The change Undo (Redo) goes back (forward) over, "Setpoint = 1500";
    // empty when there is none.
    QString UndoText() const;
    QString RedoText() const;
    void Undo();
    void Redo();
    // Forgets every change: the lines are not the ones they were made on.
    void Clear();
    // While the device refuses an Undo or Redo: what the status text says.
    const std::string& Note() const { return FNote; }
    const QUndoStack& Stack() const { return FStack; }

    bool Queue(const TEntry& edited, const TEntry* replaced) override;
    void Refused(const TEntry& pending) override;
    void Taken(const TEntry& now, const TEntry& before, bool intoDevice) override;
    void LineRead(const TEntry& line) override;
    void Stopped() override;

private:
    void Move(TJournalSource source);
    // The journal failed: nothing more goes into the device.
    void StopWrites();

    TKelvoOnline& FOnline;
    QUndoStack FStack;
    TPendingJournal FJournal;
    // What a value is taken as: an edit, unless Undo or Redo is under way.
    TJournalSource FSource = TJournalSource::Edit;
    // An Undo or Redo the device has yet to take.
    std::optional<TJournalSource> FWaiting;
    std::string FNote;
};

} // namespace kelvo
