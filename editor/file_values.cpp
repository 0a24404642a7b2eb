#include "editor/file_values.h"

namespace kelvo {

void TFileValues::Take(const TFileTypeKelvo::TEntries& entries) {
    FValues.clear();
    for (const TFileTypeKelvo::TEntry& entry : entries) {
        if (!entry.Value)
            continue;
        // Only the value is kept: the line's copy does the deep copy of it.
        TDlgline copy(static_cast<const TDlgline&>(entry));
        FValues.insert_or_assign(KeyOf(entry), std::move(copy.Value));
    }
    FHasFile = true;
}

void TFileValues::Forget() {
    FValues.clear();
    FHasFile = false;
}

bool TFileValues::Differs(const TFileTypeKelvo::TEntry& entry) const {
    if (!entry.Value || entry.IsLive() || entry.Kind() == KindLabel)
        return false;
    const auto found = FValues.find(KeyOf(entry));
    return found == FValues.end() || !entry.Value->IsEqual(*found->second);
}

} // namespace kelvo
