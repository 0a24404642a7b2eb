#include "filetype/text_document.h"
#include "shell/gui/filedialog.h"
#include "shell/gui/filesaveform.h"
#include "shell/gui/inihlst.h"
#include "shell/gui/mainwindow.h"
#include "shell/gui/registerform.h"
#include "shell/settings/ini_file.h"
#include "support/gui_environment.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <fstream>

namespace kelvo {
namespace {

using test::TScratchDir;
using test::TScriptedPrompt;
using test::TTextDocument;

// A window kind for text files, read by the text document.
class TTextWindow : public TFiletypeForm<TTextDocument> {
public:
    using TFiletypeForm::TFiletypeForm;
    std::string GetTitlePrefix() const override { return "Text"; }
    std::string GetFilter() const override { return "|Text (*.txt)|*.txt"; }
    void LoadFromStream(TStream* stream, std::int64_t count) override {
        auto* doc = new TTextDocument;
        FDocument.Reset(doc);
        if (stream) {
            TFileAccess access("Open File");
            access.Reader.Init(stream, GetFileName());
            access.Reader.Size = count;
            if (access.Reader.Open())
                doc->Read(access);
        }
    }
    QList<QMenu*> MergedMenus() const override { return {Merged}; }
    QList<QAction*> FileMenuActions() const override { return {Export}; }
    QMenu* Merged = new QMenu("&Text", this);
    QAction* Export = new QAction("&Export...", this);
};

class TTextKind : public TRegisterCustomForm<TTextWindow> {
public:
    std::string FilterText() const override { return "|Text (*.txt)|*.txt"; }
};

// Points the program's INI file into the scratch directory for the test's life.
class TTestIni {
public:
    explicit TTestIni(const std::string& path) { SetIniFileName(path); }
    ~TTestIni() {
        CloseIniHlst();
        SetIniFileName({});
    }
};

class MainWindow : public ::testing::Test {
protected:
    MainWindow() { Form.show(); }
    TTextWindow* Open(const std::string& name, const std::string& text) {
        std::ofstream(Dir / name) << text;
        EXPECT_TRUE(Form.OpenFile(Dir / name));
        return dynamic_cast<TTextWindow*>(Form.ActiveChild());
    }

    TScratchDir Dir;
    TTestIni Ini{Dir / "kelvow32.ini"};
    TScriptedPrompt Prompt;
    TPromptScope Scope{Prompt};
    TTextKind Kind;
    TMainForm Form;
};

TEST_F(MainWindow, OpensAFileIntoANewChildAndRefusesMissingAndUnknownFiles) {
    TTextWindow* window = Open("a.txt", "hello");
    ASSERT_TRUE(window);
    EXPECT_EQ(Form.Children().size(), 1u);
    EXPECT_EQ(window->windowTitle().toStdString(), "Text " + Dir / "a.txt");

    EXPECT_FALSE(Form.OpenFile(Dir / "gone.txt"));
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "File \"" + Dir / "gone.txt" + "\" not found!");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Error);

    std::ofstream(Dir / "b.xyz") << "x";
    EXPECT_FALSE(Form.OpenFile(Dir / "b.xyz"));
    EXPECT_EQ(Prompt.Asked.back().Text, "Invalid File \"" + Dir / "b.xyz" + "\"!");
    std::ofstream(Dir / "empty.txt") << "";
    EXPECT_FALSE(Form.OpenFile(Dir / "empty.txt")) << "a file that leaves the window empty";
    EXPECT_EQ(Prompt.Asked.back().Text, "Invalid File \"" + Dir / "empty.txt" + "\"!");
    test::DrainEvents();
    EXPECT_EQ(Form.Children().size(), 1u) << "no window stays behind for a failed file";
}

