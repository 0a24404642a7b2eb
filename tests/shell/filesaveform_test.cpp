#include "filetype/text_document.h"
#include "shell/gui/filesaveform.h"
#include "shell/gui/idledispatch.h"
#include "shell/gui/qtprompt.h"
#include "support/gui_environment.h"
#include "support/scripted_file_dialog.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <filesystem>
#include <fstream>

KELVO_GUI_TEST_ENVIRONMENT("shell_gui_tests");

namespace kelvo {
namespace {

using test::TScratchDir;
using test::TScriptedPrompt;
using test::TTextDocument;

class TTextForm : public TFiletypeForm<TTextDocument> {
public:
    using TFiletypeForm::TFiletypeForm;
    std::string GetTitlePrefix() const override { return "Text"; }
    std::string GetFilter() const override { return "|Text (*.txt;*.dat)|*.txt;*.dat"; }
    TTextDocument& NewDocument(const std::string& text) {
        auto* doc = new TTextDocument;
        doc->Text = text;
        FDocument.Reset(doc);
        return *doc;
    }
    void SetDocument(TFileType* document) { FDocument.Reset(document); }
    void DocumentChanged() override { ++Changes; }
    int Changes = 0;
};

// Answers like a user who picks a name.
using TScriptedDialog = test::TScriptedFileDialog;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FilesaveForm : public ::testing::Test {
protected:
    TScratchDir Dir;
    TScriptedPrompt Prompt;
    TPromptScope Scope{Prompt};
};

TEST_F(FilesaveForm, SaveOverTheFileOnDiskKeepsABackupReportsAndClearsModified) {
    const std::string path = Dir / "set.txt";
    std::ofstream(path) << "old content";
    TTextForm form;
    form.LoadFromFile(path);
    ASSERT_EQ(form.GetFileName(), path);
    EXPECT_EQ(form.windowTitle().toStdString(), "Text " + path);
    TTextDocument& doc = form.NewDocument("new content");
    doc.SetFileName(path);
    doc.Info.Flags |= TFileInfo::OnDisk;
    doc.Info.SetModified(TFileInfo::UndeterminedSize);

    TFilesaveForm::Save(&form, nullptr);

    EXPECT_EQ(Slurp(path), "new content");
    EXPECT_EQ(Slurp(Dir / "set.~txt"), "old content");
    ASSERT_EQ(Prompt.Asked.size(), 1u) << "no replace question for the document's own file";
    EXPECT_EQ(Prompt.Asked[0].Caption, "Save File");
    EXPECT_EQ(Prompt.Asked[0].Text, "1 file(s) and 11 bytes written!\n0 errors!");
    EXPECT_FALSE(doc.Info.Has(TFileInfo::Modified));
    EXPECT_GT(form.Changes, 0);
}

TEST_F(FilesaveForm, SaveOfANewDocumentAsksForANameProposingNewWithTheTypesExtension) {
    TTextForm form;
    TTextDocument& doc = form.NewDocument("abc");
    doc.Info.SetModified(TFileInfo::UndeterminedSize);
    EXPECT_TRUE(TFilesaveForm::HasPendingChanges(&form));
    TScriptedDialog dialog;
    dialog.Tag = TFilesaveForm::TagSave;
    dialog.Answer = Dir / "chosen.txt";

    TFilesaveForm::Save(&form, &dialog);

    EXPECT_EQ(dialog.Proposed, "New.txt");
    EXPECT_EQ(dialog.Title, "Save File As");
    EXPECT_EQ(dialog.FilterIndex, 2);
    EXPECT_EQ(dialog.Filter, "All files (*.*)|*.*|Text (*.txt;*.dat)|*.txt;*.dat");
    EXPECT_EQ(Slurp(Dir / "chosen.txt"), "abc");
    EXPECT_EQ(form.GetFileName(), Dir / "chosen.txt");
    EXPECT_FALSE(form.IsModifiedDocument());
}

TEST_F(FilesaveForm, SaveCopyAsLeavesTheWindowsNameAndModifiedMark) {
    TTextForm form;
    TTextDocument& doc = form.NewDocument("copy me");
    form.SetFileName(Dir / "original.txt");
    doc.SetFileName(Dir / "original.txt");
    doc.Info.SetModified(TFileInfo::UndeterminedSize);
    TScriptedDialog dialog;
    dialog.Tag = TFilesaveForm::TagSaveCopyAs;
    dialog.Answer = Dir / "copy.txt";

    TFilesaveForm::Save(&form, &dialog);

    EXPECT_EQ(dialog.Title, "Save Copy As");
    EXPECT_EQ(Slurp(Dir / "copy.txt"), "copy me");
    EXPECT_EQ(form.GetFileName(), Dir / "original.txt");
    EXPECT_TRUE(form.IsModifiedDocument());
    EXPECT_EQ(Prompt.Asked.back().Caption, "Save Copy As");
}

TEST_F(FilesaveForm, NothingToSaveIsRefused) {
    TTextForm form;
    EXPECT_FALSE(TFilesaveForm::CanSave(&form));
    try {
        TFilesaveForm::Save(&form, nullptr);
        FAIL() << "Save of an empty window must raise";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    try {
        form.SaveToStream(nullptr, nullptr, TFilesaveForm::KindSave);
        FAIL() << "SaveToStream without a document must raise";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "TFilesaveForm::SaveToStream: Nothing to save!");
    }
}

TEST_F(FilesaveForm, AWriteThatProducedNothingShowsTheWriteErrorAndKeepsModified) {
    TTextForm form;
    TTextDocument& doc = form.NewDocument("data");
    doc.Info.SetModified(TFileInfo::UndeterminedSize);
    form.SaveToFile(Dir / "missing-dir/x.txt", nullptr, TFilesaveForm::KindSaveAs);
    ASSERT_FALSE(Prompt.Asked.empty());
    EXPECT_NE(Prompt.Asked.back().Text.find("could not be written!"), std::string::npos);
    EXPECT_TRUE(form.IsModifiedDocument());
}

TEST_F(FilesaveForm, ClosingAModifiedWindowAsksAndCancelKeepsItOpen) {
    QPointer<TTextForm> form = new TTextForm;
    form->NewDocument("typed").Info.SetModified(TFileInfo::UndeterminedSize);
    form->show();
    Prompt.Answers = {IdCancel};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Close File");
    EXPECT_EQ(Prompt.Asked[0].Text, "Cancel pending modifications?");
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::OkCancel);
    test::DrainEvents();
    ASSERT_TRUE(form);

