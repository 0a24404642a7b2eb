#pragma once
// Documents for the conversion tests: lines built in memory, and the family's
// data files loaded as old data and as a downloaded dialog.
#include "model/kelvo_doc_support.h"
#include "online/kelvocv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvo::test {

using TEntries = TFileTypeKelvo::TEntries;

struct TLongLine {
    std::uint16_t Address;
    std::int32_t Value;
    std::uint16_t Flags = 0;
    std::uint16_t Layout = 0;
};

// The lines as a processed dialog (groups expanded, separators added).
inline TEntries Dialog(TFileTypeKelvo& doc, const std::vector<TLongLine>& lines) {
    std::vector<TEntry> entries;
    for (const TLongLine& l : lines)
        entries.push_back(Line(doc, l.Address, l.Flags, l.Layout, "Line", l.Value));
    EXPECT_EQ(Process(doc, entries), 0);
    TEntries result = doc.Entries;
    doc.Entries.Clear();
    return result;
}

inline TEntry& At(TEntries& list, std::uint16_t address, std::int32_t indexI = 0) {
    TEntry* e = FindKeyedLine(list, {address, indexI, 0, 0});
    if (!e)
        throw std::runtime_error("no line " + std::to_string(address));
    return *e;
}

inline std::int32_t LongAt(TEntries& list, std::uint16_t address, std::int32_t indexI = 0) {
    return At(list, address, indexI).Value->GetLong();
}

inline TBytes FamilyFile(const std::string& name) {
    std::ifstream in(std::string(KELVO_DIALOG_DIR) + "/" + name, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The old file as the document's old data, the new one as the device's dialog.
inline void LoadPair(TFileTypeKelvo& doc, const std::string& oldFile, const std::string& newFile) {
    LoadBytes(doc, FamilyFile(oldFile), oldFile);
    doc.OldEntries = doc.Entries;
    LoadBytes(doc, FamilyFile(newFile), newFile);
}

} // namespace kelvo::test
