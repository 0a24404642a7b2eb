#include "editor/value_history.h"

#include "editor/undo_commands.h"
#include "model/dlglinevalue.h"
#include "online/kelvo_online.h"

namespace kelvo {

TValueHistory::TValueHistory(TKelvoOnline& online) : FOnline(online), FJournal(online) {}

bool TValueHistory::CanUndo() const {
    return !FWaiting && FStack.canUndo();
}

bool TValueHistory::CanRedo() const {
    return !FWaiting && FStack.canRedo();
}

QString TValueHistory::UndoText() const {
    return FStack.canUndo() ? FStack.undoText() : QString();
}

QString TValueHistory::RedoText() const {
    return FStack.canRedo() ? FStack.redoText() : QString();
}

void TValueHistory::Undo() {
    Move(TJournalSource::Undo);
}

void TValueHistory::Redo() {
    Move(TJournalSource::Redo);
}

void TValueHistory::Move(TJournalSource source) {
    const bool undo = source == TJournalSource::Undo;
    if (undo ? !CanUndo() : !CanRedo())
        return;
    const auto* command =
        static_cast<const TValueCommand*>(FStack.command(FStack.index() - (undo ? 1 : 0)));
    std::unique_ptr<TEntry> edited = command->Edited(FOnline.Document(), undo);
    if (!edited)
        return;
    // Offline the stack moves inside TakeEdit (Taken); online once the
    // device has the value.
    FSource = source;
    FOnline.TakeEdit(TPtr<TEntry>(edited.release()));
    FSource = TJournalSource::Edit;
}

void TValueHistory::Clear() {
    FStack.clear();
    FWaiting.reset();
    FNote.clear();
}

bool TValueHistory::Queue(const TEntry&, const TEntry* replaced) {
    if (!FJournal.Ready(FSource))
        return false;
    FJournal.Queued(FSource, replaced);
    // An edit that takes the place of a waiting Undo leaves the stack as it is.
    FWaiting.reset();
    if (FSource != TJournalSource::Edit)
        FWaiting = FSource;
    FNote.clear();
    return true;
}

void TValueHistory::Refused(const TEntry&) {
    FJournal.Refused();
    if (!FWaiting)
        return;
    const bool undo = *FWaiting == TJournalSource::Undo;
    FNote = (undo ? "Undo " : "Redo ") + (undo ? UndoText() : RedoText()).toStdString() +
            ": the device refused the value, trying again";
}

void TValueHistory::Taken(const TEntry& now, const TEntry& before, bool intoDevice) {
    const std::optional<TJournalSource> pending = FJournal.PendingSource();
    const TJournalSource source = pending ? *pending : FSource;
    if (intoDevice)
        FJournal.Written(now, before);
    else
        FJournal.Applied(now, before);
    FWaiting.reset();
    FNote.clear();
    switch (source) {
    case TJournalSource::Undo:
        FStack.undo();
        break;
    case TJournalSource::Redo:
        FStack.redo();
        break;
    default:
        // A number that did not parse leaves the value as it was: nothing to undo.
        if (!before.Value || !now.Value || !before.Value->IsEqual(*now.Value))
            FStack.push(new TValueCommand(before, now));
        break;
    }
}

void TValueHistory::LineRead(const TEntry& line) {
    if (!FJournal.LineRead(line))
        StopWrites();
}

void TValueHistory::Stopped() {
    if (!FJournal.Stopped())
        StopWrites();
}

void TValueHistory::StopWrites() {
    FOnline.Session().PendingEntry.Reset();
    FJournal.Forget();
    FWaiting.reset();
    FNote.clear();
}

} // namespace kelvo
