#include "foundation/filetype/filecounts.h"

#include "foundation/filetype/fileaccess.h"
#include "support/file_size_limit.h"
#include "support/scripted_prompt.h"
#include "text_document.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

class SafeWriting : public testing::Test {
protected:
    TScratchDir Dir;
    TScriptedPrompt Script;
    TPromptScope Scope{Script};
    TTextDocument Doc;

    // Saves Doc the way the document window does: by name, through the type.
    void Save(TFileAccess& access, const std::string& name, int presetAnswer = 0) {
        access.Writer.Init(nullptr, name);
        access.Writer.ReplaceAnswer = presetAnswer;
        Doc.Write(access);
    }
};

const std::string OldContent = "old content that must survive";

} // namespace

TEST_F(SafeWriting, NewFileIsWrittenWithoutQuestionOrBackup) {
    TFileAccess access("Save File As");
    Doc.Text = "hello world";
    Save(access, Dir / "new.dat");

    EXPECT_TRUE(Script.Asked.empty());
    EXPECT_EQ(Slurp(Dir / "new.dat"), "hello world");
    EXPECT_EQ(Dir.Names(), std::vector<std::string>{"new.dat"});
    EXPECT_EQ(access.Writer.FileCount, 1);
    EXPECT_EQ(access.Writer.TotalBytes, 11);
    EXPECT_EQ(access.Writer.ErrorCount, 0);
    EXPECT_TRUE(Doc.Info.Has(TFileInfo::OnDisk));
    EXPECT_EQ(Doc.Info.Name, Dir / "new.dat");
    EXPECT_EQ(Doc.Info.Size(), 11u);
}

