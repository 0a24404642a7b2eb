#include "editor/line_filter.h"

#include "foundation/gui/oem_text.h"

#include <vector>

namespace kelvo {

namespace {

using TEntry = TFileTypeKelvo::TEntry;

// The text as the list shows it.
QString Shown(const TEntry& entry, int column) {
    return OemToQString(entry.GetText(column));
}

const TEntry& EntryOf(const TVlistViewEntry* row) {
    return static_cast<const TEntry&>(*row);
}

} // namespace

void TLineFilter::SetText(const QString& text) {
    FText = text.trimmed();
}

bool TLineFilter::Matches(const TEntry& entry) const {
    if (entry.IsBlank())
        return false;
    if (FChangedOnly && !(FChanged && FChanged(entry)))
        return false;
    if (FText.isEmpty())
        return true;
    // Letters compare without case across all of Unicode, as the user reads
    // them, not as the device's code page holds them.
    return Shown(entry, 0).contains(FText, Qt::CaseInsensitive) ||
           Shown(entry, 1).contains(FText, Qt::CaseInsensitive);
}

void TLineFilter::Apply(TSortedVlvEntries& rows) const {
    if (!IsActive())
        return;
    const std::size_t n = rows.size();
    std::vector<char> keep(n, 0);
    // The rows a row stands under: the indices of the nearest rows above with
    // less and less indentation. A kept row always has its headings kept, so
    // marking stops at the first one already kept.
    std::vector<std::size_t> headings;
    for (std::size_t i = 0; i < n; ++i) {
        const TEntry& entry = EntryOf(rows[i]);
        if (entry.IsBlank())
            continue;
        const int indent = entry.GetIndent();
        while (!headings.empty() && EntryOf(rows[headings.back()]).GetIndent() >= indent)
            headings.pop_back();
        if (Matches(entry)) {
            keep[i] = 1;
            for (auto it = headings.rbegin(); it != headings.rend() && !keep[*it]; ++it)
                keep[*it] = 1;
        }
        headings.push_back(i);
    }
    // Separators stay where they divide kept rows; never first, never twice.
    TSortedVlvEntries kept;
    TVlistViewEntry* separator = nullptr;
    for (std::size_t i = 0; i < n; ++i) {
        if (EntryOf(rows[i]).IsBlank()) {
            separator = rows[i];
            continue;
        }
        if (!keep[i])
            continue;
        if (separator && !kept.empty())
            kept.push_back(separator);
        separator = nullptr;
        kept.push_back(rows[i]);
    }
    rows = std::move(kept);
}

std::string TLineFilter::NoMatchText() const {
    const std::string text = FText.toStdString();
    if (FChangedOnly && text.empty())
        return "No line differs from the file";
    if (FChangedOnly)
        return "No changed line matches \"" + text + "\"";
    return "No line matches \"" + text + "\"";
}

} // namespace kelvo
