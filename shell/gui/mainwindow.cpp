#include "shell/gui/mainwindow.h"

#include "foundation/prompt.h"
#include "shell/gui/aboutbox.h"
#include "shell/gui/controlhook.h"
#include "shell/gui/edit_commands.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/filedrop.h"
#include "shell/gui/filesaveform.h"
#include "shell/gui/helpwindow.h"
#include "shell/gui/inihlst.h"
#include "shell/gui/lockclose.h"
#include "shell/gui/mainform.h"
#include "shell/gui/registerform.h"
#include "shell/gui/shared_keys.h"
#include "shell/gui/toolbar_icons.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace kelvo {

namespace {

QAction* NewAction(QObject* owner, const QString& caption, const QString& hint,
                   const QKeySequence& shortcut = {}) {
    auto* action = new QAction(caption, owner);
    action->setStatusTip(hint);
    action->setToolTip(QString(caption).remove('&'));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QApplication::applicationDisplayName().isEmpty()
                       ? QStringLiteral("KelvoW32")
                       : QApplication::applicationDisplayName());
    setProperty("helpContext", HelpContext);
    FArea = new QMdiArea;
    FArea->setBackground(palette().brush(QPalette::Dark));
    FArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(FArea);
    SetMainForm(this, FArea);
    FStatusHook = std::make_unique<TStatusbarWndproc>(statusBar());
    CreateActions();
    CreateMenus();
    CreateToolBar();
    connect(FArea, &QMdiArea::subWindowActivated, this, &TMainForm::SubWindowActivated);

    auto open = std::make_unique<TQtFileDialog>(TQtFileDialog::Open, this);
    open->MultiSelect = true;
    open->Filter = AllFilters();
    open->FilterIndex = 2;
    OpenDialog = std::move(open);
    SaveDialog = std::make_unique<TQtFileDialog>(TQtFileDialog::Save, this);
    CreateHistory();
    // Files dragged onto the window from a file manager open in order.
    FFileDrop =
        std::make_unique<TFileDrop>(this, [this](int, const std::string& name) { OpenFile(name); });

    TLockClose::Global().Attach(this);
    FSharedKeys = std::make_unique<TSharedKeys>(this);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TMainForm::UpdateActions);
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        // Logging out asks every document window as closing the program does.
        if (manager.allowsInteraction()) {
            if (!close())
                manager.cancel();
            manager.release();
        }
    });
    resize(800, 600);
}

TMainForm::~TMainForm() {
    // The area outlives this part of the window: nothing may reach it from there.
    FArea->disconnect(this);
    for (const QMetaObject::Connection& watch : FMergedMenuWatch)
        disconnect(watch);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->disconnect(this);
    TLockClose::Global().Attach(nullptr);
    FSharedKeys.reset();
    FFileDrop.reset();
    IniHlst().Save();
    if (TIniHlstEntry* recent = IniHlst().At(HlstRecent))
        recent->Attach(static_cast<QMenu*>(nullptr), {});
    FStatusHook.reset();
    SetMainForm(nullptr, nullptr);
}

