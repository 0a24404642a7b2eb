// Loading a data file (or nothing, for a new document) into the window and
// saving it: each load makes a new document with its own online operation and
// list display; a save of the document's own file is what "Changed only"
// compares with from then on.
#include "editor/klvform.h"

#include "editor/editor_host.h"
#include "editor/value_history.h"
#include "foundation/filetype/fileaccess.h"
#include "foundation/gui/oem_text.h"
#include "foundation/gui/vlistview.h"
#include "online/kelvo_online.h"
#include "shell/gui/cursor.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QTreeView>

#include <cstring>

namespace kelvo {

namespace {

TComLineOpener& LineOpener() {
    static TComLineOpener opener;
    return opener;
}

} // namespace

void TKlvForm::SetLineOpener(TComLineOpener opener) {
    LineOpener() = std::move(opener);
}

void TKlvForm::AttachDocument(TFileTypeKelvo* document) {
    // The document's one link to its device lives as long as it does.
    FOnline = std::make_unique<TKelvoOnline>(*document, FHost.get(), FHost.get(), FHost.get());
    // Each document has a history of its own: a load starts with nothing to undo.
    FHistory = std::make_unique<TValueHistory>(*FOnline);
    FOnline->SetPendingWrites(FHistory.get());
    if (LineOpener())
        FOnline->Session().Stream().SetLineOpener(LineOpener());
    auto* view = new TVlistView;
    view->SetColumns({{"Key", 200, Qt::AlignLeft}, {"Value", 160, Qt::AlignRight}});
    view->SetTextDecoder(OemToQString);
    view->SetChangeHandler([this](int row) { KelvoListViewChange(row); });
    view->SetRowFilter([this](TSortedVlvEntries& rows) { FFilter.Apply(rows); });
    view->Bind(KelvoListView);
    FListView = view;
    document->AttachListView(TPtr<TSortVListView>(view));
    connect(KelvoListView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                KelvoListViewChange(current.isValid() ? current.row() : -1);
            });
    // Nothing goes into the device without a snapshot of what it held, nor
    // without the change journal recording it.
    FOnline->SetBeforeOldDataWrite([this] {
        return SaveDeviceSnapshot("Go Online") &&
               OpenWriteJournal(TJournalSource::OldData, "Go Online");
    });
    FOnline->SetOldDataWritten([this](const TFileTypeKelvo::TEntry* before,
                                      const TFileTypeKelvo::TEntry& written, bool accepted) {
        return RecordWrite("Go Online", before, written,
                           accepted ? TJournalResult::Written : TJournalResult::Refused);
    });
}

void TKlvForm::LoadFromStream(TStream* stream, std::int64_t count) {
    try {
        ClearAbout();
        TChangeCursorTemp cursor;
        // The old document goes with its online operation and its display.
        FOnline.reset();
        FHistory.reset();
        FListView = nullptr;
        auto* document = new TFileTypeKelvo;
        FDocument.Reset(document);
        document->SetFileName(AdjustExtension(document, GetFileName()));
        SetFileName(document->GetFileName());
        AttachDocument(document);
        // The new document takes over what the Options tab shows: the
        // production mode and the baud rate.
        if (CkbxProdmod && CkbxProdmod->isChecked())
            FOnline->SetProductionMode(1);
        FOnline->SetBaudRate(CheckedBaudRate());
        if (stream) {
            TFileAccess access;
            access.Reader.Init(stream, GetFileName());
            access.Reader.Size = count;
            if (access.Reader.Open())
                document->Read(access);
            FFileValues.Take(document->Entries);
        } else {
            FFileValues.Forget();
        }
        SetDocumentModified(false);
        DocumentChanged();
        SyncOptions();
        document->RebuildDisplay();
        if (!stream) {
            FOnline->GoOnline(TConnectTarget::LastPort, 0);
            NotePortProblem();
            FLanguageMark = 0;
            SyncOptions();
            DocumentChanged();
        }
    } catch (const std::exception&) {
        ClearAbout();
    }
    UpdateStatus();
    UpdateActions();
}

void TKlvForm::SaveToStream(TStream* stream, TFileType* type, int kind) {
    const TFileTypeKelvo* document = Kelvo();
    const TFileInfo before = document ? document->Info : TFileInfo();
    TFiletypeForm<TFileTypeKelvo>::SaveToStream(stream, type, kind);
    if (kind == KindSaveCopyAs || !document || document != Kelvo() || (type && type != document))
        return;
    // Only a write that went through describes the file anew (a new file
    // record: the safe write leaves a new file behind the name).
    const TFileInfo& after = document->Info;
    const bool written = after.Has(TFileInfo::OnDisk) && !after.Has(TFileInfo::Modified) &&
                         (after.Name != before.Name ||
                          std::memcmp(&after.Data, &before.Data, sizeof after.Data) != 0);
    if (!written)
        return;
    FFileValues.Take(document->Entries);
    if (FFilter.ChangedOnly())
        ApplyFilter();
}

} // namespace kelvo
