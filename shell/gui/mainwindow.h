#pragma once
// The program's frame window: the document windows as sub-windows of its
// client area, the menu bar with File, Edit, Scroll, Window and Help, a
// dockable toolbar and a status bar that shows the active document window's
// status text. It opens files through the registered window kinds and passes
// save, close, arrangement and scroll commands to the active document window.
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace kelvo {

class TFileDialog;
class TFileDrop;
class TSharedKeys;
class TFilesaveForm;
class TStatusbarWndproc;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 30;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Opens one file in a new document window; the dialog, when given, tells
    // by its chosen file type which kind of window takes it. False when the
    // file was not opened (the user was told why).
    bool OpenFile(const std::string& name, const TFileDialog* dialog = nullptr);
    // The start-up step: the window kinds' one-time work, then the files of
    // the command line. Runs once, after the window was first shown.
    void StartUp();
    // Runs the enable tests of every action now.
    void UpdateActions();
    // A command of the program that stays in the File menu whatever window is
    // active (after the active window's own File commands).
    void AddFileCommand(QAction* action);

    QMdiArea* Area() const { return FArea; }
    QToolBar* ToolBar() const { return FToolBar; }
    QMenu* FileMenu() const { return FFileMenu; }
    QMenu* EditMenu() const { return FEditMenu; }
    QMenu* WindowMenu() const { return FWindowMenu; }
    TFilesaveForm* ActiveChild() const;
    std::vector<QMdiSubWindow*> Children() const;

    // Window arrangements.
    void TileHorizontally();
    void TileVertically();
    void ArrangeAll();
    void RestoreAll();
    // A scroll command (Tags 0 to 11) to the active control of the active child.
    void Scroll(int tag);

    // Where a toolbar dropped at point (client coordinates) docks: 0 left,
    // 1 right, 2 top, 3 bottom, or -1 (float) when it lies on an edge.
    static int DockSide(const QPoint& point, const QRect& client);

    // Dialogs the tests replace: the open dialog and the save dialog.
    std::unique_ptr<TFileDialog> OpenDialog;
    std::unique_ptr<TFileDialog> SaveDialog;

    QAction* ActionFileNew = nullptr;
    QAction* ActionFileOpen = nullptr;
    QAction* ActionFileSave = nullptr;
    QAction* ActionFileSaveAs = nullptr;
    QAction* ActionFileCopyAs = nullptr;
    QAction* ActionFileClose = nullptr;
    QAction* ActionFileCloseAll = nullptr;
    QAction* ActionFileExit = nullptr;
    QAction* ActionClearRecentFiles = nullptr;
    QAction* ActionEditCut = nullptr;
    QAction* ActionEditCopy = nullptr;
    QAction* ActionEditPaste = nullptr;
    QAction* ActionWindowCascade = nullptr;
    QAction* ActionWindowTileHorizontal = nullptr;
    QAction* ActionWindowTileVertical = nullptr;
    QAction* ActionWindowMinimizeAll = nullptr;
    QAction* ActionWindowArrangeAll = nullptr;
    QAction* ActionWindowRestoreAll = nullptr;
    QAction* ActionWindowNext = nullptr;
    QAction* ActionWindowPrev = nullptr;
    QAction* ActionWindowToolbar = nullptr;
    QAction* ActionHelpContents = nullptr;
    QAction* ActionHelpOnHelp = nullptr;
    QAction* ActionHelpAbout = nullptr;
    // Scroll Up, Left, Down, Right, Page Up, Page Left, Page Down, Page Right,
    // Top, Begin, Bottom, End: the index is the Tag.
    std::array<QAction*, 12> ActionScroll{};

signals:
    // A file was opened, could not be opened, or the Open dialog chose a
    // directory: the history lists follow these.
    void FileOpened(const std::string& name);
    void FileFailed(const std::string& name);
    void DirectoryChosen(const std::string& directory);
    // The start-up step begins: the window is shown, and nothing of the
    // start-up has run yet.
    void StartingUp();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void SubWindowActivated(QMdiSubWindow* window);
    void MergeMenus(TFilesaveForm* form);
    void ActionFileNewExecute();
    void ActionFileOpenExecute();
    void SaveCommand(int tag);
    void ActionFileCloseAllExecute();
    void ActionHelpAboutExecute();
    void ShowHelp(const std::string& page);
    void ToolbarDragEnded();
    void CreateHistory();

    QMdiArea* FArea = nullptr;
    QToolBar* FToolBar = nullptr;
    QMenu* FFileMenu = nullptr;
    QMenu* FEditMenu = nullptr;
    QMenu* FScrollMenu = nullptr;
    QMenu* FWindowMenu = nullptr;
    QMenu* FHelpMenu = nullptr;
    QAction* FWindowListSeparator = nullptr;
    // The entries of the active window's menus in the bar; a menu may go
    // with its window before the bar hears of it.
    QList<QPointer<QAction>> FMergedMenuActions;
    QList<QMetaObject::Connection> FMergedMenuWatch;
    // The active window's File commands: they go when the window goes.
    QList<QPointer<QAction>> FMergedFileActions;
    QList<QAction*> FProgramFileCommands;
    // Where the active window's File commands and the program's own go.
    QAction* FFileCommandsEnd = nullptr;
    std::unique_ptr<TStatusbarWndproc> FStatusHook;
    std::unique_ptr<TFileDrop> FFileDrop;
    std::unique_ptr<TSharedKeys> FSharedKeys;
    bool FStarted = false;
};

} // namespace kelvo
