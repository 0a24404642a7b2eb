// What the Edit menu's list and device commands run: copying lines, going
// online or offline, Program and Reset, editing a value, Undo and Redo.
#include "editor/klvform.h"

#include "editor/value_history.h"
#include "foundation/gui/oem_text.h"
#include "online/kelvo_online.h"

#include <QClipboard>
#include <QGuiApplication>

namespace kelvo {

void TKlvForm::CopyLines(TCopyLines lines) {
    if (!Kelvo())
        return;
    const std::string text = CopyLinesText(*Kelvo(), lines == TCopyLines::All);
    if (text.empty())
        return;
    QGuiApplication::clipboard()->setText(OemToQString(text));
}

void TKlvForm::GoOnline(TConnectTarget target) {
    if (!FOnline)
        return;
    FOnline->GoOnline(target, 0);
    ForgetHistoryIfReplaced();
    NotePortProblem();
    FLanguageMark = 0;
    SyncOptions();
    DocumentChanged();
    UpdateStatus();
}

void TKlvForm::RequestDeviceCommand(int tag) {
    if (FOnline && Kelvo())
        FOnline->RequestDeviceCommand(DeviceRequestFromTag(tag));
}

void TKlvForm::EditValue() {
    if (!Kelvo() || !FOnline)
        return;
    if (FOnline->EditValue(this, -1))
        DocumentChanged();
    UpdateStatus();
    UpdateActions();
}

void TKlvForm::Undo() {
    if (!FHistory)
        return;
    const bool wasModified = Kelvo()->Info.IsModified();
    FHistory->Undo();
    if (wasModified != Kelvo()->Info.IsModified())
        DocumentChanged();
    UpdateStatus();
    UpdateActions();
}

void TKlvForm::Redo() {
    if (!FHistory)
        return;
    const bool wasModified = Kelvo()->Info.IsModified();
    FHistory->Redo();
    if (wasModified != Kelvo()->Info.IsModified())
        DocumentChanged();
    UpdateStatus();
    UpdateActions();
}

void TKlvForm::ForgetHistoryIfReplaced() {
    using TOutcome = TKelvoOnline::TOutcome;
    const TOutcome outcome = FOnline->LastOutcome();
    // Equal, Written and the outcomes that restored the old data keep the
    // lines the changes were made on.
    if (FHistory && (outcome == TOutcome::Downloaded || outcome == TOutcome::KeptDevice ||
                     outcome == TOutcome::TimerFailed))
        FHistory->Clear();
}

} // namespace kelvo
