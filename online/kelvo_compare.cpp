#include "online/kelvo_compare.h"

#include "online/conversion_hook.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;

namespace {

using TKey = std::pair<std::uint16_t, std::int32_t>;

bool Compared(const TEntry& line) {
    return line.Value && !line.HiddenByCount && line.IsVisible();
}

TKey KeyOf(const TEntry& line) {
    return {line.Address, line.IndexI};
}

TCompareRow RowFor(TCompareRow::TReason reason, const TEntry* fileLine, const TEntry* deviceLine) {
    TCompareRow row;
    row.Reason = reason;
    const TEntry& any = deviceLine ? *deviceLine : *fileLine;
    row.Address = any.Address;
    row.Instance = any.IndexI;
    row.Member = any.GroupLevel() == layout::LevelMember;
    row.Caption = any.GetText(0);
    if (fileLine) {
        row.FileValue = fileLine->GetText(1);
        row.FileLine = *fileLine;
    }
    if (deviceLine)
        row.DeviceValue = deviceLine->GetText(1);
    row.Programmable =
        (fileLine && fileLine->IsEditable()) || (deviceLine && deviceLine->IsEditable());
    return row;
}

// Why two lines at one place differ; false when they do not.
bool Difference(const TEntry& file, const TEntry& device, TCompareRow::TReason& reason) {
    if (!file.SameDefinition(device)) {
        reason = TCompareRow::DefinitionChanged;
        return true;
    }
    if (file.SameValue(device))
        return false;
    reason = !device.IsEditable() ? TCompareRow::ReadOnly
             : device.IsLive()    ? TCompareRow::Live
                                  : TCompareRow::Value;
    return true;
}

} // namespace

bool TComparison::Equal() const {
    return std::none_of(Rows.begin(), Rows.end(),
                        [](const TCompareRow& row) { return row.Programmable; });
}

bool TCompareRow::Writable() const {
    return FileLine && FileLine->IsEditable() && (Reason == Value || Reason == Live);
}

const char* ReasonKey(TCompareRow::TReason reason) {
    switch (reason) {
    case TCompareRow::Value:
        return "value";
    case TCompareRow::Live:
        return "live";
    case TCompareRow::ReadOnly:
        return "read-only";
    case TCompareRow::DefinitionChanged:
        return "definition";
    case TCompareRow::MissingInFile:
        return "missing-in-file";
    case TCompareRow::MissingInDevice:
        return "missing-in-device";
    }
    return "";
}

const char* ReasonText(TCompareRow::TReason reason) {
    switch (reason) {
    case TCompareRow::Value:
        return "Value";
    case TCompareRow::Live:
        return "Live line";
    case TCompareRow::ReadOnly:
        return "Read-only";
    case TCompareRow::DefinitionChanged:
        return "Definition changed";
    case TCompareRow::MissingInFile:
        return "Missing in the file";
    case TCompareRow::MissingInDevice:
        return "Missing in the device";
    }
    return "";
}

TComparison CompareWithDevice(const TFileTypeKelvo& file, const TFileTypeKelvo& device) {
    TComparison result;
    // Data of another device program are compared as the go-online dialogue
    // would write them: converted onto the device's dialog.
    TFileTypeKelvo scratch;
    scratch.Entries = device.Entries;
    scratch.OldEntries = file.Entries;
    const TFileTypeKelvo::TEntries* fileLines = &file.Entries;
    if (const int row = FindOldDataConversion(scratch); row >= 0) {
        if (ConvertOldData(scratch, row) >= 1) {
            result.Converted = true;
            fileLines = &scratch.ConvertedEntries;
        }
    }

    std::map<TKey, const TEntry*> inDevice;
    for (const TEntry& line : device.Entries)
        if (Compared(line))
            inDevice.emplace(KeyOf(line), &line);
    std::map<TKey, const TEntry*> inFile;
    for (const TEntry& line : *fileLines)
        if (Compared(line))
            inFile.emplace(KeyOf(line), &line);

    for (const auto& [key, fileLine] : inFile) {
        const auto held = inDevice.find(key);
        if (held == inDevice.end()) {
            result.Rows.push_back(RowFor(TCompareRow::MissingInDevice, fileLine, nullptr));
            continue;
        }
        TCompareRow::TReason reason;
        if (Difference(*fileLine, *held->second, reason))
            result.Rows.push_back(RowFor(reason, fileLine, held->second));
    }
    for (const auto& [key, deviceLine] : inDevice)
        if (!inFile.count(key))
            result.Rows.push_back(RowFor(TCompareRow::MissingInFile, nullptr, deviceLine));
    std::stable_sort(result.Rows.begin(), result.Rows.end(),
                     [](const TCompareRow& a, const TCompareRow& b) {
                         return std::tie(a.Address, a.Instance) < std::tie(b.Address, b.Instance);
                     });
    // An editable line defined otherwise, or only on one side, is what makes
    // the go-online dialogue call data "not compatible" when no conversion fits.
    if (!result.Converted)
        for (const TCompareRow& row : result.Rows)
            if (row.Programmable && row.Reason != TCompareRow::Value &&
                row.Reason != TCompareRow::Live && row.Reason != TCompareRow::ReadOnly)
                result.Incompatible = true;
    return result;
}