TEST_F(MainWindow, RecentFilesFollowWhatWasOpenedAndForgetWhatIsGone) {
    for (int i = 0; i < 10; ++i)
        Open("f" + std::to_string(i) + ".txt", "x");
    TIniHlstEntry& recent = *IniHlst().At(HlstRecent);
    ASSERT_EQ(recent.Count(), 9);
    EXPECT_EQ(recent.Entry(0), Dir / "f9.txt");
    EXPECT_EQ(recent.Entry(8), Dir / "f1.txt");
    EXPECT_TRUE(Form.OpenFile(Dir / "f5.txt"));
    EXPECT_EQ(recent.Entry(0), Dir / "f5.txt");
    EXPECT_EQ(recent.Count(), 9) << "moved, not duplicated";
    EXPECT_EQ(IniHlst().At(HlstOpenDir)->Entry(0), Dir.Path);

    std::filesystem::remove(Dir / "f7.txt");
    EXPECT_FALSE(Form.OpenFile(Dir / "f7.txt"));
    EXPECT_EQ(Prompt.Asked.back().Text, "File \"" + Dir / "f7.txt" + "\" not found!");
    EXPECT_EQ(recent.Count(), 8);

    Form.UpdateActions();
    EXPECT_TRUE(Form.ActionClearRecentFiles->isEnabled());
    Form.ActionClearRecentFiles->trigger();
    EXPECT_EQ(recent.Count(), 0);
    Form.UpdateActions();
    EXPECT_FALSE(Form.ActionClearRecentFiles->isEnabled());
}

TEST_F(MainWindow, TheActiveChildsMenusTakeThePlaceOfTheEditMenuAndJoinTheFileMenu) {
    QAction* restore = new QAction("Restore &Snapshot...", &Form);
    Form.AddFileCommand(restore);
    EXPECT_TRUE(Form.EditMenu()->menuAction()->isVisible());
    TTextWindow* window = Open("a.txt", "x");
    TTextWindow* other = Open("b.txt", "y");
    Form.Area()->setActiveSubWindow(window);
    EXPECT_FALSE(Form.EditMenu()->menuAction()->isVisible());
    const QList<QAction*> bar = Form.menuBar()->actions();
    EXPECT_NE(bar.indexOf(window->Merged->menuAction()), -1);
    QList<QAction*> file = Form.FileMenu()->actions();
    EXPECT_EQ(file.indexOf(window->Export), file.indexOf(Form.ActionFileCopyAs) + 1);
    EXPECT_EQ(file.indexOf(restore), file.indexOf(window->Export) + 1);
    EXPECT_EQ(file.indexOf(other->Export), -1) << "only the active window's commands";

    window->close();
    other->close();
    test::DrainEvents();
    EXPECT_TRUE(Form.EditMenu()->menuAction()->isVisible());
    file = Form.FileMenu()->actions();
    EXPECT_EQ(file.indexOf(restore), file.indexOf(Form.ActionFileCopyAs) + 1)
        << "the program's command stays when no window is open";
}

TEST_F(MainWindow, RestoreAllRestoresMinimisedAndMaximisedChildren) {
    TTextWindow* a = Open("a.txt", "1");
    TTextWindow* b = Open("b.txt", "2");
    a->showMinimized();
    b->showMaximized();
    Form.UpdateActions();
    EXPECT_TRUE(Form.ActionWindowRestoreAll->isEnabled());
    EXPECT_TRUE(Form.ActionWindowNext->isEnabled());
    Form.ActionWindowRestoreAll->trigger();
    EXPECT_FALSE(a->isMinimized() || a->isMaximized());
    EXPECT_FALSE(b->isMinimized() || b->isMaximized());
}

TEST_F(MainWindow, TileHorizontallyStacksAndTileVerticallyPlacesSideBySide) {
    TTextWindow* a = Open("a.txt", "1");
    TTextWindow* b = Open("b.txt", "2");
    Form.TileHorizontally();
    EXPECT_EQ(a->width(), b->width());
    EXPECT_NE(a->y(), b->y());
    EXPECT_EQ(a->x(), b->x());
    Form.TileVertically();
    EXPECT_EQ(a->y(), b->y());
    EXPECT_NE(a->x(), b->x());
}

