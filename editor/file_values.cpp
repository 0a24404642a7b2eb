#include "editor/file_values.h"

namespace kelvo {

void TFileValues::Take(const TFileTypeKelvo::TEntries& entries) {
    FLines.clear();
    for (const TFileTypeKelvo::TEntry& entry : entries) {
        if (!entry.Value)
            continue;
        // The line is copied without its document: only its value is asked.
        TDlgline line(static_cast<const TDlgline&>(entry));
        line.ProductionMode = nullptr;
        FLines.insert_or_assign(KeyOf(entry), std::move(line));
    }
    FHasFile = true;
}

void TFileValues::Forget() {
    FLines.clear();
    FHasFile = false;
}

bool TFileValues::Differs(const TFileTypeKelvo::TEntry& entry) const {
    if (!entry.Value || entry.IsLive() || entry.Kind() == KindLabel)
        return false;
    const auto found = FLines.find(KeyOf(entry));
    return found == FLines.end() || !found->second.SameValue(entry);
}

} // namespace kelvo
