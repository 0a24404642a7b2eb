// What the window asks of the online operation about its rows: the line
// status with the state of the link, and the editing of a value, which
// online waits for the device to take it.
#include "foundation/prompt.h"
#include "model/dlglinevalue.h"
#include "online/kelvo_online.h"
#include "online/online_texts.h"

#include <cstdio>

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;

namespace {

int FirstSelectedRow(const TSortVListView& list) {
    const TVlistControl* control = list.BoundListControl();
    if (!control)
        return -1;
    const std::vector<int> rows = control->SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

} // namespace

std::string TKelvoOnline::StatusText(int row) const {
    const TSortVListView& list = FDocument.List();
    if (!list.BoundListControl())
        return {};
    if (row < 0)
        row = FirstSelectedRow(list);
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "Line %i/%i", row + 1, list.GetRowCount());
    std::string text = buffer;
    if (const TEntry* entry = FDocument.GetEntry(row)) {
        std::snprintf(buffer, sizeof buffer, ": \"0x%04X %04X %04X [%i]\"", entry->Address,
                      entry->Flags, entry->Layout, entry->IndexI);
        text += buffer;
    }
    if (IsOnline()) {
        const TKelvoStream& stream = FSession.Stream();
        std::snprintf(buffer, sizeof buffer, "\t %.1f Messages/sec on COM %i at %i Baud",
                      stream.GoodRate(), stream.Port(), stream.Baud());
        text += buffer;
    } else {
        text += "\t Offline";
    }
    return text;
}

bool TKelvoOnline::EditValue(QWidget* owner, int row) {
    TEntry* entry = FDocument.GetSelectedEntry(row);
    const bool wasModified = FDocument.Info.IsModified();
    if (!entry || !entry->IsEditable()) {
        Prompt().Ask(online_text::EditValueCaption, online_text::NotEditable(),
                     TPromptIcon::Warning, TPromptButtons::Ok);
        return false;
    }
    // The dialog works on a copy, so that a cancelled edit leaves no trace.
    TPtr<TEntry> copy(new TEntry(*entry));
    if (!copy->Value->Edit(owner, entry))
        return false;
    if (!TakeEdit(*entry, std::move(copy)))
        return false;
    return !wasModified && FDocument.Info.IsModified();
}

bool TKelvoOnline::TakeEdit(TPtr<TEntry> edited) {
    TEntry* entry = edited ? DocumentEntryFor(*edited) : nullptr;
    return entry && TakeEdit(*entry, std::move(edited));
}

bool TKelvoOnline::TakeEdit(TEntry& entry, TPtr<TEntry> edited) {
    if (!edited->Value)
        return false;
    if (IsOnline()) {
        if (FPendingWrites && !FPendingWrites->Queue(*edited, FSession.PendingEntry.Get()))
            return false;
        // The shown value stays until the device has taken the new one.
        FSession.PendingEntry = std::move(edited);
    } else {
        const TEntry before(entry);
        entry.Value = std::move(edited->Value);
        FDocument.ExpandGroupOf(entry);
        if (TVlistControl* control = FDocument.List().BoundListControl())
            control->RowsChanged();
        if (FPendingWrites)
            FPendingWrites->Taken(entry, before, false);
    }
    if (!(entry.Layout & layout::Unmodifying))
        FDocument.Info.SetModified(TFileInfo::UndeterminedSize);
    return true;
}

} // namespace kelvo
