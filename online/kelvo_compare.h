#pragma once
// Comparison of a data file with the device a document is online with, line
// by line (each instance of a repeated group on its own), and the writing of
// chosen differences into the device. The file's data are converted first
// when they come from another device program the conversion table knows.
// Used by the editor's compare table and by kelvoctl diff.
#include "model/kelvofile.h"
#include "online/kelvo_online.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvo {

struct TCompareRow {
    enum TReason {
        Value,             // an editable line holds another value
        Live,              // a live line: the device may have changed it itself
        ReadOnly,          // a line the user cannot edit holds another value
        DefinitionChanged, // the same place, another definition (caption, kind, words)
        MissingInFile,
        MissingInDevice,
    };
    TReason Reason = Value;
    std::uint16_t Address = 0;
    // The instance of a repeated group (0 for ordinary lines).
    std::int32_t Instance = 0;
    bool Member = false;
    // In the device's code page: the caption as shown (the device's line when
    // it has one) and the value texts; a side without the line has none.
    std::string Caption;
    std::string FileValue;
    std::string DeviceValue;
    // The line is one the user can edit on either side; read-only lines
    // (measured values, counters) differ without the device being any other.
    bool Programmable = false;
    // The file's line (after conversion), kept for writing it into the device.
    std::optional<TFileTypeKelvo::TEntry> FileLine;

    // A row whose file value can go into the device: the line exists on both
    // sides with one definition and the user could edit it.
    bool Writable() const;
};

// The machine-readable name of a reason: "value", "live", "read-only",
// "definition", "missing-in-file", "missing-in-device".
const char* ReasonKey(TCompareRow::TReason reason);
// The reason as the table shows it ("Value", "Live line", ...).
const char* ReasonText(TCompareRow::TReason reason);

struct TComparison {
    std::vector<TCompareRow> Rows;
    // The file came from another device program and was converted first.
    bool Converted = false;
    // The file came from another device program the table cannot convert:
    // the rows compare the file as it is.
    bool Incompatible = false;

    // Every line the same.
    bool AllEqual() const { return Rows.empty(); }
    // Every line the user can edit the same, as the go-online dialogue
    // judges ("All programmable values are equal"); read-only lines may differ.
    bool Equal() const;
};

// Compares file (a loaded data file) with device (the device's dialog with
// every line read). Lines without value (headers, separators) and instances
// hidden by their group's count take no part.
TComparison CompareWithDevice(const TFileTypeKelvo& file, const TFileTypeKelvo& device);

// The outcome of writing one chosen row.
struct TRowWrite {
    std::size_t Row = 0;
    enum TResult {
        Written,
        NotWritable,
        NoSuchLine,
        WriteFailed,
        ReadBackFailed,
        NotTaken,
        NoSnapshot,  // the snapshot before the first write failed: nothing was written
        NotRecorded, // written, but the change journal could not record it: the
                     // rows after it are not tried
    };
    TResult Result = Written;
};
const char* RowWriteText(TRowWrite::TResult result);

// Writes the file values of the chosen rows into the device one line at a
// time, as an edit does, and reads each back into online's document. Stops
// at the first failure of the link (the rows after it are not tried); a row
// that cannot be written or whose value the device does not take is
// reported and the next one is tried. One result per row tried.
// beforeFirstWrite (the snapshot of the device's values) runs once, just
// before the first write; when it returns false nothing is written and the
// one result is NoSnapshot. afterWrite (the change journal) is told of each
// line written, with the device's line before and after and the row's result;
// when it answers false the row becomes NotRecorded and writing stops.
using TRowWritten =
    std::function<bool(const TFileTypeKelvo::TEntry& before, const TFileTypeKelvo::TEntry& written,
                       const TFileTypeKelvo::TEntry& readBack, TRowWrite::TResult result)>;
std::vector<TRowWrite> WriteRows(TKelvoOnline& online, const TComparison& comparison,
                                 const std::vector<std::size_t>& chosen,
                                 const std::function<bool()>& beforeFirstWrite = {},
                                 const TRowWritten& afterWrite = {});

} // namespace kelvo
