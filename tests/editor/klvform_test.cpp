#include "editor/editor_fixture.h"

#include "devicelink/serialline.h"
#include "model/dlgline_bits.h"
#include "shell/gui/filesaveform.h"
#include "shell/gui/toolbar_icons.h"
#include "support/scripted_file_dialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <stdlib.h>

KELVO_GUI_TEST_ENVIRONMENT("editor_tests");

namespace kelvo::test {

void EditorFixture::SelectRow(int row) {
    QApplication::setActiveWindow(Form);
    Form->activateWindow();
    Form->Controls().TabbedPages->setCurrentWidget(Form->Controls().TabDisplay);
    Form->Controls().KelvoListView->setFocus();
    QAbstractItemModel* model = Form->Controls().KelvoListView->model();
    Form->Controls().KelvoListView->selectionModel()->setCurrentIndex(
        model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

namespace {

using namespace flags;

TSimLine Line(std::uint16_t address, std::uint16_t flagsWord, std::uint16_t layoutWord,
              std::string caption, TBytes raw = {}, std::vector<std::string> choices = {}) {
    TSimLine line;
    line.Address = address;
    line.Flags = flagsWord;
    line.Layout = layoutWord;
    line.Caption = std::move(caption);
    line.Raw = std::move(raw);
    line.Choices = std::move(choices);
    return line;
}
TSimLine LongLine(std::uint16_t address, std::uint16_t flagsWord, std::string caption, int value) {
    return Line(address, flagsWord | (KindLong << KindShift), 0, std::move(caption),
                RawLong(value));
}

std::vector<std::string> MemoLines(const TKlvForm& form) {
    std::vector<std::string> lines;
    for (const QString& l : form.Controls().MemoAbout->toPlainText().split('\n'))
        lines.push_back(l.toStdString());
    return lines;
}

class Editor : public EditorFixture {};

TEST_F(Editor, ConnectActionsFollowTheLinkAndItsPort) {
    const TEditorActions& a = Form->Actions();
    ASSERT_EQ(a.InCategory("Connect").size(), 23u);
    for (QAction* action : a.InCategory("Connect"))
        EXPECT_FALSE(Enabled(action)) << "no document: " << action->text().toStdString();

    LoadDeviceDialog();
    EXPECT_TRUE(Enabled(a["ActionGoOnlineLast"]));
    EXPECT_TRUE(Enabled(a["ActionGoOnlineCom5"]));
    EXPECT_TRUE(Enabled(a["ActionScanCom"]));
    EXPECT_FALSE(Enabled(a["ActionGoOffline"]));
    EXPECT_FALSE(Enabled(a["ActionProgramDevice"]));
    Session().Stream().SetPort(0);
    EXPECT_FALSE(Enabled(a["ActionGoOnlineLast"])) << "no last port";
    Session().Stream().SetPort(1);

    GoOnline(ComPort(3));
    ASSERT_TRUE(Doc().IsOnline());
    EXPECT_TRUE(Enabled(a["ActionGoOnlineCom5"])) << "Com5 while online on COM3";
    EXPECT_FALSE(Enabled(a["ActionGoOnlineCom3"])) << "Com3 while online on COM3";
    EXPECT_FALSE(Enabled(a["ActionGoOnlineLast"]));
    EXPECT_FALSE(Enabled(a["ActionScanCom"]));
    EXPECT_TRUE(Enabled(a["ActionGoOffline"]));
    EXPECT_TRUE(Enabled(a["ActionProgramDevice"]));
    EXPECT_TRUE(Enabled(a["ActionResetDevice"]));

    a["ActionGoOffline"]->trigger();
    EXPECT_FALSE(Doc().IsOnline());
    EXPECT_FALSE(Enabled(a["ActionGoOffline"]));
}

TEST_F(Editor, ActionsCarryTheirCaptionsTagsAndShortcuts) {
    const TEditorActions& a = Form->Actions();
    EXPECT_EQ(a["ActionGoOnlineCom10"]->text(), "Go Online On Com1&0");
    EXPECT_EQ(a["ActionGoOnlineCom10"]->shortcut(), QKeySequence("Ctrl+Shift+0"));
    EXPECT_EQ(ActionTag(a["ActionGoOnlineCom20"]), 20);
    EXPECT_TRUE(a["ActionGoOnlineCom20"]->shortcut().isEmpty());
    EXPECT_EQ(ActionTag(a["ActionGoOffline"]), -1);
    EXPECT_EQ(ActionTag(a["ActionScanCom"]), -2);
    EXPECT_EQ(ActionTag(a["ActionProgramDevice"]), 2);
    EXPECT_EQ(ActionTag(a["ActionResetDevice"]), 1);
    EXPECT_EQ(ActionTag(a["ActionCopyAllLines"]), 1);
    EXPECT_EQ(a["ActionProgramDevice"]->shortcuts(),
              (QList<QKeySequence>{QKeySequence("F5"), QKeySequence("Ctrl+Shift+F5")}));
    EXPECT_EQ(ActionCategory(a["ActionScanCom"]), "Connect");
    EXPECT_EQ(ActionCategory(a["ActionFindNextError"]), "View");
    EXPECT_EQ(ActionCategory(a["ActionCopyLines2"]), "Edit");
    EXPECT_EQ(a["ActionCopy"]->statusTip(), "Copy the the current selection to the clipboard");
    EXPECT_FALSE(Enabled(a["ActionSaveLog"]));
    EXPECT_TRUE(Enabled(a["ActionCut"]));

    const QList<QAction*> edit = Form->EditMenu()->actions();
    ASSERT_EQ(edit.size(), 18);
    EXPECT_EQ(edit[0], a["ActionUndo"]);
    EXPECT_EQ(edit[1], a["ActionRedo"]);
    EXPECT_TRUE(edit[2]->isSeparator()) << "Undo and Redo stand apart from the clipboard";
    EXPECT_EQ(a["ActionUndo"]->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(a["ActionRedo"]->shortcut(), QKeySequence("Ctrl+Y"));
    EXPECT_EQ(edit[7]->text(), "Go O&nline");
    EXPECT_EQ(edit[7]->menu()->actions().size(), 21);
    EXPECT_EQ(edit[14], Form->Actions()["ActionCompareWithFile"]);
    EXPECT_EQ(edit[16], a["ActionCopyLines0"]);
    const QList<QAction*> view = Form->ViewMenu()->actions();
    ASSERT_EQ(view.size(), 6) << "the log commands, a separator, Find in List";
    EXPECT_EQ(view[3], a["ActionFindNextError"]);
    EXPECT_EQ(view[5], Form->Actions()["ActionFindInList"]);
}

TEST_F(Editor, CopyRulesNeedADocumentAndForSelectedLinesTheFocusedList) {
    const TEditorActions& a = Form->Actions();
    EXPECT_FALSE(Enabled(a["ActionCopyAllLines"])) << "empty document";
    LoadDeviceDialog();
    EXPECT_TRUE(Enabled(a["ActionCopyAllLines"]));
    SelectRow(2);
    EXPECT_TRUE(Enabled(a["ActionCopyLines"]));
    EXPECT_TRUE(Enabled(a["ActionCopyLines2"]));
    Form->Controls().TabbedPages->setCurrentWidget(Form->Controls().TabAbout);
    Form->Controls().MemoAbout->setFocus();
    EXPECT_FALSE(Enabled(a["ActionCopyLines"])) << "the list has no focus";
    EXPECT_TRUE(Enabled(a["ActionCopyAllLines"]));
}

TEST_F(Editor, CopyAllLinesPadsCaptionsIndentsAndKeepsBlankLines) {
    LoadLines({LongLine(0x10, 0, "Alpha", 5),
               Line(0x20, Separator | (KindLabel << KindShift), 0, "Group"),
               LongLine(0x21, IndentLow | IndentHigh, "Deep", 7),
               LongLine(0x22, 0, "A caption longer than 22", 1)});
    Form->Actions()["ActionCopyAllLines"]->trigger();
    const std::string text = QGuiApplication::clipboard()->text().toStdString();

    const std::string header = "       <Caption>      :      <Value>\r\n\r\n";
    ASSERT_EQ(text.substr(0, header.size()), header);
    EXPECT_NE(text.find("Alpha                 :                   5\r\n\r\nGroup"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\n      Deep            :                   7\r\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\nA caption longer than 22:                   1\r\n"), std::string::npos)
        << text;
}

TEST_F(Editor, CopySelectedLinesFromTheMenuActsAsCtrlCInTheList) {
    LoadLines({LongLine(0x10, 0, "Alpha", 5), LongLine(0x11, 0, "Beta", 6)});
    QGuiApplication::clipboard()->setText("untouched");
    SelectRow(1);
    Form->UpdateActions();
    Form->Actions()["ActionCopyLines0"]->trigger();
    const std::string text = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_NE(text.find("Beta"), std::string::npos) << text;
    EXPECT_EQ(text.find("Alpha"), std::string::npos) << text;
}

TEST_F(Editor, CopyWithoutASelectedLineLeavesTheClipboardAlone) {
    LoadLines({LongLine(0x10, 0, "Alpha", 5), LongLine(0x11, 0, "Beta", 6)});
    SelectRow(1);
    Form->Controls().KelvoListView->selectionModel()->clearSelection();
    ASSERT_TRUE(Form->Controls().KelvoListView->currentIndex().isValid())
        << "a current cell, no selection";
    ASSERT_TRUE(Form->Controls().KelvoListView->hasFocus());
    QGuiApplication::clipboard()->setText("untouched");
    Form->UpdateActions();
    QTest::keyClick(Form->Controls().KelvoListView, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "untouched") << "Ctrl+C";
    QTest::keyClick(Form->Controls().KelvoListView, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "untouched") << "Ctrl+Ins";
    Form->Actions()["ActionCopy"]->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "untouched") << "Edit > Copy";

    SelectRow(0);
    Form->UpdateActions();
    QTest::keyClick(Form->Controls().KelvoListView, Qt::Key_C, Qt::ControlModifier);
    EXPECT_NE(QGuiApplication::clipboard()->text().toStdString().find("Alpha"), std::string::npos)
        << "a selected line is copied by the key";
}

TEST_F(Editor, ADoubleClickAnywhereOnTheListAndAnInPlaceEditEditTheValue) {
    LoadLines({LongLine(0x10, 0, "Alpha", 5), LongLine(0x11, 0, "Beta", 6)});
    const int alpha = RowOf(Find(0x10));
    const int beta = RowOf(Find(0x11));
    ASSERT_GE(alpha, 0);
    ASSERT_GE(beta, 0);
    SelectRow(beta);
    QTreeView* list = Form->Controls().KelvoListView;
    const QRect first = list->visualRect(list->model()->index(alpha, 1));
    const QRect last = list->visualRect(list->model()->index(list->model()->rowCount() - 1, 1));
    const QPoint below(last.center().x(), last.bottom() + 30);
    ASSERT_LT(below.y(), list->viewport()->height());
    // Each attempt runs Edit Value once: the value dialog for a selected line,
    // the message when no line is selected.
    const auto attempts = [this] {
        int refused = 0;
        for (const TAsked& asked : Prompt.Asked)
            refused += asked.Text == "This line can't be changed!";
        return Values.Shown + refused;
    };

    // The first click of a double click selects the row.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
    Values.Texts = {std::string("8")};
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(attempts(), 1) << "on a row";
    EXPECT_EQ(Find(0x10)->Value->GetText(), "8");

    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(attempts(), 2) << "below the last row";

    SelectRow(beta);
    Values.Texts = {std::string("9")};
    list->edit(list->model()->index(beta, 0));
    EXPECT_EQ(attempts(), 3) << "an attempt to edit the row in place";
    EXPECT_EQ(Find(0x11)->Value->GetText(), "9");
}

TEST_F(Editor, MenuEntriesCarryTheirOwnTextsAndCutCopyPasteTheToolbarsImages) {
    const TEditorActions& a = Form->Actions();
    QAction* viewLog = Form->ViewMenu()->actions().value(0);
    ASSERT_TRUE(viewLog);
    EXPECT_EQ(viewLog->text().section('\t', 0, 0), "View &Log");
    EXPECT_EQ(a["ActionViewLog"]->text(), "&View Log") << "the action keeps its caption";
    viewLog->trigger();
    EXPECT_TRUE(Form->LogVisible());
    EXPECT_TRUE(viewLog->isChecked()) << "the entry shows the check mark";
    viewLog->trigger();
    EXPECT_FALSE(Form->LogVisible());
    EXPECT_FALSE(viewLog->isChecked());

    QAction* offline = nullptr;
    for (QAction* entry : Form->EditMenu()->actions())
        if (entry->text().startsWith("Go O&ffline"))
            offline = entry;
    ASSERT_TRUE(offline);
    EXPECT_EQ(offline->statusTip(), "Disconnect from KELVO device on active COM port");
    EXPECT_EQ(a["ActionGoOffline"]->statusTip(),
              "Disconnect from KELVO device on selected COM port");
    LoadDeviceDialog();
    Form->UpdateActions();
    EXPECT_FALSE(offline->isEnabled()) << "offline: as the action";
    GoOnline(ComPort(1));
    Form->UpdateActions();
    EXPECT_TRUE(offline->isEnabled());
    offline->trigger();
    EXPECT_FALSE(Doc().IsOnline());

    const auto image = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    ASSERT_FALSE(a["ActionCut"]->icon().isNull());
    EXPECT_EQ(image(a["ActionCut"]->icon()), image(ToolbarIcon(IconCut)));
    EXPECT_EQ(image(a["ActionCopy"]->icon()), image(ToolbarIcon(IconCopy)));
    EXPECT_EQ(image(a["ActionPaste"]->icon()), image(ToolbarIcon(IconPaste)));
}

TEST_F(Editor, AboutTabShowsTheFileTheLinkAndTheDialog) {
    EXPECT_EQ(Form->Controls().MemoAbout->toPlainText(), "Empty");
    LoadDeviceDialog();
    std::vector<std::string> lines = MemoLines(*Form);
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[0], "File name:\tset.dat");
    const std::size_t n = lines.size();
    EXPECT_EQ(lines[n - 3], "Online:\tNo (default is COM1)");
    EXPECT_EQ(lines[n - 2], "");
    const int all = Doc().Entries.Count();
    const int visible = Doc().List().GetRowCount();
    EXPECT_EQ(lines[n - 1], "Dialog:\t" + std::to_string(all) + " lines (" +
                                std::to_string(visible) + " visible)");
    EXPECT_EQ(Form->LastVisibleCount(), visible);

    GoOnline(ComPort(1));
    lines = MemoLines(*Form);
    EXPECT_EQ(lines[lines.size() - 3], "Online:\tOn COM1 at 115200 Baud");
}

TEST_F(Editor, AListWithoutVisibleRowsSaysSo) {
    LoadLines({LongLine(0x10, Hidden, "Hidden one", 5), LongLine(0x11, Hidden, "Hidden two", 6)});
    ASSERT_FALSE(Doc().IsEmpty());
    ASSERT_EQ(Doc().List().GetRowCount(), 0);
    EXPECT_EQ(Form->StatusText(), "No visible items");
    EXPECT_FALSE(Enabled(Form->Actions()["ActionCopyLines"]));
    EXPECT_TRUE(Enabled(Form->Actions()["ActionCopyAllLines"]));
}

TEST_F(Editor, StatusTextNamesTheFocusedLine) {
    LoadDeviceDialog();
    SelectRow(0);
    EXPECT_EQ(Form->StatusText().rfind(
                  "Line 1/" + std::to_string(Doc().List().GetRowCount()) + ": \"0x0010", 0),
              0u)
        << Form->StatusText();
    EXPECT_NE(Form->StatusText().find("\t Offline"), std::string::npos);
}

TEST_F(Editor, FindNextErrorWalksTheNegativeResultsAndSaysWhenThereAreNoMore) {
    LoadDeviceDialog();
    EXPECT_FALSE(Enabled(Form->Actions()["ActionFindNextError"])) << "Log tab hidden";
    Form->Actions()["ActionViewLog"]->trigger();
    ASSERT_TRUE(Form->LogVisible());
    EXPECT_TRUE(Form->Actions()["ActionViewLog"]->isChecked());
    EXPECT_EQ(Form->Controls().TabbedPages->currentWidget(), Form->Controls().TabLog);
    EXPECT_TRUE(Enabled(Form->Actions()["ActionFindNextError"]));
    const QString log = "Result: COM=0 Stream=5\nResult: COM=0 Stream=-914\n"
                        "Result: cOm=-15 Stream=0\nResult: COM=0 Stream=0\n";
    Form->Controls().RichEditLog->setPlainText(log);
    QTextCursor start = Form->Controls().RichEditLog->textCursor();
    start.setPosition(0);
    Form->Controls().RichEditLog->setTextCursor(start);

    Form->FindNextError();
    EXPECT_EQ(Form->Controls().RichEditLog->textCursor().position(), log.indexOf("m=-914") + 2);
    Form->FindNextError();
    EXPECT_EQ(Form->Controls().RichEditLog->textCursor().position(), log.indexOf("m=-15") + 2);
    const int caret = Form->Controls().RichEditLog->textCursor().position();
    Form->FindNextError();
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Find Next Error");
    EXPECT_EQ(Prompt.Asked[0].Text, "No more errors found!");
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::Ok);
    EXPECT_EQ(Form->Controls().RichEditLog->textCursor().position(), caret);

    Form->Actions()["ActionViewLog"]->trigger();
    EXPECT_FALSE(Form->LogVisible());
    EXPECT_FALSE(Enabled(Form->Actions()["ActionFindNextError"]));
}

TEST_F(Editor, UpdateLogShowsTheRenderedTransferLog) {
    LoadDeviceDialog();
    EXPECT_EQ(Form->Controls().RichEditLog->toPlainText(), "empty");
    GoOnline(ComPort(1));
    Form->Actions()["ActionUpdateLog"]->trigger();
    EXPECT_TRUE(Form->LogVisible());
    EXPECT_NE(Form->Controls().RichEditLog->toPlainText().indexOf("Result: COM="), -1);
}

TEST_F(Editor, EditingACountOfflineHidesAndShowsItsInstancesAndMarksModified) {
    LoadDeviceDialog();
    ASSERT_FALSE(Form->IsModifiedDocument());
    TEntry* count = Find(demo::AlarmCount);
    ASSERT_TRUE(count);
    ASSERT_TRUE(Find(demo::AlarmSetpoint, 1));
    const int rows = Doc().List().GetRowCount();

    SelectRow(RowOf(count));
    Values.Texts = {"1"};
    Form->Actions()["ActionEditValue"]->trigger();
    EXPECT_EQ(count->Value->GetText(), "1");
    EXPECT_TRUE(Find(demo::AlarmSetpoint, 1)->HiddenByCount);
    EXPECT_LT(Doc().List().GetRowCount(), rows);
    EXPECT_TRUE(Form->IsModifiedDocument());

    Find(demo::AlarmSetpoint, 0)->Value->SetText("55");
    SelectRow(RowOf(count));
    Values.Texts = {"2"};
    Form->EditValue();
    ASSERT_TRUE(Find(demo::AlarmSetpoint, 1));
    EXPECT_FALSE(Find(demo::AlarmSetpoint, 1)->HiddenByCount);
    EXPECT_EQ(Find(demo::AlarmSetpoint, 1)->Value->GetText(), "80") << "its old value is back";
    EXPECT_EQ(Doc().List().GetRowCount(), rows);
}

TEST_F(Editor, EditingAnUnmodifyingLineCancellingAndReadOnlyLinesLeaveTheDocumentUnmodified) {
    LoadDeviceDialog();
    TEntry* contrast = Find(0x0084);
    ASSERT_TRUE(contrast);
    SelectRow(RowOf(contrast));
    Values.Texts = {"9"};
    Form->EditValue();
    EXPECT_EQ(contrast->Value->GetText(), "9");
    EXPECT_FALSE(Form->IsModifiedDocument()) << "Layout bit 13";

    TEntry* filter = Find(0x0025);
    SelectRow(RowOf(filter));
    Values.Texts = {std::nullopt};
    Form->EditValue();
    EXPECT_EQ(filter->Value->GetText(), "500");
    EXPECT_FALSE(Form->IsModifiedDocument()) << "cancelled";

    SelectRow(RowOf(Find(demo::ProgramName)));
    const int shown = Values.Shown;
    Form->EditValue();
    EXPECT_EQ(Values.Shown, shown) << "no dialog for a read-only line";
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Edit Value");
    EXPECT_EQ(Prompt.Asked[0].Text, "This line can't be changed!");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Warning);
}

TEST_F(Editor, EditingOnlineShowsTheOldValueUntilTheDeviceHoldsTheNewOne) {
    LoadDeviceDialog();
    GoOnline(ComPort(1));
    TEntry* filter = Find(0x0025);
    ASSERT_TRUE(filter);
    SelectRow(RowOf(filter));
    Values.Texts = {"750"};
    Form->EditValue();
    EXPECT_EQ(filter->Value->GetText(), "500") << "not written yet";
    ASSERT_TRUE(Session().PendingEntry);

    Cycle();
    const TBytes* raw = Device->WorkingValue(0x0025, 0);
    ASSERT_TRUE(raw && raw->size() >= 4);
    EXPECT_EQ((*raw)[0] | (*raw)[1] << 8, 750);
    for (int i = 0; i < 3 && filter->Value->GetText() != "750"; ++i)
        Cycle();
    EXPECT_EQ(filter->Value->GetText(), "750");
}

TEST_F(Editor, ANewWindowGoesOnlineOnTheLastPortAtOnce) {
    Form->LoadFromStream(nullptr, 0);
    EXPECT_EQ(Form->windowTitle(), "Kelvo New.dat");
    ASSERT_TRUE(Form->Online());
    EXPECT_TRUE(Form->Online()->IsOnline());
    EXPECT_EQ(Session().Stream().Port(), 1);
    EXPECT_FALSE(Doc().IsEmpty());
}

TEST_F(Editor, AWindowClosedUnderADeviceExchangeClosesWhenTheExchangeEnds) {
    LoadDeviceDialog();
    Form->CloseLock.Lock();
    EXPECT_FALSE(Form->close());
    ASSERT_TRUE(Form);
    EXPECT_TRUE(Form->CloseLock.Unlock());
    ASSERT_TRUE(Form) << "deleted later from the event loop";
    DrainEvents();
    EXPECT_FALSE(Form);
}

TEST_F(Editor, AFileThatFailsToLoadLeavesAnEmptyWindow) {
    const TBytes garbage = {0x01, 0x02, 0x03};
    TMemoryStream stream;
    stream.Write(garbage.data(), 3);
    stream.Seek(0, 0);
    Form->SetFileName("broken.dat");
    Form->LoadFromStream(&stream, 3);
    EXPECT_TRUE(Form->IsEmptyDocument());
    EXPECT_EQ(Form->Controls().KelvoListView->model()->rowCount(), 0);
    EXPECT_FALSE(Enabled(Form->Actions()["ActionEditValue"]));
}

// Answers the save dialog with a name in a scratch folder.
using TChosenName = TScriptedFileDialog;

TEST_F(Editor, SavingANewDocumentProposesNewDatAndWritesTheDataFile) {
    Form->LoadFromStream(nullptr, 0);
    ASSERT_FALSE(Doc().IsEmpty());
    EXPECT_TRUE(TFilesaveForm::HasPendingChanges(Form));
    char folder[] = "/tmp/kelvo-editor-save-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder));
    TChosenName dialog;
    dialog.Tag = TFilesaveForm::TagSave;
    dialog.Answer = std::string(folder) + "/device.dat";
    TFilesaveForm::Save(Form, &dialog);
    EXPECT_EQ(dialog.Proposed, "New.dat");
    EXPECT_EQ(dialog.FilterIndex, 2);
    EXPECT_EQ(Form->windowTitle().toStdString(), "Kelvo " + dialog.Answer);
    ASSERT_FALSE(Prompt.Asked.empty());
    EXPECT_EQ(Prompt.Asked.back().Caption, "Save File As");
    EXPECT_EQ(Prompt.Asked.back().Text.rfind("1 file(s) and ", 0), 0u);
    EXPECT_FALSE(Form->IsModifiedDocument());
    std::filesystem::remove_all(folder);
}

TEST_F(Editor, APortThatCannotBeOpenedIsNamedInTheStatusText) {
    TKlvForm::SetLineOpener({});
    const TPortNameLookup saved =
        SetPortNameLookup([](int port) { return "/nonexistent/kelvo-tty" + std::to_string(port); });
    Form->LoadFromStream(nullptr, 0);
    SetPortNameLookup(saved);
    EXPECT_FALSE(Doc().IsOnline());
    EXPECT_NE(Form->StatusText().find("COM1 is /nonexistent/kelvo-tty1: no such file"),
              std::string::npos)
        << Form->StatusText();
    EXPECT_EQ(Form->StatusText().find('\n'), std::string::npos) << "one line";
}

TEST_F(Editor, KeysOnTheTabStripReachTheListNotTheFindField) {
    std::vector<TSimLine> lines;
    for (int i = 0; i < 60; ++i)
        lines.push_back(LongLine(std::uint16_t(0x10 + i), 0, "Line " + std::to_string(i), i));
    LoadLines(lines);
    QApplication::setActiveWindow(Form);
    QTreeView* list = Form->Controls().KelvoListView;
    QTabBar* strip = Form->Controls().TabbedPages->tabBar();
    const auto row = [list] { return list->currentIndex().row(); };
    list->setCurrentIndex(list->model()->index(0, 0));

    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_Tab);
    EXPECT_TRUE(list->hasFocus()) << "Tab";
    EXPECT_EQ(row(), 0) << "Tab only moves the focus";

    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_Down);
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(row(), 1) << "Down moves the row cursor";

    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_PageDown);
    EXPECT_TRUE(list->hasFocus());
    EXPECT_GT(row(), 2) << "Page Down";

    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(row(), 59) << "Ctrl+End";
    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_PageUp);
    EXPECT_LT(row(), 59) << "Page Up";
    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(row(), 0) << "Ctrl+Home";
    EXPECT_TRUE(Form->Controls().EditFind->text().isEmpty())
        << "nothing was typed into the find field";
}

TEST_F(Editor, ScrollingKeysOnTheTabStripGoIntoThePage) {
    LoadDeviceDialog();
    QApplication::setActiveWindow(Form);
    QTabBar* strip = Form->Controls().TabbedPages->tabBar();
    strip->setFocus();
    ASSERT_TRUE(strip->hasFocus());
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(strip, &down);
    EXPECT_TRUE(Form->Controls().KelvoListView->hasFocus());
    EXPECT_EQ(Form->Controls().TabbedPages->currentWidget(), Form->Controls().TabDisplay)
        << "the page stays";

    strip->setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(strip, &right);
    EXPECT_EQ(Form->Controls().TabbedPages->currentWidget(), Form->Controls().TabAbout)
        << "without Shift or Ctrl Right changes the page";
}

} // namespace
} // namespace kelvo::test
