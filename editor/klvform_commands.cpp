// What the Edit menu's list and device commands run: copying lines, going
// online or offline, Program and Reset, editing a value.
#include "editor/klvform.h"

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
}

} // namespace kelvo
