#pragma once
// Rows for list tests: entries with a sort number and column texts, held in a
// vector that plays the data source.
#include "foundation/vlist/vlist_entry.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

namespace kelvo::test {

class TTestEntry : public TVlistViewEntry {
public:
    TTestEntry(int key, std::vector<std::string> texts, int* compares = nullptr)
        : Key(key), Texts(std::move(texts)), Compares(compares) {}

    bool IsVisible() const override { return Visible; }
    int GetIndent() const override { return Indent; }
    std::string GetText(int column) const override {
        return column >= 0 && column < static_cast<int>(Texts.size()) ? Texts[column] : "";
    }
    // Column 0 compares the keys, every other column says "equal".
    int Compare(const TVlistViewEntry& other, int sortKey) const override {
        if (Compares)
            ++*Compares;
        if ((sortKey & 0x7FFFFFFF) != 0)
            return 0;
        const int diff = Key - static_cast<const TTestEntry&>(other).Key;
        return sortKey < 0 ? -diff : diff;
    }

    int Key;
    std::vector<std::string> Texts;
    bool Visible = true;
    int Indent = 0;
    int* Compares;
};

class TTestData : public TVlistViewData {
public:
    class Iterator : public TVlistViewEntryIterator {
    public:
        Iterator(const TTestData& d, int at) : D(d), At(at) {}
        bool Equals(const TVlistViewEntryIterator& o) const override {
            return At == static_cast<const Iterator&>(o).At;
        }
        TVlistViewEntry* operator++() override { return Entry(++At); }
        TVlistViewEntry* operator++(int) override { return Entry(At++); }
        TVlistViewEntry* operator--() override { return Entry(--At); }
        TVlistViewEntry* operator--(int) override { return Entry(At--); }
        TVlistViewEntry* operator*() const override { return Entry(At); }

    private:
        TVlistViewEntry* Entry(int i) const {
            return i >= 0 && i < static_cast<int>(D.Entries.size()) ? D.Entries[i].get() : nullptr;
        }
        const TTestData& D;
        int At;
    };

    int Count() const override { return ClaimedCount >= 0 ? ClaimedCount : Size(); }
    void Begin(TVlistViewEntryIteratorPtr& it) override { it = new Iterator(*this, 0); }
    void End(TVlistViewEntryIteratorPtr& it) override { it = new Iterator(*this, Size()); }
    void IteratorAt(TVlistViewEntry* e, TVlistViewEntryIteratorPtr& it) override {
        int i = 0;
        while (i < Size() && Entries[i].get() != e)
            ++i;
        it = new Iterator(*this, i);
    }

    TTestEntry& Add(int key, std::vector<std::string> texts, int* compares = nullptr) {
        Entries.push_back(std::make_unique<TTestEntry>(key, std::move(texts), compares));
        return *Entries.back();
    }
    int Size() const { return static_cast<int>(Entries.size()); }
    // Destroys entry i and makes a fresh one in the very same storage, as an
    // allocator may do when a document replaces its entries.
    TTestEntry& Renew(int i, int key, std::vector<std::string> texts) {
        TTestEntry* at = Entries[static_cast<std::size_t>(i)].get();
        at->~TTestEntry();
        return *new (at) TTestEntry(key, std::move(texts));
    }

    std::vector<std::unique_ptr<TTestEntry>> Entries;
    // A source whose count promises more than it yields, when not negative.
    int ClaimedCount = -1;
};

} // namespace kelvo::test