void TMainForm::CreateActions() {
    ActionFileNew = NewAction(this, "&New", "Create a new file", QKeySequence("Ctrl+N"));
    ActionFileOpen = NewAction(this, "&Open", "Open a file", QKeySequence("Ctrl+O"));
    ActionFileSave =
        NewAction(this, "&Save", "Save modifications to the current file", QKeySequence("Ctrl+S"));
    ActionFileSaveAs = NewAction(this, "Save &As...", "Save the current file with a changed name",
                                 QKeySequence("Ctrl+Shift+A"));
    ActionFileCopyAs = NewAction(this, "Save Cop&y As...",
                                 "Save a copy of the current file under a different name",
                                 QKeySequence("Ctrl+Shift+Y"));
    ActionFileClose = NewAction(this, "&Close", "Close the current file", QKeySequence("Ctrl+F4"));
    ActionFileCloseAll = NewAction(this, "Close A&ll", "Close all files");
    ActionFileExit = NewAction(this, "E&xit", "Exit this application", QKeySequence("Alt+F4"));
    ActionClearRecentFiles =
        NewAction(this, "&Clear Recent Files", "Clear the recent file menu below");
    ActionEditCut = NewAction(this, "Cu&t", "Cut the selection and put it on the clipboard",
                              QKeySequence("Ctrl+X"));
    ActionEditCopy = NewAction(this, "&Copy", "Copy the selection and put it on the clipboard",
                               QKeySequence("Ctrl+C"));
    ActionEditPaste =
        NewAction(this, "&Paste", "Insert clipboard contents", QKeySequence("Ctrl+V"));
    ActionWindowCascade =
        NewAction(this, "&Cascade", "Cascade the windows overlapping", QKeySequence("Shift+F4"));
    ActionWindowTileHorizontal = NewAction(
        this, "Tile &Horizontally", "Tile the windows horizontally", QKeySequence("Shift+F5"));
    ActionWindowTileVertical = NewAction(this, "Tile &Vertically", "Tile the windows vertically",
                                         QKeySequence("Ctrl+Shift+F5"));
    ActionWindowMinimizeAll = NewAction(this, "&Minimize All", "Minimize all windows");
    ActionWindowArrangeAll = NewAction(this, "&Arrange All", "Arrange all minimized windows");
    ActionWindowRestoreAll =
        NewAction(this, "&Restore All", "Restore all minimized and maximized windows");
    ActionWindowNext =
        NewAction(this, "&Next", "Select the next window (Ctrl+Tab)", QKeySequence("Ctrl+F6"));
    ActionWindowPrev = NewAction(this, "&Previous", "Select the previous window (Shift+Ctrl+Tab)",
                                 QKeySequence("Ctrl+Shift+F6"));
    ActionWindowToolbar = NewAction(this, "Toolbar", "Switch toolbar on or off");
    ActionWindowToolbar->setCheckable(true);
    ActionWindowToolbar->setChecked(true);
    ActionHelpContents = NewAction(this, "&Contents", "Show contents of help");
    ActionHelpOnHelp = NewAction(this, "Help &On Help", "Show how to use help");
    ActionHelpAbout =
        NewAction(this, "&About...", "Display program information, version number, and copyright");

    struct TScrollAction {
        const char* Caption;
        const char* Hint;
        const char* Keys;
    };
    static const TScrollAction scroll[12] = {
        {"Scroll Up", "Scroll a line up", "Alt+Up"},
        {"Scroll Left", "Scroll a column left", "Alt+Left"},
        {"Scroll Down", "Scroll a line down", "Alt+Down"},
        {"Scroll Right", "Scroll a column right", "Alt+Right"},
        {"Scroll Page Up", "Scroll a page up", "Ctrl+Alt+Up"},
        {"Scroll Page Left", "Scroll a page left", "Ctrl+Alt+Left"},
        {"Scroll Page Down", "Scroll a page down", "Ctrl+Alt+Down"},
        {"Scroll Page Right", "Scroll a page right", "Ctrl+Alt+Right"},
        {"Scroll Top", "Scroll to the top", "Shift+Alt+Up"},
        {"Scroll Begin", "Scroll to the left edge", "Shift+Alt+Left"},
        {"Scroll Bottom", "Scroll to the bottom", "Shift+Alt+Down"},
        {"Scroll End", "Scroll to the right edge", "Shift+Alt+Right"},
    };
    for (int tag = 0; tag < 12; ++tag) {
        QAction* action =
            NewAction(this, scroll[tag].Caption, scroll[tag].Hint, QKeySequence(scroll[tag].Keys));
        action->setData(tag);
        action->setProperty("category", "Scroll");
        connect(action, &QAction::triggered, this, [this, tag] { Scroll(tag); });
        ActionScroll[std::size_t(tag)] = action;
    }

    connect(ActionFileNew, &QAction::triggered, this, &TMainForm::ActionFileNewExecute);
    connect(ActionFileOpen, &QAction::triggered, this, &TMainForm::ActionFileOpenExecute);
    connect(ActionFileSave, &QAction::triggered, this, [this] { SaveCommand(0); });
    connect(ActionFileSaveAs, &QAction::triggered, this, [this] { SaveCommand(1); });
    connect(ActionFileCopyAs, &QAction::triggered, this, [this] { SaveCommand(2); });
    connect(ActionFileClose, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* active = FArea->activeSubWindow())
            active->close();
    });
    connect(ActionFileCloseAll, &QAction::triggered, this, &TMainForm::ActionFileCloseAllExecute);
    connect(ActionFileExit, &QAction::triggered, this, &QWidget::close);
    connect(ActionEditCut, &QAction::triggered, this, [] { SendEditCommand(EditCut); });
    connect(ActionEditCopy, &QAction::triggered, this, [] { SendEditCommand(EditCopy); });
    connect(ActionEditPaste, &QAction::triggered, this, [] { SendEditCommand(EditPaste); });
    connect(ActionWindowCascade, &QAction::triggered, FArea, &QMdiArea::cascadeSubWindows);
    connect(ActionWindowTileHorizontal, &QAction::triggered, this, &TMainForm::TileHorizontally);
    connect(ActionWindowTileVertical, &QAction::triggered, this, &TMainForm::TileVertically);
    connect(ActionWindowMinimizeAll, &QAction::triggered, this, [this] {
        for (QMdiSubWindow* w : Children())
            w->showMinimized();
    });
    connect(ActionWindowArrangeAll, &QAction::triggered, this, &TMainForm::ArrangeAll);
    connect(ActionWindowRestoreAll, &QAction::triggered, this, &TMainForm::RestoreAll);
    connect(ActionWindowNext, &QAction::triggered, FArea, &QMdiArea::activateNextSubWindow);
    connect(ActionWindowPrev, &QAction::triggered, FArea, &QMdiArea::activatePreviousSubWindow);
    connect(ActionWindowToolbar, &QAction::triggered, this,
            [this](bool on) { FToolBar->setVisible(on); });
    connect(ActionHelpContents, &QAction::triggered, this, [this] { ShowHelp(HelpContentsPage); });
    connect(ActionHelpOnHelp, &QAction::triggered, this, [this] { ShowHelp(HelpOnHelpPage); });
    connect(ActionHelpAbout, &QAction::triggered, this, &TMainForm::ActionHelpAboutExecute);

    // F1 shows the page of the window the user works in.
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::ApplicationShortcut);
    connect(help, &QAction::triggered, this, [this] {
        const QWidget* source = ActiveChild();
        if (!source)
            source = this;
        ShowHelp(HelpPageForContext(source->property("helpContext").toInt(),
                                    source->metaObject()->className()));
    });
    addAction(help);
}

