#pragma once
// The values of the document's file as it was last loaded or saved, so that
// the parameter list can show only the lines the user (or the device) has
// changed since. Kept by the editor window: the document itself knows its
// file only by name.
#include "model/kelvofile.h"

#include <cstdint>
#include <map>
#include <tuple>

namespace kelvo {

class TFileValues {
public:
    // The document was just read from or written to its file.
    void Take(const TFileTypeKelvo::TEntries& entries);
    // A new document: nothing of it is on disk.
    void Forget();
    bool HasFile() const { return FHasFile; }

    // Whether entry shows a value that its file does not hold: a line of the
    // file with another value or kind, or a line the file lacks. Without a
    // file every line with a value differs. Headings (labels) and lines
    // without value never do, nor live lines: their value is a measurement
    // that drifts by itself, not a setting.
    bool Differs(const TFileTypeKelvo::TEntry& entry) const;

private:
    // A line and its group instance.
    using TKey = std::tuple<std::uint16_t, std::int32_t, std::int32_t, std::int32_t>;
    static TKey KeyOf(const TDlgline& line) {
        return {line.Address, line.IndexI, line.IndexJ, line.IndexK};
    }

    std::map<TKey, TPtr<TDlglineValue>> FValues;
    bool FHasFile = false;
};

} // namespace kelvo