TEST_F(SafeWriting, ReplacingAsksAndKeepsTheOldFileAsBackup) {
    Spit(Dir / "pump.dat", OldContent);
    Spit(Dir / "pump.~dat", "an older backup");
    ::chmod((Dir / "pump.dat").c_str(), 0640);
    TFileAccess access("Save File As");
    Doc.Text = "new content";
    Script.Answers = {IdYes};
    Save(access, Dir / "pump.dat");

    ASSERT_EQ(Script.Asked.size(), 1u);
    EXPECT_EQ(Script.Asked[0].Caption, "Save File As");
    EXPECT_EQ(Script.Asked[0].Text, "File \"" + Dir / "pump.dat" + "\"\nexists! Replace?");
    EXPECT_EQ(Script.Asked[0].Icon, TPromptIcon::Question);
    EXPECT_EQ(Script.Asked[0].Buttons, TPromptButtons::YesNoCancel);
    EXPECT_EQ(access.Writer.ReplaceAnswer, IdYes);
    EXPECT_EQ(Slurp(Dir / "pump.dat"), "new content");
    EXPECT_EQ(Slurp(Dir / "pump.~dat"), OldContent);
    EXPECT_FALSE(Dir.HasTempFile());
    // The new file stands in for the old one, permissions included.
    struct stat st {};
    ASSERT_EQ(::stat((Dir / "pump.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SafeWriting, DeclinedOrPresetAnswers) {
    Spit(Dir / "pump.dat", OldContent);
    Doc.Text = "new content";
    // No and Cancel to the question, then 11 that refuses without asking.
    Script.Answers = {IdNo, IdCancel};
    for (int preset : {0, 0, TFileCounts::NeverReplace}) {
        TFileAccess access("Save File As");
        Save(access, Dir / "pump.dat", preset);
        EXPECT_EQ(access.Writer.DeclinedCount, 1);
        EXPECT_EQ(access.Writer.ErrorCount, 0);
    }
    EXPECT_EQ(Script.Asked.size(), 2u);
    EXPECT_EQ(Slurp(Dir / "pump.dat"), OldContent);
    EXPECT_EQ(Dir.Names(), std::vector<std::string>{"pump.dat"});

    // 13 replaces without asking.
    TFileAccess access("Save File");
    Save(access, Dir / "pump.dat", TFileCounts::ReplaceWithoutAsking);
    EXPECT_EQ(Script.Asked.size(), 2u);
    EXPECT_EQ(access.Writer.FileCount, 1);
    EXPECT_EQ(Slurp(Dir / "pump.dat"), "new content");
    EXPECT_EQ(Slurp(Dir / "pump.~dat"), OldContent);
    EXPECT_FALSE(Dir.HasTempFile());
}

TEST_F(SafeWriting, ReadOnlyTargetOrBackupIsRefused) {
    Doc.Text = "new content";
    Spit(Dir / "locked.dat", OldContent);
    ::chmod((Dir / "locked.dat").c_str(), 0444);
    Spit(Dir / "file.dat", OldContent);
    Spit(Dir / "file.~dat", "backup");
    ::chmod((Dir / "file.~dat").c_str(), 0444);

    TFileAccess access("Save File");
    Save(access, Dir / "locked.dat", TFileCounts::ReplaceWithoutAsking);
    Save(access, Dir / "file.dat", TFileCounts::ReplaceWithoutAsking);

    ASSERT_EQ(Script.Asked.size(), 2u);
    EXPECT_EQ(Script.Asked[0].Text,
              "File \"" + Dir / "locked.dat" + "\"\nalready exists and is read-only!");
    EXPECT_EQ(Script.Asked[1].Text,
              "File \"" + Dir / "file.~dat" + "\"\nalready exists and is read-only!");
    EXPECT_EQ(Script.Asked[1].Icon, TPromptIcon::Error);
    EXPECT_EQ(Script.Asked[1].Buttons, TPromptButtons::Ok);
    EXPECT_EQ(access.Writer.TotalBytes, 0);
    EXPECT_EQ(access.Writer.DeclinedCount, 0);
    EXPECT_EQ(Slurp(Dir / "locked.dat"), OldContent);
    EXPECT_EQ(Slurp(Dir / "file.dat"), OldContent);
    EXPECT_EQ(Slurp(Dir / "file.~dat"), "backup");
    EXPECT_FALSE(Dir.HasTempFile());
}

TEST_F(SafeWriting, ExceptionWhileWritingLeavesTheOldFile) {
    Spit(Dir / "pump.dat", OldContent);
    Doc.Text = std::string(100, 'x');
    Doc.ThrowAfterChunks = 2;
    TFileAccess access("Save File");
    EXPECT_THROW(Save(access, Dir / "pump.dat", TFileCounts::ReplaceWithoutAsking),
                 std::runtime_error);
    EXPECT_FALSE(Dir.HasTempFile()); // gone before the access ends
    EXPECT_EQ(Slurp(Dir / "pump.dat"), OldContent);
    EXPECT_EQ(Dir.Names(), std::vector<std::string>{"pump.dat"});
    EXPECT_EQ(access.Writer.TotalBytes, 0);
}

TEST_F(SafeWriting, WriteTheDiskCannotTakeLeavesTheOldFile) {
    Spit(Dir / "pump.dat", OldContent);
    Spit(Dir / "pump.~dat", "older backup");
    Doc.Text = std::string(4000, 'x');
    Doc.Info.SetModified(TFileInfo::UndeterminedSize);
    TFileAccess access("Save File");
    {
        TFileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Active);
        Save(access, Dir / "pump.dat", TFileCounts::ReplaceWithoutAsking);
    }
    EXPECT_EQ(access.Writer.LastCount, 0);
    EXPECT_EQ(access.Writer.TotalBytes, 0);
    EXPECT_EQ(access.Writer.FileCount, 0);
    EXPECT_EQ(access.Writer.ErrorCount, 1);
    EXPECT_EQ(Slurp(Dir / "pump.dat"), OldContent);
    EXPECT_EQ(Slurp(Dir / "pump.~dat"), "older backup");
    EXPECT_FALSE(Dir.HasTempFile());
    // The document still knows it holds unsaved changes.
    EXPECT_TRUE(Doc.Info.IsModified());
    EXPECT_FALSE(Doc.Info.Has(TFileInfo::OnDisk));
}

TEST_F(SafeWriting, AllowedWriteOfNothingCountsAnErrorAndKeepsTheFile) {
    Spit(Dir / "pump.dat", OldContent);
    TFileAccess access("Save File");
    Doc.Text.clear();
    Save(access, Dir / "pump.dat", TFileCounts::ReplaceWithoutAsking);
    EXPECT_EQ(access.Writer.ErrorCount, 1);
    EXPECT_EQ(access.Writer.FileCount, 0);
    EXPECT_EQ(Slurp(Dir / "pump.dat"), OldContent);
    EXPECT_EQ(Dir.Names(), std::vector<std::string>{"pump.dat"});

    access.Writer.ShowWriteError();
    ASSERT_EQ(Script.Asked.size(), 1u);
    EXPECT_EQ(Script.Asked[0].Caption, "Save File");
    EXPECT_EQ(Script.Asked[0].Text,
              "File \"" + Dir / "pump.dat" +
                  "\"\ncould not be written!\nDrive is full or write protected!");
    EXPECT_EQ(access.Writer.WriteErrorAnswer, IdOk);
}

bool IsLink(const std::string& path) {
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path));
}

std::string LinkText(const std::string& path) {
    return std::filesystem::read_symlink(path).string();
}