void TMainForm::CreateMenus() {
    QMenuBar* bar = menuBar();
    FFileMenu = bar->addMenu("&File");
    FFileMenu->menuAction()->setStatusTip("File related commands");
    FFileMenu->addAction(ActionFileNew);
    FFileMenu->addAction(ActionFileOpen);
    FFileMenu->addSeparator();
    FFileMenu->addAction(ActionFileSave);
    FFileMenu->addAction(ActionFileSaveAs);
    FFileMenu->addAction(ActionFileCopyAs);
    FFileCommandsEnd = FFileMenu->addSeparator();
    FFileMenu->addAction(ActionFileClose);
    FFileMenu->addAction(ActionFileCloseAll);
    FFileMenu->addSeparator();
    FFileMenu->addAction(ActionFileExit);
    FFileMenu->addSeparator();
    FFileMenu->addAction(ActionClearRecentFiles);

    FEditMenu = bar->addMenu("&Edit");
    FEditMenu->menuAction()->setStatusTip("Edit commands");
    FEditMenu->addAction(ActionEditCut);
    FEditMenu->addAction(ActionEditCopy);
    FEditMenu->addAction(ActionEditPaste);

    FScrollMenu = bar->addMenu("&Scroll");
    FScrollMenu->menuAction()->setStatusTip("Scroll bar commands");
    const int order[] = {0, 2, 1, 3, -1, 4, 6, 5, 7, -1, 8, 10, 9, 11};
    for (int tag : order) {
        if (tag < 0)
            FScrollMenu->addSeparator();
        else
            FScrollMenu->addAction(ActionScroll[std::size_t(tag)]);
    }

    FWindowMenu = bar->addMenu("&Window");
    FWindowMenu->menuAction()->setStatusTip("Window related commands");
    FWindowMenu->addAction(ActionWindowCascade);
    FWindowMenu->addAction(ActionWindowTileHorizontal);
    FWindowMenu->addAction(ActionWindowTileVertical);
    FWindowMenu->addAction(ActionWindowMinimizeAll);
    FWindowMenu->addAction(ActionWindowArrangeAll);
    FWindowMenu->addAction(ActionWindowRestoreAll);
    FWindowMenu->addSeparator();
    FWindowMenu->addAction(ActionWindowNext);
    FWindowMenu->addAction(ActionWindowPrev);
    FWindowMenu->addSeparator();
    FWindowMenu->addAction(ActionWindowToolbar);
    FWindowListSeparator = FWindowMenu->addSeparator();
    connect(FWindowMenu, &QMenu::aboutToShow, this, [this] {
        // The window list: one numbered entry per child, the active one checked.
        const QList<QAction*> all = FWindowMenu->actions();
        for (qsizetype i = all.indexOf(FWindowListSeparator) + 1; i < all.size(); ++i)
            FWindowMenu->removeAction(all[i]), all[i]->deleteLater();
        const auto children = Children();
        FWindowListSeparator->setVisible(!children.empty());
        int n = 0;
        for (QMdiSubWindow* child : children) {
            QAction* entry =
                FWindowMenu->addAction(QString("&%1 %2").arg(++n).arg(child->windowTitle()));
            entry->setCheckable(true);
            entry->setChecked(child == FArea->activeSubWindow());
            connect(entry, &QAction::triggered, this,
                    [this, child = QPointer<QMdiSubWindow>(child)] {
                        if (child)
                            FArea->setActiveSubWindow(child);
                    });
        }
    });

    FHelpMenu = bar->addMenu("&Help");
    FHelpMenu->menuAction()->setStatusTip("Help topics");
    FHelpMenu->addAction(ActionHelpContents);
    FHelpMenu->addAction(ActionHelpOnHelp);
    FHelpMenu->addSeparator();
    FHelpMenu->addAction(ActionHelpAbout);

    for (QMenu* menu : {FFileMenu, FEditMenu, FScrollMenu, FWindowMenu, FHelpMenu})
        connect(menu, &QMenu::aboutToShow, this, &TMainForm::UpdateActions);
}