TEST_F(MainWindow, ClosingWithAModifiedDocumentAndCancelKeepsEverythingOpen) {
    TTextWindow* a = Open("a.txt", "1");
    QPointer<TTextWindow> b = Open("b.txt", "2");
    b->Document()->Info.SetModified(TFileInfo::UndeterminedSize);
    Prompt.Answers = {IdCancel};
    EXPECT_FALSE(Form.close());
    test::DrainEvents();
    EXPECT_TRUE(Form.isVisible());
    ASSERT_TRUE(b);
    EXPECT_EQ(Form.Children().size(), 2u);
    EXPECT_EQ(Prompt.Asked.size(), 1u);
    (void)a;

    Prompt.Answers = {IdOk};
    EXPECT_TRUE(Form.close());
    test::DrainEvents();
    EXPECT_TRUE(Form.Children().empty());
}

TEST_F(MainWindow, CloseAllGoesOnPastAWindowThatStaysOpen) {
    QPointer<TTextWindow> a = Open("a.txt", "1");
    QPointer<TTextWindow> b = Open("b.txt", "2");
    QPointer<TTextWindow> c = Open("c.txt", "3");
    QPointer<TTextWindow> d = Open("d.txt", "4");
    b->Document()->Info.SetModified(TFileInfo::UndeterminedSize);
    c->CloseLock.Lock();
    Prompt.Answers = {IdCancel};
    Form.UpdateActions();
    ASSERT_TRUE(Form.ActionFileCloseAll->isEnabled());
    Form.ActionFileCloseAll->trigger();
    test::DrainEvents();
    EXPECT_FALSE(d) << "the last first";
    EXPECT_TRUE(c) << "held by a device exchange";
    EXPECT_TRUE(b) << "its question was cancelled";
    EXPECT_FALSE(a) << "closed after the windows that stayed";
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "Cancel pending modifications?");
    EXPECT_TRUE(c->CloseLock.Unlock()) << "the refused close is carried out at the unlock";
    test::DrainEvents();
    EXPECT_FALSE(c);
}

TEST_F(MainWindow, TheProgramStaysOpenWhileADeviceExchangeHoldsAWindow) {
    TTextWindow* a = Open("a.txt", "1");
    a->CloseLock.Lock();
    EXPECT_FALSE(Form.close());
    EXPECT_TRUE(Form.isVisible());
    EXPECT_TRUE(a->CloseLock.Unlock()) << "the remembered close is carried out";
    test::DrainEvents();
    EXPECT_FALSE(Form.isVisible());
}

TEST(MainWindowRules, AToolbarDroppedOnTheClientEdgeFloatsElsewhereItDocksAtTheNearestSide) {
    const QRect client(0, 0, 400, 300);
    EXPECT_EQ(TMainForm::DockSide({0, 150}, client), -1);
    EXPECT_EQ(TMainForm::DockSide({399, 150}, client), -1);
    EXPECT_EQ(TMainForm::DockSide({5, 150}, client), 0);
    EXPECT_EQ(TMainForm::DockSide({390, 150}, client), 1);
    EXPECT_EQ(TMainForm::DockSide({200, 4}, client), 2);
    EXPECT_EQ(TMainForm::DockSide({200, 290}, client), 3);
    EXPECT_EQ(TMainForm::DockSide({10, 10}, client), 0) << "equal distances: left first";
}

TEST(MainWindowRules, TheFileNameFollowsTheChosenFileType) {
    EXPECT_EQ(AdjustToFilterPatterns("/d/set.txt", "*.dat;*.kelvo"), "/d/set.dat");
    EXPECT_EQ(AdjustToFilterPatterns("/d/set.KELVO", "*.dat;*.kelvo"), "/d/set.KELVO");
    EXPECT_EQ(AdjustToFilterPatterns("/d/set", "*.dat;*.kelvo"), "/d/set.dat");
    EXPECT_EQ(AdjustToFilterPatterns("/d.x/set.bin", "*.*"), "/d.x/set.bin");
    EXPECT_EQ(AdjustToFilterPatterns("", "*.dat"), "");
}

} // namespace
} // namespace kelvo

KELVO_GUI_TEST_ENVIRONMENT("shell_mainwindow_tests");
