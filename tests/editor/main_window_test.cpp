// Editor windows inside the main window: keys both hold, the menus of the
// bar and their mnemonics, the status bar, and the ways a window ends.
#include "editor/editor_fixture.h"

#include "editor/register_klvform.h"
#include "filetype/text_document.h"
#include "shell/gui/mainform.h"
#include "shell/gui/mainwindow.h"
#include "shell/gui/registerform.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTreeView>

#include <fstream>

namespace kelvo::test {
namespace {

class EditorInMainWindow : public ::testing::Test {
protected:
    EditorInMainWindow() : Device(std::make_shared<TVirtualDevice>(BuiltinDemoDialog())) {
        TFileTypeKelvo::SetLastComPort(1);
        TKlvForm::SetLineOpener(VirtualLineOpener(Device));
        Main.show();
        Activate();
    }
    ~EditorInMainWindow() override {
        for (QMdiSubWindow* child : Main.Children())
            delete child;
        DrainEvents();
        TKlvForm::SetLineOpener({});
    }
    void Activate() {
        QApplication::setActiveWindow(&Main);
        Main.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Main));
    }
    // A new editor window holding the device's dialog, active, its list focused.
    TKlvForm* NewEditor() {
        auto* editor = new TKlvForm(MainForm());
        ShowDocumentWindow(editor);
        Main.Area()->setActiveSubWindow(editor);
        const TBytes bytes = WriteLineRecords(Device->Dialog().Lines);
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.Seek(0, 0);
        editor->SetFileName("set.dat");
        editor->LoadFromStream(&stream, static_cast<std::int64_t>(bytes.size()));
        Focus(editor);
        return editor;
    }
    void Focus(TKlvForm* editor) {
        QApplication::setActiveWindow(&Main);
        Main.Area()->setActiveSubWindow(editor);
        editor->Controls().KelvoListView->setFocus();
        editor->Controls().KelvoListView->setCurrentIndex(
            editor->Controls().KelvoListView->model()->index(0, 0));
        EXPECT_EQ(QApplication::focusWidget(), editor->Controls().KelvoListView);
        editor->UpdateActions();
        Main.UpdateActions();
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus);
        QTest::keyClick(focus, key, modifiers);
    }
    // The bar holds one Edit menu: the active editor's, or the main window's
    // own when no editor is active; and no entry of a menu that is gone.
    void ExpectOneEditMenu(const std::string& how) {
        const QList<QAction*> bar = Main.menuBar()->actions();
        int edits = 0;
        for (QAction* entry : bar)
            edits += entry->isVisible() && entry->text() == "&Edit";
        EXPECT_EQ(edits, 1) << how;
        const auto* active = qobject_cast<TKlvForm*>(Main.ActiveChild());
        QAction* own = Main.EditMenu()->menuAction();
        if (active) {
            EXPECT_NE(bar.indexOf(active->EditMenu()->menuAction()), -1) << how;
            EXPECT_NE(bar.indexOf(active->ViewMenu()->menuAction()), -1) << how;
            EXPECT_EQ(bar.indexOf(own), -1) << how;
        } else {
            EXPECT_NE(bar.indexOf(own), -1) << how;
            EXPECT_TRUE(own->isVisible()) << how;
        }
    }

    TScratchUserData UserData;
    std::shared_ptr<TVirtualDevice> Device;
    TScriptedPrompt Prompt;
    TPromptScope Scope{Prompt};
    TMainForm Main;
};

