#pragma once
// The base of every document window: a sub-window of the main frame that owns
// one document and the name of its file. It loads and saves the document
// (Save, Save As, Save Copy As with the statistics of what was written), asks
// before changes are dropped on closing, refuses to close while a device
// operation holds its close lock, passes the application's idle time to its
// document and keeps a status text for the main window's status bar.
#include "foundation/filetype/filetype.h"
#include "foundation/utilcls.h"
#include "shell/gui/lockclose.h"

#include <QList>
#include <QMdiSubWindow>

class QMenu;

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

class TStream;
class TFileDialog;

class TFilesaveForm : public QMdiSubWindow {
    Q_OBJECT
public:
    // The kinds of file command; each is also the title of its messages.
    enum TKind : int { KindOpen = 1, KindSave = 2, KindSaveAs = 3, KindSaveCopyAs = 4 };
    // The tags of the save dialogs.
    enum TSaveTag : int { TagSave = 0, TagSaveAs = 1, TagSaveCopyAs = 2 };

    explicit TFilesaveForm(QWidget* owner = nullptr);
    ~TFilesaveForm() override;

    virtual std::string GetTitlePrefix() const;
    virtual std::uint32_t GetAcceptedCategories() const;
    virtual void DocumentChanged();
    // Reads the document from count bytes of stream; no stream makes a new
    // document where the window kind supports it.
    virtual void LoadFromStream(TStream* stream, std::int64_t count);
    virtual void SaveToStream(TStream* stream, TFileType* type, int kind);
    virtual void SetFileName(const std::string& name);
    virtual std::string GetFileName() const;
    virtual std::string GetFilter() const;
    virtual bool AllowsCursorCommands() const;
    // Menus that stand in the main window's menu bar in place of its Edit menu
    // while this window is active.
    virtual QList<QMenu*> MergedMenus() const { return {}; }
    // Commands of this window that stand in the main window's File menu,
    // after Save Copy As, while this window is active.
    virtual QList<QAction*> FileMenuActions() const { return {}; }

    // Opens name and loads it; raises EStreamError when the file cannot be opened.
    void LoadFromFile(const std::string& name);
    void SaveToFile(const std::string& name, TFileType* type, int kind);
    // Save (no dialog, or tag 0), Save As (tag 1), Save Copy As (tag 2).
    static void Save(TFilesaveForm* window, TFileDialog* dialog);

    bool IsEmptyDocument() const;
    bool IsNewDocument() const;
    bool IsModifiedDocument() const;
    void SetDocumentModified(bool modified);
    static bool HasPendingChanges(const TFilesaveForm* window);
    static bool CanSave(const TFilesaveForm* window);

    // The window's status text, shown in the main window's status bar while
    // the window is active.
    void SetStatusText(const std::string& text);
    const std::string& StatusText() const { return FHint; }

    // The nearest document window among control and its parents.
    static TFilesaveForm* FindDocumentWindow(QObject* control);
    // The document windows in creation order.
    static std::vector<TFilesaveForm*> Windows();
    static TFilesaveForm* LastActivated();
    static std::string KindTitle(int kind);

    TFileType* Document() const { return FDocument.Get(); }
    // Closed and about to go: its document takes no more idle work, as the
    // window may be deleted whenever the event loop runs.
    bool Closed() const { return FClosed; }
    const std::string& FileName() const { return FFileName; }
    TLockClose CloseLock;

signals:
    // The status text changed, or the window became active.
    void StatusTextChanged();

protected:
    // Asks "Cancel pending modifications?" for a modified document; false keeps
    // the window open.
    virtual bool QueryClose();
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

    TPtr<TFileType> FDocument;

private:
    std::string FFileName;
    std::string FHint;
    bool FClosed = false;
};

// Binds a document window to one document type: a load that produced any
// other type leaves the window without document.
template <class T> class TFiletypeForm : public TFilesaveForm {
public:
    using TFilesaveForm::TFilesaveForm;
    void LoadFromStream(TStream* stream, std::int64_t count) override {
        TFilesaveForm::LoadFromStream(stream, count);
        if (!dynamic_cast<T*>(FDocument.Get()))
            FDocument.Reset();
    }
    T* TypedDocument() const { return static_cast<T*>(FDocument.Get()); }
};

// Makes a name fit a document type: an unnamed document is "New", and a name
// the type does not read gets the type's first extension.
std::string AdjustExtension(const TFileType* type, const std::string& name);

} // namespace kelvo
