#include "model/kelvofile.h"

#include "model/dlglinevalue.h"

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;
using TEntries = TFileTypeKelvo::TEntries;

TEntry::TEntry(TFileTypeKelvo* document)
    : TDlgline(document ? &document->ProductionFlag : nullptr), Document(document) {}

bool TEntry::IsVisible() const {
    return !HiddenByCount && TDlgline::IsVisible();
}

int TEntry::GetIndent() const {
    return ((Flags & flags::IndentLow) ? 1 : 0) + ((Flags & flags::IndentHigh) ? 2 : 0);
}

std::string TEntry::GetText(int column) const {
    if (!Value)
        return {};
    const TMlpara* table = Document ? Document->GetTranslationTable() : nullptr;
    switch (column) {
    case 0:
        return ExpandCaption(Caption.DisplayText(table));
    case 1:
        return Value->GetDisplayText(table);
    default:
        return {};
    }
}

TEntries::iterator TEntries::insert(const_iterator before, const TEntry& entry) {
    if (entry.HiddenByCount)
        ++HiddenCount;
    return FList.insert(before, entry);
}

TEntries::iterator TEntries::erase(const_iterator at) {
    if (at->HiddenByCount)
        --HiddenCount;
    return FList.erase(at);
}

void TEntries::Clear() {
    FList.clear();
    HiddenCount = 0;
    DialogVersion = DialogVersionCleared;
}

void TEntries::SetHiddenByCount(TEntry& entry, bool hidden) {
    if (bool(entry.HiddenByCount) == hidden)
        return;
    entry.HiddenByCount = hidden ? 1 : 0;
    HiddenCount += hidden ? 1 : -1;
}

using TItor = TFileTypeKelvo::TKelvoViewDataItor;

TVlistViewEntry* TItor::At(TEntryIterator it) const {
    return it == FEntries->end() ? nullptr : &*it;
}

bool TItor::Equals(const TVlistViewEntryIterator& other) const {
    const auto* o = dynamic_cast<const TItor*>(&other);
    return o && o->Position == Position;
}

// Stepping stops at either end of the list: past the end stays at the end,
// before the first entry stays at the first, and both answer null.
TVlistViewEntry* TItor::operator++() {
    if (Position == FEntries->end())
        return nullptr;
    return At(++Position);
}

TVlistViewEntry* TItor::operator++(int) {
    TVlistViewEntry* old = At(Position);
    if (Position != FEntries->end())
        ++Position;
    return old;
}

TVlistViewEntry* TItor::operator--() {
    if (Position == FEntries->begin())
        return nullptr;
    return At(--Position);
}

TVlistViewEntry* TItor::operator--(int) {
    TVlistViewEntry* old = At(Position);
    if (Position != FEntries->begin())
        --Position;
    return old;
}

TVlistViewEntry* TItor::operator*() const {
    return At(Position);
}

using TViewData = TFileTypeKelvo::TKelvoViewData;

void TViewData::Begin(TVlistViewEntryIteratorPtr& it) {
    it = new TItor(*Entries, Entries->begin());
}

void TViewData::End(TVlistViewEntryIteratorPtr& it) {
    it = new TItor(*Entries, Entries->end());
}

void TViewData::IteratorAt(TVlistViewEntry* entry, TVlistViewEntryIteratorPtr& it) {
    auto pos = Entries->begin();
    while (pos != Entries->end() && static_cast<TVlistViewEntry*>(&*pos) != entry)
        ++pos;
    it = new TItor(*Entries, pos);
}

} // namespace kelvo
