#include "model/kelvofile.h"

#include "foundation/exception.h"
#include "model/bounded_streams.h"
#include "model/dlglinevalue.h"

#include <atomic>

namespace kelvo {

namespace {

// Documents online from several threads at once may set it together.
std::atomic<int> LastCom{0};

} // namespace

int TFileTypeKelvo::LastComPort() {
    return LastCom;
}

void TFileTypeKelvo::SetLastComPort(int port) {
    LastCom = port;
}

TFileTypeKelvo::TFileTypeKelvo(const TMlparas& paragraphs)
    : ListView(new TSortVListView), Translation(paragraphs) {
    ListView->SetData(&ViewData);
    Clear();
}

TFileTypeKelvo::~TFileTypeKelvo() {
    // The display goes first: it points into the entries, and the window's
    // list control it reports to may already be gone, so clearing must not
    // reach it.
    ListView.Reset();
    Clear();
    Entries.Clear();
}

void TFileTypeKelvo::Clear() {
    if (FLink)
        FLink->EntriesCleared();
    MarkRowsStale();
    Entries.Clear();
    TFileType::Clear();
    RebuildDisplay();
}

void TFileTypeKelvo::BindLink(TKelvoLink* link) {
    if (link && FLink && FLink != link)
        throw Exception("TFileTypeKelvo::BindLink: the document has its session already");
    FLink = link;
}

void TFileTypeKelvo::DoRead(TFileAccess& access) {
    MarkRowsStale();
    Entries.Clear();
    int status = 0;
    TStream* source = access.Reader.GetStream();
    if (source) {
        try {
            // Only the bytes the access declares belong to the document.
            TBoundedReader in(*source, access.Reader.Size > 0 ? access.Reader.Size : -1);
            for (;;) {
                TEntry entry(this);
                if (entry.Read(in) < 0)
                    break;
                if (Entries.Count() >= Bounds.Entries) {
                    status = DialogTooLarge;
                    break;
                }
                Entries.push_back(entry);
            }
            in.Sync();
        } catch (const std::exception&) {
            status = ReadException;
        }
    }
    PostProcess(status);
}

void TFileTypeKelvo::DoWrite(TFileAccess& access, bool) {
    if (!access.OpenWrite())
        return;
    TStream* target = access.Writer.GetStream();
    if (target) {
        TBufferedWriter out(*target);
        for (const TEntry& entry : Entries)
            if (!entry.IsBlank())
                entry.Write(out);
        out.Flush();
    }
    access.Writer.Finish(0);
}

bool TFileTypeKelvo::TryRead(TFileAccess& access, int) {
    Read(access);
    return !IsEmpty();
}

void TFileTypeKelvo::Idle(void*, bool&) {
    if (FLink)
        FLink->Idle();
}

TFileTypeKelvo::TEntry* TFileTypeKelvo::GetEntry(int row) const {
    return static_cast<TEntry*>(ListView->GetItem(row));
}

TFileTypeKelvo::TEntry* TFileTypeKelvo::GetSelectedEntry(int& row) const {
    if (IsEmpty())
        return nullptr;
    if (TEntry* entry = GetEntry(row))
        return entry;
    const TVlistControl* control = ListView->BoundListControl();
    if (!control)
        return nullptr;
    const std::vector<int> selected = control->SelectedRows();
    if (selected.empty())
        return nullptr;
    TEntry* entry = GetEntry(selected.front());
    if (entry)
        row = selected.front();
    return entry;
}

void TFileTypeKelvo::AttachListView(TPtr<TSortVListView> view) {
    ListView.Reset();
    ListView = view ? std::move(view) : TPtr<TSortVListView>(new TSortVListView);
    ListView->SetData(&ViewData);
    RebuildDisplay();
}

void TFileTypeKelvo::MarkRowsStale() {
    if (ListView)
        ListView->SetRowsStale();
}

void TFileTypeKelvo::RebuildDisplay() {
    if (!ListView)
        return;
    ListView->SetRowsStale();
    ListView->Invalidate();
}

void TFileTypeKelvo::StartRefreshCycle() {
    ++RefreshCycle;
    if (FLink)
        FLink->RefreshCycleStarted();
}

TMlcoverage TFileTypeKelvo::Coverage() {
    // Only what the list shows has to be translated; the lookups leave their
    // indices in the texts, which is what the display reads later.
    return [this](const TMlpara& paragraph) {
        int misses = 0;
        for (TEntry& entry : Entries) {
            if (!entry.IsVisible() || entry.IsBlank())
                continue;
            if (entry.Caption.LookUp(&paragraph) < 0)
                ++misses;
            if (entry.Value->LookUpTranslations(&paragraph) < 0)
                ++misses;
        }
        return misses;
    };
}

void TFileTypeKelvo::SelectTranslation() {
    Translation.SelectTranslation(Coverage());
}

void TFileTypeKelvo::SetLanguage(const std::string& name) {
    Translation.SetLanguage(name, Coverage());
}

void TFileTypeKelvo::SetProductionMode(std::uint8_t on) {
    if (on == ProductionFlag)
        return;
    ProductionFlag = on;
    SelectTranslation();
    RebuildDisplay();
}

const TFileTypeCreator KelvoCreators[] = {CreateKelvoDocument, nullptr};

TFileType* CreateKelvoDocument() {
    return new TFileTypeKelvo;
}

void RegisterKelvoFileType() {
    SetFileTypeRegistry(KelvoCreators);
}

} // namespace kelvo
