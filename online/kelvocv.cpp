#include "online/kelvocv.h"

#include "foundation/exception.h"
#include "foundation/mediastm.h"

#include <iterator>

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;
using TEntries = TFileTypeKelvo::TEntries;

namespace {

template <typename List, typename Entry> Entry* FindIn(List& list, const TLineKey& key) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->GroupLevel() != layout::LevelOrdinary || it->Address != key.Address)
            continue;
        // A separator stands in front of its line and carries its address.
        if (!it->Value && ++it == list.end())
            return nullptr;
        return &*it;
    }
    // Members of a repeated group share their addresses: the instance decides.
    // Only lines with a value count, so a member's separator is passed over.
    for (auto& entry : list)
        if (entry.GroupLevel() == layout::LevelMember && entry.Address == key.Address &&
            entry.IndexI == key.IndexI && entry.Value)
            return &entry;
    return nullptr;
}

bool MatchesAny(const TEntries& list, const TIdRecord* const* ids) {
    for (; ids && *ids; ++ids)
        if (MatchesIdRecord(list, **ids))
            return true;
    return false;
}

// Makes the list display show copied values at once.
void RepaintRows(TFileTypeKelvo& document) {
    if (TVlistControl* control = document.List().BoundListControl())
        control->RowsChanged();
}

} // namespace

TEntry* FindKeyedLine(TEntries& list, const TLineKey& key) {
    return FindIn<TEntries, TEntry>(list, key);
}

const TEntry* FindKeyedLine(const TEntries& list, const TLineKey& key) {
    return FindIn<const TEntries, const TEntry>(list, key);
}

bool MatchesIdRecord(const TEntries& list, const TIdRecord& record) {
    if (!record.Bytes || record.Size <= 0)
        return false;
    // The buffer only reads; it never writes into the stored record.
    TStaticStreamBuffer in(const_cast<std::uint8_t*>(record.Bytes), record.Size);
    TDlgline line;
    if (line.Read(in) <= 0)
        return false;
    const TEntry* found =
        FindKeyedLine(list, {line.Address, line.IndexI, line.IndexJ, line.IndexK});
    if (!found)
        return false;
    if (found->IsBlank() && line.IsBlank())
        return true;
    if (!found->Value || !line.Value)
        return false;
    return found->Value->IsEqual(*line.Value);
}

std::int32_t OldValueLong(const TFileTypeKelvo& document, const TLineKey& key) {
    const TEntry* line = FindKeyedLine(document.OldEntries, key);
    if (!line || !line->Value)
        throw Exception("OldValueLong");
    return line->Value->GetLong();
}

void NewValueLong(TFileTypeKelvo& document, const TLineKey& key, std::int32_t value) {
    TEntry* line = FindKeyedLine(document.ConvertedEntries, key);
    if (!line || !line->Value)
        throw Exception("NewValueLong");
    line->Value->SetLong(value);
}

int FindConversion(TFileTypeKelvo& document) {
    if (document.OldEntries.empty())
        return conversion::NoOldData;
    if (document.Entries.empty())
        return conversion::NoNewData;
    const TConversionRow* table = ConversionTable();
    for (int row = 0; table[row].OldIds; ++row)
        if (MatchesAny(document.OldEntries, table[row].OldIds) &&
            MatchesAny(document.Entries, table[row].NewIds))
            return row;
    return conversion::NoMatchingRow;
}

int Convert(TFileTypeKelvo& document, int row) {
    if (row < 0 || row >= ConversionTableRows())
        return conversion::NoSuchRow;
    const TConversionRow& r = ConversionTable()[row];
    try {
        document.ConvertedEntries = document.Entries;

        for (const std::uint8_t* p = r.SetRecords; p && !cvrecord::IsListEnd(p);
             p += cvrecord::SetSize)
            NewValueLong(document, cvrecord::GetKey(p), cvrecord::GetI32(p + cvrecord::KeySize));

        if (r.Routine && r.Routine(document) < 1)
            return conversion::RoutineFailed;

        // Copied values go into the converted data, which is what reaches the
        // device; the downloaded dialog shows them too until the device's own
        // values are read back.
        bool shownChanged = false;
        for (const std::uint8_t* p = r.CopyRecords; p && !cvrecord::IsListEnd(p);
             p += cvrecord::CopySize) {
            const TLineKey first = cvrecord::GetKey(p);
            const TLineKey second = cvrecord::GetKey(p + cvrecord::KeySize);
            const TLineKey& oldKey = r.Reverse ? second : first;
            const TLineKey& newKey = r.Reverse ? first : second;
            const TEntry* source = FindKeyedLine(document.OldEntries, oldKey);
            if (!source || source->IsBlank())
                return conversion::SourceMissing;
            TEntry* target = FindKeyedLine(document.ConvertedEntries, newKey);
            if (!target || target->IsBlank())
                return conversion::TargetMissing;
            target->Value->Assign(*source->Value);
            if (TEntry* shown = FindKeyedLine(document.Entries, newKey);
                shown && shown->Value && shown->Value->Kind() == source->Value->Kind()) {
                shown->Value->Assign(*source->Value);
                shownChanged = true;
            }
        }
        if (shownChanged)
            RepaintRows(document);
        return 1;
    } catch (...) {
        return conversion::ErrorRaised;
    }
}

} // namespace kelvo