const char* RowWriteText(TRowWrite::TResult result) {
    switch (result) {
    case TRowWrite::Written:
        return "written";
    case TRowWrite::NotWritable:
        return "not writable";
    case TRowWrite::NoSuchLine:
        return "the device shows no such line";
    case TRowWrite::WriteFailed:
        return "writing failed";
    case TRowWrite::ReadBackFailed:
        return "reading back failed";
    case TRowWrite::NotTaken:
        return "the device did not take the file's value";
    case TRowWrite::NoSnapshot:
        return "no snapshot of the device's values: nothing was written";
    case TRowWrite::NotRecorded:
        return "written, but the change journal could not record it: nothing more was written";
    }
    return "";
}

std::vector<TRowWrite> WriteRows(TKelvoOnline& online, const TComparison& comparison,
                                 const std::vector<std::size_t>& chosen,
                                 const std::function<bool()>& beforeFirstWrite,
                                 const TRowWritten& afterWrite) {
    std::vector<TRowWrite> results;
    TFileTypeKelvo& doc = online.Document();
    bool prepared = !beforeFirstWrite;
    for (const std::size_t index : chosen) {
        TRowWrite outcome;
        outcome.Row = index;
        if (index >= comparison.Rows.size() || !comparison.Rows[index].Writable()) {
            outcome.Result = TRowWrite::NotWritable;
            results.push_back(outcome);
            continue;
        }
        const TEntry& fileLine = *comparison.Rows[index].FileLine;
        // Looked up for each row: a count written before may have changed the list.
        TEntry* held = nullptr;
        for (TEntry& e : doc.Entries)
            if (e.Value && KeyOf(e) == KeyOf(fileLine)) {
                held = &e;
                break;
            }
        if (!held || held->HiddenByCount || !held->SameDefinition(fileLine)) {
            outcome.Result = TRowWrite::NoSuchLine;
            results.push_back(outcome);
            continue;
        }
        if (!prepared) {
            if (!beforeFirstWrite()) {
                outcome.Result = TRowWrite::NoSnapshot;
                results.push_back(outcome);
                break;
            }
            prepared = true;
        }
        TEntry edited(fileLine);
        const std::optional<TEntry> before =
            afterWrite ? std::optional<TEntry>(*held) : std::nullopt;
        if (online.ReadWriteLine(edited, true) < 0)
            outcome.Result = TRowWrite::WriteFailed;
        else if (online.ReadWriteLine(*held, false) < 0)
            outcome.Result = TRowWrite::ReadBackFailed;
        else if (!held->SameValue(fileLine))
            outcome.Result = TRowWrite::NotTaken;
        if (afterWrite && !afterWrite(*before, edited, *held, outcome.Result)) {
            outcome.Result = TRowWrite::NotRecorded;
            results.push_back(outcome);
            break;
        }
        results.push_back(outcome);
        if (outcome.Result == TRowWrite::WriteFailed || outcome.Result == TRowWrite::ReadBackFailed)
            break;
    }
    online.MarkDisplayDirty();
    return results;
}

} // namespace kelvo