std::vector<std::string> NamesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(directory))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A save through a link writes the file the link leads to, as any other
// program writing through the link would; the link itself stays.
TEST_F(SafeWriting, SavingOntoALinkReplacesTheFileItLeadsTo) {
    std::filesystem::create_directory(Dir / "real");
    Spit(Dir / "real/pump.dat", OldContent);
    ::chmod((Dir / "real/pump.dat").c_str(), 0640);
    std::filesystem::create_symlink("real/pump.dat", Dir / "link.dat");
    std::filesystem::create_symlink("link.dat", Dir / "chain.dat");
    Doc.Text = "new content";
    TFileAccess access("Save File As");
    Script.Answers = {IdYes};
    Save(access, Dir / "chain.dat");

    ASSERT_EQ(Script.Asked.size(), 1u);
    EXPECT_EQ(Script.Asked[0].Text, "File \"" + Dir / "chain.dat" + "\"\nexists! Replace?");
    EXPECT_EQ(access.Writer.FileCount, 1);
    ASSERT_TRUE(IsLink(Dir / "chain.dat"));
    ASSERT_TRUE(IsLink(Dir / "link.dat"));
    EXPECT_EQ(LinkText(Dir / "chain.dat"), "link.dat");
    EXPECT_EQ(LinkText(Dir / "link.dat"), "real/pump.dat");
    EXPECT_EQ(Slurp(Dir / "real/pump.dat"), "new content");
    EXPECT_EQ(Slurp(Dir / "real/pump.~dat"), OldContent);
    EXPECT_EQ(Dir.Names(), (std::vector<std::string>{"chain.dat", "link.dat", "real"}));
    EXPECT_EQ(NamesIn(Dir / "real"), (std::vector<std::string>{"pump.dat", "pump.~dat"}));
    struct stat st {};
    ASSERT_EQ(::stat((Dir / "real/pump.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // The document keeps the name the user gave.
    EXPECT_EQ(Doc.Info.Name, Dir / "chain.dat");

    // A link whose file is missing leads to where the new file goes.
    std::filesystem::create_symlink(Dir / "real/new.dat", Dir / "ahead.dat");
    TFileAccess again("Save File As");
    Save(again, Dir / "ahead.dat");
    EXPECT_EQ(again.Writer.FileCount, 1);
    ASSERT_TRUE(IsLink(Dir / "ahead.dat"));
    EXPECT_EQ(Slurp(Dir / "real/new.dat"), "new content");
    EXPECT_EQ(NamesIn(Dir / "real"),
              (std::vector<std::string>{"new.dat", "pump.dat", "pump.~dat"}));
}

// Whatever is not a plain file at the target name is left exactly as it is.
TEST_F(SafeWriting, ATargetThatIsNoFileIsRefusedWithTheWriteError) {
    std::filesystem::create_directory(Dir / "folder.dat");
    Spit(Dir / "folder.dat/inside", OldContent);
    ASSERT_EQ(::mkfifo((Dir / "pipe.dat").c_str(), 0600), 0);
    std::filesystem::create_symlink("folder.dat", Dir / "tofolder.dat");
    std::filesystem::create_symlink("loop2.dat", Dir / "loop1.dat");
    std::filesystem::create_symlink("loop1.dat", Dir / "loop2.dat");
    // A backup name that is a directory cannot take the old file either.
    Spit(Dir / "kept.dat", OldContent);
    std::filesystem::create_directory(Dir / "kept.~dat");
    const auto before = Dir.Names();
    Doc.Text = "new content";

    const std::vector<std::string> names = {"folder.dat", "pipe.dat", "tofolder.dat", "loop1.dat",
                                            "kept.dat"};
    for (const std::string& name : names) {
        for (int preset : {0, TFileCounts::ReplaceWithoutAsking}) {
            Script.Asked.clear();
            TFileAccess access("Save File");
            Save(access, Dir / name, preset);
            ASSERT_EQ(Script.Asked.size(), 1u) << name;
            EXPECT_EQ(Script.Asked[0].Text, "File \"" + Dir / name +
                                                "\"\ncould not be written!\nDrive is full or "
                                                "write protected!")
                << name;
            EXPECT_EQ(access.Writer.WriteErrorAnswer, IdOk) << "the window shows it only once";
            EXPECT_EQ(access.Writer.TotalBytes, 0);
            EXPECT_EQ(access.Writer.FileCount, 0);
        }
    }
    EXPECT_EQ(Dir.Names(), before);
    EXPECT_TRUE(std::filesystem::is_directory(Dir / "folder.dat"));
    EXPECT_EQ(Slurp(Dir / "folder.dat/inside"), OldContent);
    EXPECT_TRUE(std::filesystem::is_fifo(Dir / "pipe.dat"));
    EXPECT_TRUE(IsLink(Dir / "tofolder.dat"));
    EXPECT_EQ(Slurp(Dir / "kept.dat"), OldContent);
    EXPECT_TRUE(std::filesystem::is_empty(Dir / "kept.~dat"));
    EXPECT_FALSE(Doc.Info.Has(TFileInfo::OnDisk));
}

TEST(FileReading, MissingOrUnreadableFileIsReported) {
    TScratchDir dir;
    TScriptedPrompt script;
    TPromptScope scope(script);
    std::filesystem::create_directory(dir / "folder.dat");
    for (const std::string& name : {dir / "missing.dat", dir / "folder.dat"}) {
        TFileAccess access("Open File");
        access.Reader.Init(nullptr, name);
        EXPECT_FALSE(access.OpenRead());
        EXPECT_EQ(access.Reader.ReadErrorAnswer, IdOk);
        ASSERT_FALSE(script.Asked.empty());
        EXPECT_EQ(script.Asked.back().Caption, "Open File");
        EXPECT_EQ(script.Asked.back().Text, "File \"" + name + "\"\ncould not be read!");
        EXPECT_EQ(script.Asked.back().Icon, TPromptIcon::Error);
    }
}
