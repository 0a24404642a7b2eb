#include "shell/gui/filesaveform.h"

#include "foundation/exception.h"
#include "foundation/filetype/fileaccess.h"
#include "foundation/prompt.h"
#include "foundation/stream.h"
#include "shell/gui/controlhook.h"
#include "shell/gui/cursor.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/idledispatch.h"
#include "shell/gui/mainform.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPointer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace kelvo {

namespace {

std::vector<TFilesaveForm*>& AllWindows() {
    static std::vector<TFilesaveForm*> windows;
    return windows;
}

QPointer<TFilesaveForm> lastActivated;

} // namespace

TFilesaveForm::TFilesaveForm(QWidget* owner) : QMdiSubWindow(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    if (AllWindows().empty())
        TIdleDispatch::Install();
    AllWindows().push_back(this);
    // Attached after the window exists, so the lock sees a close first.
    CloseLock.Attach(this);
}

TFilesaveForm::~TFilesaveForm() {
    auto& windows = AllWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    if (windows.empty())
        TIdleDispatch::Remove();
    CloseLock.Attach(nullptr);
    FDocument.Reset();
}

std::vector<TFilesaveForm*> TFilesaveForm::Windows() {
    return AllWindows();
}

TFilesaveForm* TFilesaveForm::LastActivated() {
    return lastActivated;
}

std::string TFilesaveForm::KindTitle(int kind) {
    switch (kind) {
    case KindOpen:
        return "Open File";
    case KindSave:
        return "Save File";
    case KindSaveAs:
        return "Save File As";
    case KindSaveCopyAs:
        return "Save Copy As";
    default:
        return {};
    }
}

std::string TFilesaveForm::GetTitlePrefix() const {
    return metaObject()->className();
}

std::uint32_t TFilesaveForm::GetAcceptedCategories() const {
    return 0xFFFFFFFFu;
}

void TFilesaveForm::DocumentChanged() {}

std::string TFilesaveForm::GetFilter() const {
    return {};
}

bool TFilesaveForm::AllowsCursorCommands() const {
    return false;
}

void TFilesaveForm::SetFileName(const std::string& name) {
    FFileName = name;
    setWindowTitle(QString::fromStdString(GetTitlePrefix() + " " + GetFileName()));
}

std::string TFilesaveForm::GetFileName() const {
    return FFileName.empty() ? "New" : FFileName;
}

void TFilesaveForm::LoadFromStream(TStream* stream, std::int64_t count) {
    TChangeCursorTemp cursor;
    TFileAccess access("Open File");
    access.Reader.Init(stream, GetFileName());
    access.Reader.Size = count;
    try {
        if (access.Reader.Open())
            TFileType::FindReader(access, FDocument, ~GetAcceptedCategories());
    } catch (const std::exception&) {
        // An unreadable file ends the attempt; its messages were shown already.
    }
    if (FDocument)
        FDocument->Info.SetModifiedFlag(false);
    DocumentChanged();
}

void TFilesaveForm::LoadFromFile(const std::string& name) {
    SetFileName(name);
    TFileStream stream(GetFileName(), TFileStream::OpenRead);
    if (!stream.IsOpen())
        throw EStreamError("Cannot open file \"" + GetFileName() + "\". " +
                           std::strerror(stream.Error()));
    LoadFromStream(&stream, stream.Size());
}

void TFilesaveForm::SaveToStream(TStream* stream, TFileType* type, int kind) {
    if (!type || type->IsEmpty())
        throw Exception("TFilesaveForm::SaveToStream: Nothing to save!");
    TChangeCursorTemp cursor;
    TFileAccess access(KindTitle(kind));
    access.Writer.Init(stream, type->GetFileName());
    if (kind == KindSave)
        access.Writer.ReplaceAnswer = TFileCounts::ReplaceWithoutAsking;
    try {
        type->Write(access);
    } catch (const std::exception&) {
        // The transfer was abandoned; the old file stays as it was.
    }
    const TFileCounts& writer = access.Writer;
    if (kind != KindSaveCopyAs) {
        if (writer.TotalBytes > 0 && writer.FileCount > 0 && writer.ErrorCount == 0 && FDocument) {
            FDocument->Info.SetModifiedFlag(false);
            SetFileName(FDocument->GetFileName());
        }
        DocumentChanged();
    }
    if (writer.TotalBytes > 0) {
        char text[160];
        std::snprintf(text, sizeof text, "%i file(s) and %lli bytes written!\n%i errors!",
                      writer.FileCount, static_cast<long long>(writer.TotalBytes),
                      writer.ErrorCount);
        Prompt().Ask(access.Caption, text, TPromptIcon::Information, TPromptButtons::Ok);
    } else if (writer.WriteErrorAnswer == 0 && writer.ReplaceAnswer != IdNo &&
               writer.ReplaceAnswer != IdCancel) {
        access.Writer.ShowWriteError();
    }
}