void TMainForm::CreateHistory() {
    TIniHlst& lists = IniHlst();
    if (lists.ListCount() == 0) {
        CreateMainWindowLists(lists);
        lists.Load();
    }
    lists.At(HlstRecent)->Attach(FFileMenu, [this](QAction* entry) {
        OpenFile(TIniHlstEntry::EntryText(entry));
    });
    OpenDialog->InitialDir = lists.At(HlstOpenDir)->Entry(0);
    connect(this, &TMainForm::FileOpened, this, [this](const std::string& name) {
        TIniHlst& l = IniHlst();
        l.At(HlstRecent)->Add(name);
        const std::string dir =
            QFileInfo(QString::fromStdString(name)).absolutePath().toStdString();
        OpenDialog->InitialDir = dir;
        l.At(HlstOpenDir)->Add(dir);
    });
    connect(this, &TMainForm::FileFailed, this,
            [](const std::string& name) { IniHlst().At(HlstRecent)->Remove(name); });
    connect(this, &TMainForm::DirectoryChosen, this,
            [](const std::string& dir) { IniHlst().At(HlstOpenDir)->Add(dir); });
    connect(ActionClearRecentFiles, &QAction::triggered, this,
            [] { IniHlst().At(HlstRecent)->Clear(); });
}

void TMainForm::CreateToolBar() {
    FToolBar = new QToolBar("Toolbar", this);
    FToolBar->setObjectName("ToolBar");
    FToolBar->setWindowTitle(windowTitle());
    FToolBar->setFloatable(true);
    FToolBar->setMovable(true);
    ActionFileNew->setIcon(ToolbarIcon(IconNew));
    ActionFileOpen->setIcon(ToolbarIcon(IconOpen));
    ActionFileSave->setIcon(ToolbarIcon(IconSave));
    ActionEditCut->setIcon(ToolbarIcon(IconCut));
    ActionEditCopy->setIcon(ToolbarIcon(IconCopy));
    ActionEditPaste->setIcon(ToolbarIcon(IconPaste));
    ActionWindowCascade->setIcon(ToolbarIcon(IconCascade));
    ActionWindowTileHorizontal->setIcon(ToolbarIcon(IconTileHorizontal));
    ActionWindowTileVertical->setIcon(ToolbarIcon(IconTileVertical));
    FToolBar->addAction(ActionFileNew);
    FToolBar->addAction(ActionFileOpen);
    FToolBar->addAction(ActionFileSave);
    FToolBar->addSeparator();
    FToolBar->addAction(ActionEditCut);
    FToolBar->addAction(ActionEditCopy);
    FToolBar->addAction(ActionEditPaste);
    FToolBar->addSeparator();
    FToolBar->addAction(ActionWindowCascade);
    FToolBar->addAction(ActionWindowTileHorizontal);
    FToolBar->addAction(ActionWindowTileVertical);
    addToolBar(Qt::TopToolBarArea, FToolBar);
    FToolBar->installEventFilter(this);
    connect(FToolBar, &QToolBar::visibilityChanged, ActionWindowToolbar, &QAction::setChecked);
}

