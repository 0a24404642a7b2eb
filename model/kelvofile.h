#pragma once
// The Kelvo document: one device dialog as an ordered list of entries, each a
// dialog line that is also a row of the parameter list. It reads and writes
// data files (the line records one after the other, nothing else), expands
// repeated groups, removes blank lines and adds separators, and holds the
// data the online operation and the translation selection work on. The link
// to the device belongs to the online session bound to the document.
#include "foundation/filetype/filetype.h"
#include "foundation/utilcls.h"
#include "foundation/vlist/sort_vlistview.h"
#include "foundation/vlist/vlist_entry.h"
#include "model/dlgline.h"
#include "translations/mlselect.h"

#include <cstdint>
#include <list>
#include <string>

namespace kelvo {

// The online session a document is bound to: it holds the link and walks the
// entries while online. The document tells it when the entries it walks are
// replaced and hands it the idle time of the program.
class TKelvoLink {
public:
    virtual ~TKelvoLink() = default;
    virtual bool IsOnline() const = 0;
    // Clear: every entry went; the periodic work stops.
    virtual void EntriesCleared() = 0;
    // Every line is due to be read again, from the top.
    virtual void RefreshCycleStarted() = 0;
    // From the document's Idle: one cycle of the periodic work when a tick
    // is pending.
    virtual void Idle() = 0;
};

class TFileTypeKelvo : public TFileType {
public:
    // Status codes of the post-processing.
    enum TPostProcessStatus : int {
        ReadException = -1,
        InstancesDiffer = -1988,
        InstanceTooLong = -1989,
        BadLevelInGroup = -1991,
        CountTooHigh = -1992,
        CountNegative = -1993,
        CountNotLong = -1994,
        MemberWithoutCount = -1995,
        DialogTooLarge = -1990,
    };
    static constexpr int MaxGroupCount = 100;
    // Bounds of an expanded dialog, so that a small file cannot make the
    // document take all memory: a count multiplies its group up to a hundred
    // times. A device sends at most one line per 16-bit address, and real
    // groups have a few dozen lines; 4,096 lines per instance is far beyond
    // any of them. A million entries (lines, expanded instances and separator
    // lines) take some 200 MB and load in about a second (model_bounds_bench),
    // ten times the largest dialog the other benchmarks use.
    static constexpr int MaxInstanceLines = 4096;
    static constexpr int MaxEntries = 1000000;
    struct TBounds {
        int InstanceLines = MaxInstanceLines; // separator lines not counted
        int Entries = MaxEntries;
    };
    static constexpr std::int32_t DialogVersionCleared = -1;
    static constexpr std::int32_t DialogVersionProcessed = 2;

    // A dialog line as a row of the parameter list.
    class TEntry : public TVlistViewEntry, public TDlgline {
    public:
        // A fresh entry of document: its production mode is the document's.
        explicit TEntry(TFileTypeKelvo* document = nullptr);
        TEntry(const TEntry&) = default;
        TEntry& operator=(const TEntry&) = default;

        // Hidden by its group's count, by the device, or reserved for
        // production while production mode is off.
        bool IsVisible() const override;
        int GetIndent() const override;
        // Column 0 the expanded caption, column 1 the value, both in the
        // document's translation and in the device's code page.
        std::string GetText(int column) const override;

        TFileTypeKelvo* Document;
        // Changed through TEntries::SetHiddenByCount, which keeps the count.
        std::uint8_t HiddenByCount = 0;
        std::int32_t RefreshStamp = 0;
    };

    using TEntryList = std::list<TEntry>;
    using TEntryIterator = TEntryList::iterator;

    // The entries in dialog order, with the number hidden by group counts.
    class TEntries {
    public:
        using iterator = TEntryList::iterator;
        using const_iterator = TEntryList::const_iterator;

        iterator begin() { return FList.begin(); }
        iterator end() { return FList.end(); }
        const_iterator begin() const { return FList.begin(); }
        const_iterator end() const { return FList.end(); }
        TEntry& front() { return FList.front(); }
        TEntry& back() { return FList.back(); }
        bool empty() const { return FList.empty(); }
        int Count() const { return static_cast<int>(FList.size()); }

        iterator insert(const_iterator before, const TEntry& entry);
        void push_back(const TEntry& entry) { insert(end(), entry); }
        void push_front(const TEntry& entry) { insert(begin(), entry); }
        iterator erase(const_iterator at);
        // Removes every entry; the dialog counts as not processed any more.
        void Clear();
        // Sets or clears an entry's flag and keeps HiddenCount in step.
        void SetHiddenByCount(TEntry& entry, bool hidden);

        std::int32_t HiddenCount = 0;
        std::int32_t DialogVersion = DialogVersionCleared;

    private:
        TEntryList FList;
    };

    // Walks a document's entry list for the list display.
    class TKelvoViewDataItor : public TVlistViewEntryIterator {
    public:
        TKelvoViewDataItor(TEntries& entries, TEntryIterator position)
            : FEntries(&entries), Position(position) {}
        bool Equals(const TVlistViewEntryIterator& other) const override;
        TVlistViewEntry* operator++() override;
        TVlistViewEntry* operator++(int) override;
        TVlistViewEntry* operator--() override;
        TVlistViewEntry* operator--(int) override;
        TVlistViewEntry* operator*() const override;

