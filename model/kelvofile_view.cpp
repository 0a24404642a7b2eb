// What the editor window shows of a document besides the rows themselves: the
// line status, the value editing and the copied text of the rows.
#include "model/kelvofile.h"

#include "foundation/prompt.h"
#include "model/dlglinevalue.h"

#include <cstdio>

namespace kelvo {

namespace {

int FirstSelectedRow(const TSortVListView& list) {
    const TVlistControl* control = list.BoundListControl();
    if (!control)
        return -1;
    const std::vector<int> rows = control->SelectedRows();
    return rows.empty() ? -1 : rows.front();
}

std::string Padded(const std::string& text, int width, bool alignRight) {
    if (static_cast<int>(text.size()) >= width)
        return text;
    const std::string fill(static_cast<std::size_t>(width) - text.size(), ' ');
    return alignRight ? fill + text : text + fill;
}

} // namespace

std::string TFileTypeKelvo::GetStatusText(int row) const {
    if (!ListView->BoundListControl())
        return {};
    if (row < 0)
        row = FirstSelectedRow(*ListView);
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "Line %i/%i", row + 1, ListView->GetRowCount());
    std::string text = buffer;
    if (const TEntry* entry = GetEntry(row)) {
        std::snprintf(buffer, sizeof buffer, ": \"0x%04X %04X %04X [%i]\"", entry->Address,
                      entry->Flags, entry->Layout, entry->IndexI);
        text += buffer;
    }
    if (IsOnline()) {
        std::snprintf(buffer, sizeof buffer, "\t %.1f Messages/sec on COM %i at %i Baud",
                      Stream->GoodRate(), Stream->Port(), Stream->Baud());
        text += buffer;
    } else {
        text += "\t Offline";
    }
    return text;
}

bool TFileTypeKelvo::EditValue(QWidget* owner, int row) {
    TEntry* entry = GetSelectedEntry(row);
    const bool wasModified = Info.IsModified();
    if (!entry || !entry->IsEditable()) {
        Prompt().Ask("Edit Value", "This line can't be changed!", TPromptIcon::Warning,
                     TPromptButtons::Ok);
        return false;
    }
    // The dialog works on a copy, so that a cancelled edit leaves no trace.
    TPtr<TEntry> copy(new TEntry(*entry));
    if (!copy->Value->Edit(owner, entry))
        return false;
    if (IsOnline()) {
        // The shown value stays until the device has taken the new one.
        PendingEntry = std::move(copy);
    } else {
        entry->Value = std::move(copy->Value);
        ExpandGroupOf(*entry);
        if (TVlistControl* control = ListView->BoundListControl())
            control->RowsChanged();
    }
    if (!(entry->Layout & layout::Unmodifying))
        Info.SetModified(TFileInfo::UndeterminedSize);
    return !wasModified && Info.IsModified();
}

std::string CopyLinesText(const TFileTypeKelvo& document, bool allLines, const char* lineEnd) {
    constexpr int CaptionWidth = 22;
    constexpr int ValueWidth = 20;
    const TSortVListView& list = document.List();
    std::vector<int> rows;
    if (!document.IsEmpty()) {
        if (allLines) {
            const int count = list.GetRowCount();
            for (int row = 0; row < count; ++row)
                rows.push_back(row);
        } else if (const TVlistControl* control = list.BoundListControl()) {
            rows = control->SelectedRows();
        }
    }
    if (rows.empty())
        return {};

    std::string text = Padded("<Caption>      ", CaptionWidth, true) + ":" + "      <Value>";
    text += lineEnd;
    text += lineEnd;
    for (int row : rows) {
        const TFileTypeKelvo::TEntry* entry = document.GetEntry(row);
        if (!entry)
            continue;
        if (entry->IsBlank()) {
            text += lineEnd;
            continue;
        }
        const int indent = 2 * entry->GetIndent();
        text += std::string(static_cast<std::size_t>(indent), ' ');
        text += Padded(entry->GetText(0), CaptionWidth - indent, false);
        text += ':';
        text += Padded(entry->GetText(1), ValueWidth, true);
        text += lineEnd;
    }
    return text;
}

} // namespace kelvo