TFilesaveForm* TMainForm::ActiveChild() const {
    return qobject_cast<TFilesaveForm*>(FArea->activeSubWindow());
}

std::vector<QMdiSubWindow*> TMainForm::Children() const {
    const QList<QMdiSubWindow*> list = FArea->subWindowList(QMdiArea::CreationOrder);
    return {list.begin(), list.end()};
}

void TMainForm::UpdateActions() {
    const TFilesaveForm* active = ActiveChild();
    const auto children = Children();
    const bool any = !children.empty();
    ActionFileSave->setEnabled(TFilesaveForm::HasPendingChanges(active));
    ActionFileSaveAs->setEnabled(TFilesaveForm::CanSave(active));
    ActionFileCopyAs->setEnabled(TFilesaveForm::CanSave(active));
    ActionFileClose->setEnabled(FArea->activeSubWindow() != nullptr);
    ActionFileCloseAll->setEnabled(any);
    const TIniHlstEntry* recent = IniHlst().At(HlstRecent);
    ActionClearRecentFiles->setEnabled(recent && recent->Count() > 0);
    for (QAction* a : {ActionWindowCascade, ActionWindowTileHorizontal, ActionWindowTileVertical,
                       ActionWindowMinimizeAll, ActionWindowArrangeAll, ActionWindowRestoreAll})
        a->setEnabled(any);
    ActionWindowNext->setEnabled(children.size() > 1);
    ActionWindowPrev->setEnabled(children.size() > 1);
    ActionWindowToolbar->setChecked(FToolBar->isVisible());
    ActionEditCut->setEnabled(CanEdit(EditCut));
    ActionEditCopy->setEnabled(CanEdit(EditCopy));
    ActionEditPaste->setEnabled(CanEdit(EditPaste));
    const bool scroll = GetActiveControl() != nullptr;
    for (QAction* a : ActionScroll)
        a->setEnabled(scroll);
}

void TMainForm::SubWindowActivated(QMdiSubWindow* window) {
    MergeMenus(qobject_cast<TFilesaveForm*>(window));
    TStatusbarWndproc::Refresh();
}

void TMainForm::MergeMenus(TFilesaveForm* form) {
    QMenuBar* bar = menuBar();
    for (const QMetaObject::Connection& watch : FMergedMenuWatch)
        disconnect(watch);
    FMergedMenuWatch.clear();
    // A menu that went with its window took its entry out of the bar itself.
    for (const QPointer<QAction>& action : FMergedMenuActions)
        if (action)
            bar->removeAction(action);
    FMergedMenuActions.clear();
    const QList<QMenu*> menus = form ? form->MergedMenus() : QList<QMenu*>();
    // Only menus that stand in the bar hold their mnemonics: while the
    // window's menus take the place of the Edit menu, the Edit menu leaves the
    // bar, and Alt+E opens the window's.
    QAction* ownEdit = FEditMenu->menuAction();
    ownEdit->setVisible(menus.isEmpty());
    if (menus.isEmpty() && !bar->actions().contains(ownEdit))
        bar->insertAction(FScrollMenu->menuAction(), ownEdit);
    else if (!menus.isEmpty())
        bar->removeAction(ownEdit);
    for (QMenu* menu : menus) {
        bar->insertAction(FScrollMenu->menuAction(), menu->menuAction());
        FMergedMenuActions.push_back(menu->menuAction());
        // A window deleted while its menus stand here gives the bar its own
        // Edit menu back at once, whatever the area reports afterwards.
        FMergedMenuWatch.push_back(
            connect(menu, &QObject::destroyed, this, [this] { MergeMenus(nullptr); }));
    }

    for (const QPointer<QAction>& action : FMergedFileActions)
        if (action)
            FFileMenu->removeAction(action);
    FMergedFileActions.clear();
    if (form)
        for (QAction* action : form->FileMenuActions())
            FMergedFileActions.push_back(action);
    QAction* before =
        FProgramFileCommands.isEmpty() ? FFileCommandsEnd : FProgramFileCommands.front();
    for (QAction* action : FMergedFileActions)
        FFileMenu->insertAction(before, action);
}

