#include "filetype/text_document.h"
#include "shell/gui/filesaveform.h"
#include "shell/gui/recovery.h"
#include "shell/gui/registerform.h"
#include "support/gui_environment.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

KELVO_GUI_TEST_ENVIRONMENT("shell_recovery_tests");

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using test::TScratchDir;
using test::TScriptedPrompt;
using test::TTextDocument;

class TTextForm : public TFiletypeForm<TTextDocument> {
public:
    using TFiletypeForm::TFiletypeForm;
    std::string GetTitlePrefix() const override { return "Text"; }
    std::string GetFilter() const override { return "|Text (*.txt;*.dat)|*.txt;*.dat"; }
    // As the editor window does, the kind names an untitled document so that
    // its type reads it.
    std::string GetFileName() const override { return FileName().empty() ? "New.txt" : FileName(); }
    TTextDocument& NewDocument(const std::string& text, bool modified) {
        auto* doc = new TTextDocument;
        doc->Text = text;
        doc->SetFileName("/somewhere/set.txt");
        if (modified)
            doc->Info.SetModified(TFileInfo::UndeterminedSize);
        FDocument.Reset(doc);
        return *doc;
    }
};

class TTextKind : public TRegisterCustomForm<TTextForm> {
public:
    std::string FilterText() const override { return "|Text (*.txt;*.dat)|*.txt;*.dat"; }
};

// A text document that also reads when found by content.
class TFoundText : public TTextDocument {
public:
    bool TryRead(TFileAccess& access, int) override {
        Read(access);
        return !IsEmpty();
    }
};

TFileType* CreateText() {
    return new TFoundText;
}
constexpr TFileTypeCreator TextTypes[] = {CreateText, nullptr};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every test has a state folder of its own.
class Recovery : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_STATE_HOME");
        FOldState = old ? old : "";
        FHadState = old != nullptr;
        ::setenv("XDG_STATE_HOME", Dir.Path.c_str(), 1);
        FSavedTypes = SetFileTypeRegistry(TextTypes);
    }
    void TearDown() override {
        SetFileTypeRegistry(FSavedTypes);
        if (FHadState)
            ::setenv("XDG_STATE_HOME", FOldState.c_str(), 1);
        else
            ::unsetenv("XDG_STATE_HOME");
    }
    fs::path Folder() const { return RecoveryDirectory(); }

    TScratchDir Dir;
    TScriptedPrompt Prompt;
    TPromptScope Scope{Prompt};
    TTextKind Kind;

private:
    std::string FOldState;
    bool FHadState = false;
    const TFileTypeCreator* FSavedTypes = nullptr;
};

TEST_F(Recovery, FolderFollowsXdgStateHomeAndFallsBackToHome) {
    EXPECT_EQ(RecoveryDirectory(), Dir.Path + "/kelvo/recovery");
    ::setenv("XDG_STATE_HOME", "relative/ignored", 1);
    const char* home = std::getenv("HOME");
    EXPECT_EQ(RecoveryDirectory(), std::string(home ? home : ".") + "/.local/state/kelvo/recovery");
}

TEST_F(Recovery, OnlyModifiedDocumentsAreCopiedAndTheyKeepTheirFileAndMark) {
    TTextForm modified, unchanged, empty;
    TTextDocument& doc = modified.NewDocument("line one\nline two\n", true);
    unchanged.NewDocument("nothing changed", false);
    const TFileInfo before = doc.Info;

    EXPECT_EQ(WriteRecoveryCopies(), 1);
    const auto files = RecoveredFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(fs::path(files[0]).extension(), ".txt") << "the document's own extension";
    EXPECT_EQ(Slurp(files[0]), "line one\nline two\n") << "the format the document saves in";
    // The copy is not the document's file: a later Save still goes to its own.
    EXPECT_EQ(doc.GetFileName(), "/somewhere/set.txt");
    EXPECT_TRUE(doc.Info.IsModified());
    EXPECT_EQ(doc.Info.Flags, before.Flags);
    EXPECT_TRUE(Prompt.Asked.empty()) << "writing the copies asks nothing";
}