TEST_F(EditorInMainWindow, SharedKeysRunTheEditorsEnabledActionElseTheMainWindows) {
    TKlvForm* first = NewEditor();
    TKlvForm* second = NewEditor();
    first->setGeometry(0, 0, 300, 200);
    second->setGeometry(40, 40, 300, 200);
    Focus(second);
    ASSERT_FALSE(second->Actions()["ActionProgramDevice"]->isEnabled()) << "offline";

    Press(Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(first->y(), second->y()) << "Tile Vertically: side by side";
    EXPECT_NE(first->x(), second->x());
    Press(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Main.Area()->activeSubWindow(), first) << "Previous";

    Prompt.Answers.push_back(IdOk);
    second->GoOnline(ComPort(1));
    ASSERT_TRUE(second->Kelvo()->IsOnline());
    Focus(second);
    ASSERT_TRUE(second->Actions()["ActionProgramDevice"]->isEnabled());
    first->setGeometry(0, 0, 300, 200);
    second->setGeometry(40, 40, 300, 200);
    Press(Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(second->Online()->Session().DeviceRequest, TDeviceRequest::Program)
        << "Program Device";
    EXPECT_EQ(first->geometry(), QRect(0, 0, 300, 200)) << "no tiling";
    second->Online()->Session().DeviceRequest = TDeviceRequest::None;
    Press(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(second->Online()->Session().DeviceRequest, TDeviceRequest::Reset) << "Reset Device";
    EXPECT_EQ(Main.Area()->activeSubWindow(), second) << "no other window activated";
}

TEST_F(EditorInMainWindow, EveryMenuOfTheBarOpensByItsMnemonic) {
    TKlvForm* editor = NewEditor();
    QStringList opened;
    for (QAction* entry : Main.menuBar()->actions()) {
        if (!entry->isVisible() || !entry->menu())
            continue;
        const QKeySequence key = QKeySequence::mnemonic(entry->text());
        ASSERT_EQ(key.count(), 1) << entry->text().toStdString();
        Focus(editor);
        Press(key[0].key(), key[0].keyboardModifiers());
        QWidget* popup = QApplication::activePopupWidget();
        EXPECT_EQ(popup, entry->menu()) << key.toString().toStdString();
        if (popup) {
            opened << entry->text();
            popup->close();
        }
        DrainEvents();
    }
    EXPECT_TRUE(opened.contains("&Edit")) << opened.join(' ').toStdString();
    EXPECT_TRUE(opened.contains("&View"));
    EXPECT_TRUE(opened.contains("&File"));
}

TEST_F(EditorInMainWindow, TheStatusBarShowsTheStatusTextWheneverNoHintIsShown) {
    TKlvForm* editor = NewEditor();
    QStatusBar* bar = Main.statusBar();
    const QString status = QString::fromStdString(editor->StatusText());
    ASSERT_TRUE(status.startsWith("Line 1/")) << status.toStdString();
    EXPECT_EQ(bar->currentMessage(), status);

    QStatusTipEvent hint("Open a file");
    QApplication::sendEvent(&Main, &hint);
    EXPECT_EQ(bar->currentMessage(), "Open a file");
    editor->Controls().KelvoListView->setCurrentIndex(
        editor->Controls().KelvoListView->model()->index(1, 0));
    EXPECT_EQ(bar->currentMessage(), "Open a file") << "the hint stays while it is shown";
    QStatusTipEvent gone{QString()};
    QApplication::sendEvent(&Main, &gone);
    EXPECT_TRUE(bar->currentMessage().startsWith("Line 2/")) << bar->currentMessage().toStdString();

    bar->showMessage("a toolbar hint");
    bar->clearMessage();
    EXPECT_TRUE(bar->currentMessage().startsWith("Line 2/")) << bar->currentMessage().toStdString();
}

TEST_F(EditorInMainWindow, TheBarKeepsOnlyLiveMenusHoweverAnEditorEnds) {
    TScratchDir dir;
    TRegisterKlvForm kind;
    ExpectOneEditMenu("no window");

    TKlvForm* closed = NewEditor();
    ExpectOneEditMenu("one editor");
    closed->close();
    DrainEvents();
    ExpectOneEditMenu("closed");

    QPointer<TKlvForm> deleted = NewEditor();
    delete deleted.data();
    ExpectOneEditMenu("deleted, at once");
    DrainEvents();
    ExpectOneEditMenu("deleted");

    NewEditor();
    NewEditor();
    Main.ActionFileCloseAll->trigger();
    DrainEvents();
    EXPECT_TRUE(Main.Children().empty());
    ExpectOneEditMenu("Close All");

    TKlvForm* kept = NewEditor();
    std::ofstream(dir / "broken.dat") << "no records";
    EXPECT_FALSE(Main.OpenFile(dir / "broken.dat"));
    DrainEvents();
    EXPECT_EQ(Main.Children().size(), 1u);
    Main.Area()->setActiveSubWindow(kept);
    ExpectOneEditMenu("a failed load");

    QPointer<TKlvForm> locked = NewEditor();
    locked->CloseLock.Lock();
    EXPECT_FALSE(locked->close());
    ExpectOneEditMenu("refused while locked");
    EXPECT_TRUE(locked->CloseLock.Unlock());
    DrainEvents();
    EXPECT_FALSE(locked);
    ExpectOneEditMenu("closed by the lock");

    TKlvForm* last = NewEditor();
    Main.Area()->setActiveSubWindow(kept);
    ExpectOneEditMenu("another editor activated");
    Main.Area()->setActiveSubWindow(last);
    ExpectOneEditMenu("the last one again");
}

} // namespace
} // namespace kelvo::test