    Prompt.Answers = {IdOk};
    EXPECT_TRUE(form->close());
    test::DrainEvents();
    EXPECT_FALSE(form) << "a closed window is freed";
}

TEST_F(FilesaveForm, AWindowClosedWhileLockedClosesAtTheLastUnlockAndIsDeletedLater) {
    QPointer<TTextForm> form = new TTextForm;
    form->NewDocument("x");
    form->show();
    form->CloseLock.Lock();
    form->CloseLock.Lock();
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(Prompt.Asked.empty()) << "a locked window asks nothing";
    EXPECT_EQ(form->CloseLock.CloseRequests, 2);
    EXPECT_FALSE(form->CloseLock.Unlock());
    ASSERT_TRUE(form->isVisible());

    EXPECT_TRUE(form->CloseLock.Unlock());
    ASSERT_TRUE(form) << "never deleted inside Unlock";
    EXPECT_FALSE(form->isVisible());
    test::DrainEvents();
    EXPECT_FALSE(form);
}

TEST_F(FilesaveForm, AnUnlockWithoutCloseRequestsKeepsTheWindow) {
    TTextForm form;
    form.show();
    form.CloseLock.Lock();
    EXPECT_FALSE(form.CloseLock.Unlock());
    EXPECT_TRUE(form.isVisible());
}

class TCountingDocument : public TTextDocument {
public:
    void Idle(void*, bool&) override {
        Order.push_back(Id);
        if (Reenter)
            Nested = TIdleDispatch::RunOnce();
    }
    static inline std::vector<int> Order;
    int Id = 0;
    bool Reenter = false;
    bool Nested = true;
};

TEST(IdleDispatch, VisitsDocumentsFromTheLastWindowToTheFirstAndIsNeverReentered) {
    TCountingDocument::Order.clear();
    TTextForm first;
    TTextForm second;
    auto* a = new TCountingDocument;
    a->Id = 1;
    a->Reenter = true;
    auto* b = new TCountingDocument;
    b->Id = 2;
    first.SetDocument(a);
    second.SetDocument(b);

    EXPECT_TRUE(TIdleDispatch::RunOnce());
    EXPECT_EQ(TCountingDocument::Order, (std::vector<int>{2, 1}));
    EXPECT_FALSE(a->Nested) << "a modal loop inside idle work must not dispatch again";
}

// Its idle work lets the event loop run, as a device exchange does.
class TTalkingDocument : public TTextDocument {
public:
    void Idle(void*, bool&) override {
        ++Cycles;
        TIdleDispatch::ProcessMessagesWithoutInput();
    }
    int Cycles = 0;
};

// A closed window is deleted at the next turn of the event loop; idle work that
// let the loop turn would go on in a window that is gone.
TEST(IdleDispatch, AClosedWindowTakesNoMoreIdleWork) {
    auto* form = new TTextForm;
    auto* doc = new TTalkingDocument;
    doc->Text = "unchanged";
    form->SetDocument(doc);
    form->show();
    const QPointer<TTextForm> alive(form);
    EXPECT_TRUE(TIdleDispatch::RunOnce());
    EXPECT_EQ(doc->Cycles, 1);

    ASSERT_TRUE(form->close());
    ASSERT_TRUE(alive) << "deleted later, not at once";
    TIdleDispatch::RunOnce();
    EXPECT_EQ(doc->Cycles, 1);
    test::DrainEvents();
    EXPECT_TRUE(alive.isNull());
}

TEST(FormServices, AdjustExtensionAndFilters) {
    TTextDocument doc;
    EXPECT_EQ(AdjustExtension(&doc, ""), "New.txt");
    EXPECT_EQ(AdjustExtension(&doc, "/a/b.dat"), "/a/b.dat");
    EXPECT_EQ(AdjustExtension(&doc, "/a.x/b.bin"), "/a.x/b.txt");
    EXPECT_EQ(AdjustExtension(&doc, "/a.x/noext"), "/a.x/noext.txt");
    EXPECT_EQ(AdjustExtension(nullptr, "keep.bin"), "keep.bin");

    const std::string filter = "All files (*.*)|*.*|Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo";
    EXPECT_EQ(QtNameFilters(filter), (QStringList{"All files (*)", "Kelvo Data (*.dat *.kelvo)"}));
    EXPECT_EQ(FilterEntry(filter, 2), "Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo");
    EXPECT_EQ(FilterEntry(filter, 3), "");
    EXPECT_EQ(TFilesaveForm::KindTitle(4), "Save Copy As");
    EXPECT_EQ(TFilesaveForm::KindTitle(9), "");
}

} // namespace
} // namespace kelvo

namespace kelvo {
namespace {

// Presses a button of the message box once it is open, noting whether the
// idle work of the documents could run meanwhile.
TEST(QtPrompt, AnswersWithTheButtonPressedAndHoldsTheIdleWorkWhileOpen) {
    TQtPrompt prompt;
    bool idleRan = true;
    QString shownText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        shownText = box->text();
        idleRan = TIdleDispatch::RunOnce();
        box->button(QMessageBox::No)->click();
    });
    const int answer = prompt.Ask("Go Online", "Write old data? \x81", TPromptIcon::Question,
                                  TPromptButtons::YesNoCancel);
    EXPECT_EQ(answer, IdNo);
    EXPECT_FALSE(idleRan) << "no device work underneath a question";
    EXPECT_EQ(shownText, QString::fromUtf8("Write old data? \u00fc")) << "device text in CP850";
    EXPECT_TRUE(TIdleDispatch::RunOnce()) << "the idle work goes on afterwards";
}

} // namespace
} // namespace kelvo