TEST_F(Recovery, ALaterWriteReplacesTheCopiesOfThisRun) {
    TTextForm first, second;
    first.NewDocument("first", true);
    TTextDocument& changing = second.NewDocument("second", true);
    EXPECT_EQ(WriteRecoveryCopies(), 2);
    ASSERT_EQ(RecoveredFiles().size(), 2u);

    // The second window's document was saved meanwhile; the first changed.
    changing.Info.SetModifiedFlag(false);
    static_cast<TTextDocument*>(first.Document())->Text = "first, changed";
    EXPECT_EQ(WriteRecoveryCopies(), 1);
    const auto files = RecoveredFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(Slurp(files[0]), "first, changed");
}

TEST_F(Recovery, AnIncompleteWriteLeavesNothingBehind) {
    TTextDocument doc;
    doc.Text = std::string(200, 'x');
    doc.ThrowAfterChunks = 3;
    fs::create_directories(Folder());
    const std::string path = (Folder() / "broken.txt").string();
    EXPECT_FALSE(WriteRecoveryCopy(doc, path));
    EXPECT_TRUE(fs::is_empty(Folder())) << "neither the copy nor its temporary file";
    // A folder that cannot be written: no copy, no error box.
    EXPECT_FALSE(WriteRecoveryCopy(doc, Dir.Path + "/missing/folder/copy.txt"));
    EXPECT_TRUE(Prompt.Asked.empty());
}

TEST_F(Recovery, NoCopiesNoQuestion) {
    EXPECT_EQ(OfferRecoveredDocuments(), 0);
    EXPECT_TRUE(Prompt.Asked.empty());
    // Half-written copies (hidden) do not count.
    fs::create_directories(Folder());
    std::ofstream(Folder() / ".copy.txt.part") << "half";
    EXPECT_TRUE(RecoveredFiles().empty());
    EXPECT_EQ(OfferRecoveredDocuments(), 0);
    EXPECT_TRUE(Prompt.Asked.empty());
}

TEST_F(Recovery, YesOpensEachCopyAsAnUntitledModifiedDocumentAndRemovesTheCopies) {
    {
        TTextForm a, b;
        a.NewDocument("alpha", true);
        b.NewDocument("beta", true);
        ASSERT_EQ(WriteRecoveryCopies(), 2);
    }
    const std::size_t windowsBefore = TFilesaveForm::Windows().size();
    Prompt.Answers = {IdYes};
    EXPECT_EQ(OfferRecoveredDocuments(), 2);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, RecoveryCaption);
    EXPECT_EQ(Prompt.Asked[0].Text, "Recovered 2 document(s) after an unexpected end. Open them?");
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::YesNo);

    const auto windows = TFilesaveForm::Windows();
    ASSERT_EQ(windows.size(), windowsBefore + 2);
    std::vector<std::string> texts;
    for (std::size_t i = windowsBefore; i < windows.size(); ++i) {
        TFilesaveForm* w = windows[i];
        auto* doc = dynamic_cast<TTextDocument*>(w->Document());
        ASSERT_TRUE(doc);
        texts.push_back(doc->Text);
        EXPECT_TRUE(w->IsModifiedDocument()) << "closing it asks first";
        EXPECT_TRUE(w->IsNewDocument()) << "it has no file: Save asks for a name";
        EXPECT_EQ(w->GetFileName(), "New.txt") << "untitled";
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_TRUE(RecoveredFiles().empty());
    for (std::size_t i = windowsBefore; i < windows.size(); ++i)
        delete windows[i];
}

TEST_F(Recovery, NoDiscardsTheCopies) {
    {
        TTextForm a;
        a.NewDocument("alpha", true);
        ASSERT_EQ(WriteRecoveryCopies(), 1);
    }
    const std::size_t windowsBefore = TFilesaveForm::Windows().size();
    Prompt.Answers = {IdNo};
    EXPECT_EQ(OfferRecoveredDocuments(), 0);
    EXPECT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(TFilesaveForm::Windows().size(), windowsBefore);
    EXPECT_TRUE(RecoveredFiles().empty());
}

} // namespace
} // namespace kelvo
