// The rows of a document as text, the way the editor copies them.
#include "model/kelvofile.h"

namespace kelvo {

namespace {

std::string Padded(const std::string& text, int width, bool alignRight) {
    if (static_cast<int>(text.size()) >= width)
        return text;
    const std::string fill(static_cast<std::size_t>(width) - text.size(), ' ');
    return alignRight ? fill + text : text + fill;
}

} // namespace

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