void TMainForm::AddFileCommand(QAction* action) {
    // The program's commands stand after the window's, before Close.
    FFileMenu->insertAction(FFileCommandsEnd, action);
    FProgramFileCommands.push_back(action);
    addAction(action);
}

void TMainForm::ActionFileNewExecute() {
    TRegisterForm* kind = TRegisterForm::List().EntryAt(0);
    if (!kind)
        return;
    TFilesaveForm* window = kind->CreateWindow(this);
    ShowDocumentWindow(window);
    window->LoadFromStream(nullptr, 0);
}

bool TMainForm::OpenFile(const std::string& rawName, const TFileDialog* dialog) {
    const std::string name = QString::fromStdString(rawName).trimmed().toStdString();
    const QFileInfo info(QString::fromStdString(name));
    std::string message;
    TFilesaveForm* window = nullptr;
    if (info.exists()) {
        message = "Invalid File \"" + name + "\"!";
        if (info.isFile())
            window = FindFormForFile(name, dialog, this);
    } else {
        message = "File \"" + name + "\" not found!";
    }
    if (window) {
        bool loaded = false;
        try {
            window->LoadFromFile(name);
            loaded = !window->IsEmptyDocument();
        } catch (const std::exception&) {
            loaded = false;
        }
        if (loaded) {
            ShowDocumentWindow(window);
            emit FileOpened(name);
            return true;
        }
        delete window;
    }
    Prompt().Ask(windowTitle().toStdString(), message, TPromptIcon::Error, TPromptButtons::Ok);
    emit FileFailed(name);
    return false;
}

void TMainForm::ActionFileOpenExecute() {
    OpenDialog->Title = TFilesaveForm::KindTitle(TFilesaveForm::KindOpen);
    OpenDialog->Filter = AllFilters();
    if (!OpenDialog->Execute())
        return;
    std::vector<std::string> names = OpenDialog->FileNames;
    if (names.empty())
        names.push_back(OpenDialog->FileName);
    OpenDialog->InitialDir.clear();
    emit DirectoryChosen(
        QFileInfo(QString::fromStdString(names.front())).absolutePath().toStdString());
    for (const std::string& name : names)
        OpenFile(name, OpenDialog.get());
}

void TMainForm::SaveCommand(int tag) {
    TFilesaveForm* active = ActiveChild();
    if (!active)
        return;
    SaveDialog->Tag = tag;
    try {
        TFilesaveForm::Save(active, SaveDialog.get());
    } catch (const std::exception& e) {
        Prompt().Ask(windowTitle().toStdString(), e.what(), TPromptIcon::Error, TPromptButtons::Ok);
    }
}

void TMainForm::ActionFileCloseAllExecute() {
    // A window that stays open (its question was cancelled, or a device
    // exchange holds it) does not keep the others from closing.
    std::vector<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* child : Children())
        children.emplace_back(child);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (*it)
            (*it)->close();
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Every document window asks its own close question first; one that is
    // kept open keeps the program running.
    const auto children = Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (!(*it)->close()) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FStarted)
        QTimer::singleShot(0, this, &TMainForm::StartUp);
}

void TMainForm::StartUp() {
    if (FStarted)
        return;
    FStarted = true;
    emit StartingUp();
    InitKinds();
    for (int n = 1;; ++n) {
        const std::string name = GetParamFile(n);
        if (name.empty())
            break;
        OpenFile(name);
    }
}

void TMainForm::ActionHelpAboutExecute() {
    TAboutBox box(this);
    box.exec();
}

void TMainForm::ShowHelp(const std::string& page) {
    THelpWindow::Show(page, this);
}

} // namespace kelvo
