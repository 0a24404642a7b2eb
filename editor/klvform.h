#pragma once
// The device editor window: one Kelvo parameter set with its Display, About,
// Options and Log tabs, the actions of its Edit and View menus (one per row of
// the table in editor_actions.h), and the Qt side of the document's online
// operation (the 110 ms timer, the close lock, the display it keeps current).
// Each action forwards to one document operation and then refreshes what the
// window shows.
#include "devicelink/comline.h"
#include "editor/compare_window.h"
#include "editor/editor_actions.h"
#include "editor/file_values.h"
#include "editor/line_filter.h"
#include "journal/journal_entry.h"
#include "model/kelvofile.h"
#include "online/connect_target.h"
#include "online/kelvo_compare.h"
#include "shell/gui/controlhook.h"
#include "shell/gui/filesaveform.h"

#include <QPointer>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QRadioButton;
class QTabBar;
class QTabWidget;
class QTreeView;

namespace kelvo {

class TExportAction;
class TFileDialog;
class TJournalWrites;
class TKelvoOnline;
class TMemoTab;
class TVlistView;
class TEditorHost;
class TValueHistory;

class TKlvForm : public TFiletypeForm<TFileTypeKelvo> {
    Q_OBJECT
public:
    static constexpr int HelpContext = 30;

    // The file dialogs' filter of the Kelvo data files, beginning with "|".
    static constexpr const char* FileFilter = "|Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo";

    explicit TKlvForm(QWidget* owner = nullptr);
    ~TKlvForm() override;

    std::string GetTitlePrefix() const override { return "Kelvo"; }
    std::uint32_t GetAcceptedCategories() const override { return 0x80000000u; }
    void DocumentChanged() override;
    void LoadFromStream(TStream* stream, std::int64_t count) override;
    // A save that wrote the document's own file makes it the file the
    // "Changed only" filter compares with.
    void SaveToStream(TStream* stream, TFileType* type, int kind) override;
    std::string GetFilter() const override { return FileFilter; }
    QList<QMenu*> MergedMenus() const override { return {FEditMenu, FViewMenu}; }
    QList<QAction*> FileMenuActions() const override;

    TFileTypeKelvo* Kelvo() const { return TypedDocument(); }
    // The online operation of the current document, or null without one.
    TKelvoOnline* Online() const { return FOnline.get(); }
    const TEditorActions& Actions() const { return FActions; }
    QMenu* EditMenu() const { return FEditMenu; }
    QMenu* ViewMenu() const { return FViewMenu; }
    // File > Export... of this window.
    TExportAction* Export() const { return FExport.get(); }

    void ClearAbout();
    void UpdateAboutOnline();
    void UpdateAboutDialog();
    // UpdateAboutDialog when the number of visible rows changed since.
    void UpdateAboutDialogIfChanged();
    void ShowLog(bool visible);
    bool LogVisible() const;
    // Brings the Options controls and the document's language in line with
    // the settings shared by all editor windows.
    void SyncOptions();
    // Runs the enable tests of every action now.
    void UpdateActions();
    // The status text of the focused row (or "No visible items").
    void UpdateStatus();

    // The operations the actions run.
    void CopyLines(TCopyLines lines);
    void FindNextError();
    // Goes online there (or offline), then shows what the document holds now.
    void GoOnline(TConnectTarget target);
    // The Tag of Program Device (2) or Reset Device (1).
    void RequestDeviceCommand(int tag);
    void EditValue();
    // Edit > Undo and Redo: the last change of a value, online in the device.
    void Undo();
    void Redo();
    // The undo history of the current document, or null without one.
    TValueHistory* History() const { return FHistory.get(); }
    void UpdateLog();
    // Shows the rows the filter field and "Changed only" let through.
    void ApplyFilter();
    // Brings the filter field into view with its text selected (Ctrl+F).
    void FindInList();
    const TLineFilter& Filter() const { return FFilter; }
    const TFileValues& FileValues() const { return FFileValues; }

    // Edit > Compare with File...: picks a data file, reads every line of the
    // device and shows the differences in a table window of this window.
    void CompareWithFile();
    // Online, and no device exchange running: the device can be talked to now.
    bool CanTalkToDevice() const;
    // Reads every line of the device (each shown instance of a repeated
    // group included) under the close lock; 0 or a negative code.
    int ReadWholeDevice();
    // Writes chosen rows of a comparison into the device under the close
    // lock, a snapshot of the device's values first.
    std::vector<TRowWrite> WriteCompareRows(const TComparison& comparison,
                                            const std::vector<std::size_t>& chosen);
    // Reads every line and saves the device's values as a snapshot; the
    // caller holds the close lock. On failure a box (caption) says why and
    // nothing may be written.
    bool SaveDeviceSnapshot(const std::string& caption);
    // The snapshot saved last by this window, or empty.
    const std::string& LastSnapshot() const { return FLastSnapshot; }
    // Why the last WriteCompareRows wrote nothing at all (no snapshot, or a
    // change journal that cannot be written), or empty.
    const std::string& WriteRefusal() const { return FWriteRefusal; }
    TCompareWindow* CompareWindow() const { return FCompareWindow; }

    // The open dialog of Compare with File; tests replace it.
    std::unique_ptr<TFileDialog> CompareDialog;

    // How the documents of new windows reach their device; by default the
    // serial ports. Tests and the picture tool put the virtual device here.
    static void SetLineOpener(TComLineOpener opener);

    // Runs op for every editor window, from the last to the first.
    template <class F> static void ForEachEditor(F op) {
        const auto windows = Windows();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            if (auto* editor = qobject_cast<TKlvForm*>(*it))
                op(*editor);
        }
    }