    private:
        TVlistViewEntry* At(TEntryIterator it) const;
        TEntries* FEntries;

    public:
        TEntryIterator Position;
    };

    // The document's entry list as the list display's data source.
    class TKelvoViewData : public TVlistViewData {
    public:
        explicit TKelvoViewData(TEntries* entries) : Entries(entries) {}
        int Count() const override { return Entries ? Entries->Count() : 0; }
        void Begin(TVlistViewEntryIteratorPtr& it) override;
        void End(TVlistViewEntryIteratorPtr& it) override;
        void IteratorAt(TVlistViewEntry* entry, TVlistViewEntryIteratorPtr& it) override;

        TEntries* Entries;
    };

    // The translations come from paragraphs (the program-wide store by default).
    explicit TFileTypeKelvo(const TMlparas& paragraphs = Mlparas());
    ~TFileTypeKelvo() override;

    void Clear() override;
    void DoRead(TFileAccess& access) override;
    void DoWrite(TFileAccess& access, bool fromWrite) override;
    bool IsEmpty() const override { return Entries.empty(); }
    std::uint32_t Category() const override { return 0; }
    std::string GetTypeName() const override { return "Kelvo device parameters"; }
    std::string GetReadExtensions() const override { return ".dat.kelvo"; }
    std::string GetWriteExtensions() const override { return GetReadExtensions(); }
    bool TryRead(TFileAccess& access, int accept) override;
    void Idle(void* sender, bool& done) override;

    // The entry shown in a row of the list, or null.
    TEntry* GetEntry(int row) const;
    // The entry of row, else the entry of the list's selected row (row is then
    // set to it); null for an empty document or when neither gives an entry.
    TEntry* GetSelectedEntry(int& row) const;
    // Replaces the list display by view (taken over; null gives a display
    // without control) and makes it show this document.
    void AttachListView(TPtr<TSortVListView> view);
    TSortVListView& List() const { return *ListView; }

    // Expands repeated groups, removes blank lines and adds separators;
    // status becomes negative on a structural error or a dialog beyond the
    // bounds, which empties the document; an exception (memory) gives -1.
    void PostProcess(int& status);
    // Re-expands the group whose count line entry is; nothing for other lines.
    void ExpandGroupOf(TEntry& entry);
    // Whether entry holds the count of a repeated group: a count line with a
    // value, or the line after a count line without one.
    bool HoldsGroupCount(const TEntry& entry);

    void SelectTranslation();
    const TMlpara* GetTranslationTable() const { return Translation.GetTranslationTable(); }
    void SetLanguage(const std::string& name);
    const std::string& Language() const { return Translation.Language(); }
    int TranslationIndex() const { return Translation.TranslationIndex(); }
    // Shows or hides the production-only lines; the translation is chosen again.
    void SetProductionMode(std::uint8_t on);

    // Binds the document's one session (null when it ends); a second
    // session for a bound document is refused with an exception.
    void BindLink(TKelvoLink* link);
    TKelvoLink* Link() const { return FLink; }
    bool IsOnline() const { return FLink && FLink->IsOnline(); }
    // A new refresh cycle: every line is due again, the session's pass starts
    // at the top.
    void StartRefreshCycle();
    // The rows follow the entries again (visibility, number, order).
    void RebuildDisplay();
    // The rows may point at entries about to go: the display shows nothing
    // until the next rebuild.
    void MarkRowsStale();

    // The COM port the last connection used, shared by all documents.
    static int LastComPort();
    static void SetLastComPort(int port);

    TEntries Entries;
    // A dialog beyond these is malformed (DialogTooLarge).
    TBounds Bounds;

private:
    TKelvoViewData ViewData{&Entries};
    TPtr<TSortVListView> ListView;
    TMlselection Translation;
    TKelvoLink* FLink = nullptr;

public:
    std::uint8_t ProductionFlag = 0;
    // The cycle the entries' RefreshStamp is compared with: a line whose
    // stamp is older is due to be read.
    std::int32_t RefreshCycle = 0;

    // The data held before going online: compared with the device's dialog,
    // converted when another device program wrote them, restored on Cancel.
    TEntries OldEntries;
    TFileInfo OldInfo;
    TEntries ConvertedEntries;

private:
    TMlcoverage Coverage();
    int ExpandAllGroups();
    // The count line entry is or whose count it holds; end() for none.
    TEntryIterator CountLineOf(const TEntry& entry);
    int ExpandGroup(TEntryIterator countLine, TEntryIterator& last);
    // The number of entries TidyEntries leaves.
    std::int64_t TidiedCount() const;
    void TidyEntries();
};

// The rows' text as the editor copies it: a header, then one line per row
// (all rows, or the selected ones) with the caption padded to its column and
// the value right-aligned in its own. Texts stay in the device's code page.
std::string CopyLinesText(const TFileTypeKelvo& document, bool allLines,
                          const char* lineEnd = "\r\n");

// Makes the Kelvo type known to the reader search (for ".dat" and ".kelvo").
void RegisterKelvoFileType();
// A new, empty Kelvo document.
TFileType* CreateKelvoDocument();

} // namespace kelvo