void TFilesaveForm::SaveToFile(const std::string& name, TFileType* type, int kind) {
    if (!type)
        type = FDocument.Get();
    if (!type)
        throw Exception("TFilesaveForm::SaveToStream: Nothing to save!");
    // A copy written by the document itself must not make the document take
    // the copy for its own file: its name, modified mark and file record stay,
    // so that the changes still go to the original with the next Save.
    std::optional<TFileInfo> keep;
    if (kind == KindSaveCopyAs && type == FDocument.Get())
        keep = type->Info;
    type->SetFileName(name.empty() ? FFileName : name);
    try {
        SaveToStream(nullptr, type, kind);
    } catch (...) {
        if (keep)
            type->Info = *keep;
        throw;
    }
    if (keep)
        type->Info = *keep;
}

void TFilesaveForm::Save(TFilesaveForm* window, TFileDialog* dialog) {
    if (!CanSave(window))
        throw EStreamError("Stream write error");
    TFileType& document = *window->FDocument;
    const int tag = dialog ? dialog->Tag : TagSave;
    if (tag == TagSave && document.CanWrite(document) &&
        (document.Info.Has(TFileInfo::OnDisk) || !dialog)) {
        window->SaveToFile({}, nullptr, KindSave);
        return;
    }
    if (!dialog)
        return;
    dialog->FileName = window->GetFileName();
    dialog->Filter = "All files (*.*)|*.*" + window->GetFilter();
    dialog->FilterIndex = 2;
    int kind = KindSaveCopyAs;
    if (tag == TagSave || tag == TagSaveAs) {
        dialog->FileName = AdjustExtension(&document, dialog->FileName);
        kind = KindSaveAs;
    }
    dialog->Title = KindTitle(kind);
    if (!dialog->Execute())
        return;
    const std::string chosen = dialog->FileName;
    if (tag == TagSaveAs && document.CanWriteName(chosen)) {
        window->SaveToFile(chosen, nullptr, KindSaveAs);
        return;
    }
    TPtr<TFileType> found;
    if (TFileType::FindWriter(document, found, chosen, document)) {
        window->SaveToFile(chosen, found.Get(), kind);
        return;
    }
    Prompt().Ask(window->windowTitle().toStdString(), "This file format can't be saved!",
                 TPromptIcon::Error, TPromptButtons::Ok);
}

bool TFilesaveForm::IsEmptyDocument() const {
    return !FDocument || FDocument->IsEmpty();
}

bool TFilesaveForm::IsNewDocument() const {
    return !IsEmptyDocument() && !FDocument->Info.Has(TFileInfo::OnDisk);
}

bool TFilesaveForm::IsModifiedDocument() const {
    return !IsEmptyDocument() && FDocument->Info.IsModified();
}

void TFilesaveForm::SetDocumentModified(bool modified) {
    if (FDocument)
        FDocument->Info.SetModifiedFlag(modified);
}

bool TFilesaveForm::HasPendingChanges(const TFilesaveForm* window) {
    return window && (window->IsModifiedDocument() || window->IsNewDocument());
}

bool TFilesaveForm::CanSave(const TFilesaveForm* window) {
    return window && !window->IsEmptyDocument();
}

void TFilesaveForm::SetStatusText(const std::string& text) {
    FHint = text;
    emit StatusTextChanged();
    if (ActiveDocumentWindow() == this)
        TStatusbarWndproc::Refresh();
}

TFilesaveForm* TFilesaveForm::FindDocumentWindow(QObject* control) {
    for (QObject* o = control; o; o = o->parent()) {
        if (auto* form = qobject_cast<TFilesaveForm*>(o))
            return form;
    }
    return nullptr;
}

bool TFilesaveForm::QueryClose() {
    if (!IsModifiedDocument())
        return true;
    return Prompt().Ask("Close File", "Cancel pending modifications?", TPromptIcon::Question,
                        TPromptButtons::OkCancel) == IdOk;
}

void TFilesaveForm::closeEvent(QCloseEvent* event) {
    if (!QueryClose()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        FClosed = true;
}

void TFilesaveForm::changeEvent(QEvent* event) {
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        lastActivated = this;
        emit StatusTextChanged();
    }
}

bool TFilesaveForm::event(QEvent* event) {
    if (event->type() == QEvent::Show)
        FClosed = false;
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::FocusIn) {
        lastActivated = this;
        emit StatusTextChanged();
    }
    return QMdiSubWindow::event(event);
}

std::string AdjustExtension(const TFileType* type, const std::string& name) {
    if (!type || type->CanReadName(name))
        return name;
    std::string adjusted = name.empty() ? "New" : name;
    const std::string extensions = type->GetReadExtensions();
    if (extensions.empty() || extensions[0] != '.')
        return adjusted;
    const auto next = extensions.find('.', 1);
    const std::string first = extensions.substr(0, next);
    const auto slash = adjusted.find_last_of('/');
    const auto dot = adjusted.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        adjusted.erase(dot);
    return adjusted + first;
}

} // namespace kelvo
