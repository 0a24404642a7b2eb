// Edit > Compare with File...: a data file against every line of the device,
// in a table window of the editor, and the writes of the rows chosen there.
#include "editor/compare_window.h"
#include "editor/editor_host.h"
#include "editor/klvform.h"
#include "foundation/filetype/fileaccess.h"
#include "foundation/prompt.h"
#include "foundation/stream.h"
#include "journal/journal_writes.h"
#include "online/kelvo_online.h"
#include "shell/gui/cursor.h"
#include "shell/gui/filedialog.h"

#include <QTreeView>

namespace kelvo {

namespace {

constexpr const char* CompareCaption = "Compare with File";

// Loads a data file as the editor window loads one; null when it leaves no
// dialog (the reader has shown its own messages then, if any).
TPtr<TFileTypeKelvo> LoadDataFile(const std::string& name) {
    TFileStream stream(name, TFileStream::OpenRead);
    if (!stream.IsOpen())
        return {};
    TPtr<TFileTypeKelvo> document(new TFileTypeKelvo);
    try {
        TFileAccess access;
        access.Reader.Init(&stream, name);
        access.Reader.Size = stream.Size();
        if (!access.Reader.Open())
            return {};
        document->Read(access);
    } catch (const std::exception&) {
        return {};
    }
    if (document->IsEmpty())
        return {};
    return document;
}

// Holds the window open while the device is talked to, and shows the hourglass.
class TExchangeScope {
public:
    TExchangeScope(TEditorHost& host, TKelvoOnline& online) : FHost(host), FOnline(online) {
        FHost.Lock();
        FHost.SetBusy(true);
    }
    ~TExchangeScope() {
        FHost.SetBusy(false);
        // A close asked for meanwhile closed the window: its timer stops too.
        if (FHost.Unlock())
            FOnline.StopTimer();
    }
    TExchangeScope(const TExchangeScope&) = delete;
    TExchangeScope& operator=(const TExchangeScope&) = delete;

private:
    TEditorHost& FHost;
    TKelvoOnline& FOnline;
};

} // namespace

bool TKlvForm::CanTalkToDevice() const {
    return FOnline && Kelvo() && Kelvo()->IsOnline() && CloseLock.LockCount == 0;
}

void TKlvForm::CompareWithFile() {
    if (!CanTalkToDevice() || !CompareDialog)
        return;
    CompareDialog->Title = CompareCaption;
    // The editor's own filter first, then every file.
    std::string filter = GetFilter();
    if (!filter.empty() && filter.front() == '|')
        filter.erase(0, 1);
    CompareDialog->Filter = filter + "|All files (*.*)|*.*";
    CompareDialog->FilterIndex = 1;
    if (!CompareDialog->Execute())
        return;
    const std::string name = CompareDialog->FileName;
    TPtr<TFileTypeKelvo> file;
    {
        TChangeCursorTemp cursor;
        file = LoadDataFile(name);
    }
    if (!file) {
        Prompt().Ask(CompareCaption, "Invalid File \"" + name + "\"!", TPromptIcon::Error,
                     TPromptButtons::Ok);
        return;
    }
    // The box may have let the device go offline meanwhile.
    if (!CanTalkToDevice())
        return;
    if (ReadWholeDevice() < 0) {
        Prompt().Ask(CompareCaption, "The device's values could not be read.", TPromptIcon::Error,
                     TPromptButtons::Ok);
        return;
    }
    if (!Kelvo())
        return;
    if (FCompareWindow)
        FCompareWindow->close();
    auto* window = new TCompareWindow(*this, name, std::move(file));
    FCompareWindow = window;
    window->Compare();
    window->show();
    window->raise();
    window->activateWindow();
}

int TKlvForm::ReadWholeDevice() {
    if (!CanTalkToDevice())
        return -1;
    TExchangeScope exchange(*FHost, *FOnline);
    // Every line is due again, not only those the refresh has not reached.
    Kelvo()->StartRefreshCycle();
    return FOnline->ReadAllLines();
}

std::vector<TRowWrite> TKlvForm::WriteCompareRows(const TComparison& comparison,
                                                  const std::vector<std::size_t>& chosen) {
    if (!CanTalkToDevice())
        return {};
    TExchangeScope exchange(*FHost, *FOnline);
    FWriteRefusal.clear();
    const auto ready = [this] {
        if (!SaveDeviceSnapshot("Write Checked")) {
            FWriteRefusal = "no snapshot of the device's values";
            return false;
        }
        if (!OpenWriteJournal(TJournalSource::Compare, "Write Checked")) {
            FWriteRefusal = "the change journal cannot be written";
            return false;
        }
        return true;
    };
    const auto record = [this](const TFileTypeKelvo::TEntry& before,
                               const TFileTypeKelvo::TEntry& written, const TFileTypeKelvo::TEntry&,
                               TRowWrite::TResult result) {
        return RecordWrite("Write Checked", &before, written, JournalResultOf(result));
    };
    return WriteRows(*FOnline, comparison, chosen, ready, record);
}

} // namespace kelvo
