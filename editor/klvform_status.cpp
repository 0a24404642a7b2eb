// The status text of the window: the focused row's line and the link's
// state, why the last go-online could not open its port, where the last
// snapshot went, and an Undo or Redo the device refuses.
#include "editor/klvform.h"

#include "devicelink/port_diagnosis.h"
#include "devicelink/serialline.h"
#include "editor/value_history.h"
#include "online/kelvo_online.h"

#include <QTreeView>

namespace kelvo {

void TKlvForm::UpdateStatus() {
    if (!Kelvo()) {
        SetStatusText({});
        return;
    }
    const int rows = Kelvo()->List().GetRowCount();
    if (rows <= 0) {
        SetStatusText(WithPortProblem(EmptyListText()));
        return;
    }
    const QModelIndex current = KelvoListView->currentIndex();
    SetStatusText(WithPortProblem(FOnline->StatusText(current.isValid() ? current.row() : -1)));
}

std::string TKlvForm::WithPortProblem(const std::string& status) const {
    std::string shown = FSnapshotNote.empty() ? status : status + " - " + FSnapshotNote;
    if (FHistory && !FHistory->Note().empty())
        shown += " - " + FHistory->Note();
    if (!Kelvo() || Kelvo()->IsOnline())
        return shown;
    // A device that went from the line is named until the next go-online.
    if (FOnline && FOnline->Session().Stream().Disconnected())
        return shown + " - " + PortProblem("the device was disconnected");
    return FPortProblem.empty() ? shown : shown + " - " + FPortProblem;
}

void TKlvForm::KelvoListViewChange(int row) {
    if (!Kelvo())
        return;
    UpdateNoMatch();
    if (row < 0 && Kelvo()->List().GetRowCount() <= 0) {
        SetStatusText(WithPortProblem(EmptyListText()));
        return;
    }
    if (row >= 0 && row != FSnapshotNoteRow)
        FSnapshotNote.clear();
    if (row >= 0) {
        SetStatusText(WithPortProblem(FOnline->StatusText(row)));
        UpdateAboutDialogIfChanged();
    }
}

void TKlvForm::NotePortProblem() {
    FPortProblem.clear();
    if (!FOnline || FOnline->LastOutcome() != TKelvoOnline::TOutcome::PortMissing || !Kelvo())
        return;
    const int port = FOnline->Session().Stream().Port();
    const std::string reason = PortOpenFailureReason(PortDeviceName(port));
    FPortProblem = PortProblem(reason.empty() ? "it could not be opened" : reason);
}

std::string TKlvForm::PortProblem(const std::string& reason) const {
    const TKelvoStream& stream = FOnline->Session().Stream();
    return stream.PortName() + " is " + PortDeviceName(stream.Port()) + ": " + reason;
}

} // namespace kelvo