    // The controls of the window, named as the window's designer names them:
    // what the tests, the picture tool and the window's host look at and drive.
    struct TControls {
        QTabWidget* TabbedPages;
        QWidget* TabDisplay;
        QTreeView* KelvoListView;
        QWidget* TabAbout;
        QPlainTextEdit* MemoAbout;
        QWidget* TabOptions;
        QWidget* TabLog;
        QPlainTextEdit* RichEditLog;
        QCheckBox* CkbxAutoConnect;
        QCheckBox* CkbxSpecialOpt;
        QCheckBox* CkbxProdmod;
        QRadioButton* Rbtn1152;
        QRadioButton* Rbtn576;
        QRadioButton* Rbtn192;
        QComboBox* CmbxLanguage;
        QLabel* LabelLanguage;
        QLineEdit* EditFind;
        QCheckBox* CkbxChangedOnly;
        QLabel* LabelNoMatch;
    };
    TControls Controls() const;
    // The number of visible rows last written into the About tab; -1 while it
    // shows "Empty".
    int LastVisibleCount() const { return lastVisibleCount; }

private:
    void BuildActions();
    // The state the enabling rules of the actions look at.
    TActionState ActionState() const;
    void BuildPages();
    void BuildDisplayTab();
    void BuildAboutTab();
    void BuildOptionsTab();
    void BuildLogTab();
    // The Display tab's page: the filter bar above the list.
    QWidget* BuildFilteredPage(QWidget* list);
    bool FilterFieldKey(QEvent* event);
    void UpdateNoMatch();
    // "No visible items", or why the filter leaves no line.
    std::string EmptyListText() const;
    void BuildMenus();
    void AttachDocument(TFileTypeKelvo* document);
    void ReplaceAboutLine(int fromEnd, const std::string& line);
    bool ForwardTabStripKey(QEvent* event);
    // Moves the focus from the tab strip into the current page; the control
    // that has it then, or null.
    QWidget* EnterCurrentPage();
    void KelvoListViewChange(int row);
    void NotePortProblem();
    // A go-online that put the device's lines in place of the document's
    // leaves nothing to undo.
    void ForgetHistoryIfReplaced();
    std::string WithPortProblem(const std::string& status) const;
    // "COM3 is /dev/ttyUSB0: " and the reason.
    std::string PortProblem(const std::string& reason) const;

    void CkbxAutoConnectClick();
    void CkbxSpecialOptClick();
    void CkbxProdmodClick();
    void RbtnBaudrateClick(int baud);
    // The rate of the checked baud-rate button.
    int CheckedBaudRate() const;
    void CmbxLanguageChange();

    // Components, named as the window's designer names them.
    QTabWidget* TabbedPages = nullptr;
    QWidget* TabDisplay = nullptr;
    QTreeView* KelvoListView = nullptr;
    QWidget* TabAbout = nullptr;
    QPlainTextEdit* MemoAbout = nullptr;
    QWidget* TabOptions = nullptr;
    QWidget* TabLog = nullptr;
    QPlainTextEdit* RichEditLog = nullptr;
    QCheckBox* CkbxAutoConnect = nullptr;
    QCheckBox* CkbxSpecialOpt = nullptr;
    QGroupBox* GrpBoxSpecial = nullptr;
    QCheckBox* CkbxProdmod = nullptr;
    QRadioButton* Rbtn1152 = nullptr;
    QRadioButton* Rbtn576 = nullptr;
    QRadioButton* Rbtn192 = nullptr;
    QGroupBox* GpbxLanguage = nullptr;
    QComboBox* CmbxLanguage = nullptr;
    QLabel* LabelLanguage = nullptr;
    // The filter above the list: the text field, "Changed only" and the text
    // over the list when no line passes.
    QLineEdit* EditFind = nullptr;
    QCheckBox* CkbxChangedOnly = nullptr;
    QLabel* LabelNoMatch = nullptr;
    // The number of visible rows last written into the About tab; -1 while it
    // shows "Empty".
    int lastVisibleCount = -1;

    TEditorActions FActions;
    QMenu* FEditMenu = nullptr;
    QMenu* FViewMenu = nullptr;
    TVlistView* FListView = nullptr; // owned by the document's display
    std::unique_ptr<TExportAction> FExport;
    std::unique_ptr<TEditorHost> FHost;
    std::unique_ptr<TKelvoOnline> FOnline;
    // FOnline reports to it: the window lets FOnline go first.
    std::unique_ptr<TValueHistory> FHistory;
    std::unique_ptr<TMemoTab> FMemoTab;
    std::unique_ptr<TControlWndproc<QTabBar>> FTabHook;
    std::unique_ptr<TControlWndprocImp> FFindKeyHook;
    std::unique_ptr<TControlWndprocImp> FListResizeHook;
    TLineFilter FFilter;
    TFileValues FFileValues;
    // Marks of the Options controls: brought in line with the shared settings.
    int FAutoConnectMark = 0;
    int FSpecialOptMark = 0;
    int FLanguageMark = 0;
    // Why the last go-online could not open its port; shown with the status.
    std::string FPortProblem;
    // Where the last snapshot went; shown with the status until the next row change.
    std::string FLastSnapshot;
    std::string FSnapshotNote;
    int FSnapshotNoteRow = -1;
    QPointer<TCompareWindow> FCompareWindow;

    // The change journal of the write running now (the old data, Write
    // Checked): opened before the first write, each line recorded after its
    // write. False: a box (caption) said why, nothing more may be written.
    bool OpenWriteJournal(TJournalSource source, const std::string& caption);
    bool RecordWrite(const std::string& caption, const TFileTypeKelvo::TEntry* before,
                     const TFileTypeKelvo::TEntry& written, TJournalResult result);
    std::unique_ptr<TJournalWrites> FWriteJournal;
    std::string FWriteRefusal;
};

} // namespace kelvo
