#pragma once
// The rows of a virtual list: entries that know their own texts and order, and
// the data source that enumerates them. Plain C++, so that a document can
// provide rows without depending on the window toolkit.
#include "foundation/utilcls.h"

#include <string>
#include <vector>

namespace kelvo {

class TVlistViewEntry {
public:
    TVlistViewEntry() = default;
    TVlistViewEntry(const TVlistViewEntry&) = default;
    TVlistViewEntry& operator=(const TVlistViewEntry&) = default;
    virtual ~TVlistViewEntry() = default;

    virtual bool IsVisible() const { return true; }
    virtual int GetIndent() const { return 0; }
    // Single-byte text in the device's code page; the list decodes it for display.
    virtual std::string GetText(int column) const = 0;
    // Negative, zero or positive; the key carries the column (bits 0..30) and the
    // descending flag (bit 31). The base treats all entries as equal, so the
    // rows keep the data source's order.
    virtual int Compare(const TVlistViewEntry& other, int sortKey) const {
        (void)other;
        (void)sortKey;
        return 0;
    }

    // The row's selection and keyboard focus live in the entry, not in the
    // control's row numbers: row numbers change meaning whenever the rows are
    // re-ordered or rebuilt, while the entry keeps its state as long as it
    // lives. A copy carries the state along; whoever copies an entry into a
    // second row clears it there (ClearRowState), so that one selected line
    // does not come back as two.
    unsigned char Selected = 0;
    unsigned char Focused = 0;

    void ClearRowState() {
        Selected = 0;
        Focused = 0;
    }
};

// Iterates the entries of a data source; created on the heap for the caller.
class TVlistViewEntryIterator {
public:
    virtual ~TVlistViewEntryIterator() = default;
    virtual bool Equals(const TVlistViewEntryIterator& other) const = 0;
    // Prefix forms give the entry at the new position, postfix forms the entry at
    // the old one; null past either end.
    virtual TVlistViewEntry* operator++() = 0;
    virtual TVlistViewEntry* operator++(int) = 0;
    virtual TVlistViewEntry* operator--() = 0;
    virtual TVlistViewEntry* operator--(int) = 0;
    virtual TVlistViewEntry* operator*() const = 0;
};

using TVlistViewEntryIteratorPtr = TPtr<TVlistViewEntryIterator>;

class TVlistViewData {
public:
    virtual ~TVlistViewData() = default;
    // All entries, visible or not.
    virtual int Count() const = 0;
    // Each replaces what `it` held by a new iterator.
    virtual void Begin(TVlistViewEntryIteratorPtr& it) = 0;
    virtual void End(TVlistViewEntryIteratorPtr& it) = 0;
    virtual void IteratorAt(TVlistViewEntry* entry, TVlistViewEntryIteratorPtr& it) = 0;
};

// A borrowed entry; the data source owns it.
using TVlistViewEntryPtr = TVlistViewEntry*;
// The visible entries in display order.
using TSortedVlvEntries = std::vector<TVlistViewEntryPtr>;

} // namespace kelvo
