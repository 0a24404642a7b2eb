#include "filetype/text_document.h"
#include "shell/gui/inihlst.h"
#include "shell/settings/ini_file.h"
#include "support/gui_environment.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include <sys/stat.h>

KELVO_GUI_TEST_ENVIRONMENT("shell_app_tests");

namespace kelvo {
namespace {

using test::Slurp;
using test::TScratchDir;

std::string Path(int n) {
    return "/data/set" + std::to_string(n) + ".dat";
}

QStringList Captions(const QMenu& menu) {
    QStringList captions;
    for (const QAction* a : menu.actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return captions;
}

class IniHlstTest : public ::testing::Test {
protected:
    IniHlstTest() {
        File.addAction(QStringLiteral("&New"));
        File.addSeparator();
        File.addAction(QStringLiteral("Clear Recent Files"));
    }
    TIniHlst& Open() {
        Lists = std::make_unique<TIniHlst>(Ini);
        CreateMainWindowLists(*Lists);
        return *Lists;
    }
    TIniHlstEntry& Recent() { return *Lists->At(HlstRecent); }

    TScratchDir Dir;
    std::string Ini = Dir / "kelvow32.ini";
    std::unique_ptr<TIniHlst> Lists;
    QMenu File;
};

TEST_F(IniHlstTest, TheMainWindowsListsInOrder) {
    Open();
    ASSERT_EQ(Lists->ListCount(), 6);
    const char* names[] = {"Recent", "OpenDir", "SaveDir", "SourceDir", "TargetDir", "AuxFile"};
    const int maxima[] = {9, 1, 1, 6, 6, 6};
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(Lists->At(i)->Name(), names[i]);
        EXPECT_EQ(Lists->At(i)->Maximum(), maxima[i]);
        EXPECT_TRUE(Lists->At(i)->Normalises());
    }
    EXPECT_EQ(Lists->At(6), nullptr);
    EXPECT_EQ(Lists->At(-1), nullptr);
    EXPECT_EQ(Lists->SectionName(), "kelvow32");
}

TEST_F(IniHlstTest, TenthFileDropsTheOldestAndTheMenuShowsNine) {
    Open();
    Recent().Attach(&File, {});
    for (int n = 1; n <= 10; ++n)
        Recent().Add(Path(n));
    EXPECT_EQ(Recent().Count(), 9);
    EXPECT_EQ(Recent().Entry(0), Path(10));
    EXPECT_EQ(Recent().Entry(8), Path(2));
    EXPECT_EQ(Recent().Entry(9), "");
    EXPECT_EQ(Recent().Entry(-1), "");
    const QStringList captions = Captions(File);
    ASSERT_EQ(captions.size(), 3 + 1 + 9);
    EXPECT_EQ(captions[3], "-");
    EXPECT_EQ(captions[4], "&1 /data/set10.dat");
    EXPECT_EQ(captions[12], "&9 /data/set2.dat");
}

TEST_F(IniHlstTest, ReAddingMovesToTheTopWithoutDuplicates) {
    Open();
    Recent().Attach(&File, {});
    Recent().Add(Path(1));
    Recent().Add(Path(2));
    Recent().Add(Path(3));
    Recent().Add("  " + Path(1) + " ");
    ASSERT_EQ(Recent().Count(), 3);
    EXPECT_EQ(Recent().Entry(0), Path(1));
    EXPECT_EQ(Recent().Entry(1), Path(3));
    EXPECT_EQ(Recent().Entry(2), Path(2));
    EXPECT_EQ(Captions(File).mid(3),
              (QStringList{"-", "&1 /data/set1.dat", "&2 /data/set3.dat", "&3 /data/set2.dat"}));
}

TEST_F(IniHlstTest, LetterCaseMakesADifferentFile) {
    Open();
    Recent().Add("/data/Set.dat");
    Recent().Add("/data/set.dat");
    EXPECT_EQ(Recent().Count(), 2);
    Recent().Remove("/data/SET.DAT");
    EXPECT_EQ(Recent().Count(), 2);
    Recent().Remove(" /data/Set.dat ");
    ASSERT_EQ(Recent().Count(), 1);
    EXPECT_EQ(Recent().Entry(0), "/data/set.dat");
}

TEST_F(IniHlstTest, ClearRemovesEntriesAndTheirSeparator) {
    Open();
    Recent().Attach(&File, {});
    Recent().Add(Path(1));
    Recent().Add(Path(2));
    ASSERT_EQ(File.actions().size(), 3 + 1 + 2);
    Recent().Clear();
    EXPECT_EQ(Captions(File), (QStringList{"&New", "-", "Clear Recent Files"}));
    // Adding again brings the separator back once.
    Recent().Add(Path(3));
    EXPECT_EQ(Captions(File).mid(3), (QStringList{"-", "&1 /data/set3.dat"}));
    Recent().Remove(Path(3));
    EXPECT_EQ(Captions(File), (QStringList{"&New", "-", "Clear Recent Files"}));
}

TEST_F(IniHlstTest, AMenuEntryClickGivesItsText) {
    Open();
    std::vector<std::string> clicked;
    Recent().Attach(&File, [&](QAction* a) { clicked.push_back(TIniHlstEntry::EntryText(a)); });
    Recent().Add("/data/R&D notes.dat");
    Recent().Add(Path(1));
    QAction* second = File.actions().last();
    EXPECT_EQ(second->text(), "&2 /data/R&&D notes.dat");
    second->trigger();
    File.actions()[4]->trigger();
    EXPECT_EQ(clicked, (std::vector<std::string>{"/data/R&D notes.dat", Path(1)}));
}

TEST_F(IniHlstTest, AttachByMenuBarIndex) {
    Open();
    QMenuBar bar;
    bar.addMenu(&File);
    QMenu* edit = bar.addMenu(QStringLiteral("&Edit"));
    Recent().Add(Path(1));
    Recent().Attach(&bar, 1, {});
    EXPECT_EQ(Recent().Menu(), edit);
    EXPECT_EQ(Captions(*edit), (QStringList{"-", "&1 /data/set1.dat"}));
    Recent().Attach(&bar, 5, {});
    EXPECT_EQ(Recent().Menu(), nullptr);
}

TEST_F(IniHlstTest, ListsLongerThanNineKeepTheirOwnMenuEntries) {
    Open();
    TIniHlstEntry& many = *Lists->At(Lists->Create("Many", 12, true));
    many.Attach(&File, {});
    for (int n = 1; n <= 12; ++n)
        many.Add(Path(n));
    many.Add(Path(12));
    const QStringList captions = Captions(File);
    ASSERT_EQ(captions.size(), 3 + 1 + 12);
    EXPECT_EQ(captions[4], "&1 /data/set12.dat");
    EXPECT_EQ(captions[13], "&10 /data/set3.dat");
    EXPECT_EQ(captions[15], "&12 /data/set1.dat");
}

TEST_F(IniHlstTest, SaveAndLoadKeepTheOrder) {
    Open();
    Recent().Add(Path(1));
    Recent().Add("/data/with, comma; and = sign.dat");
    Recent().Add("/data/Ümlaut.dat");
    Lists->At(HlstOpenDir)->Add("/data");
    Lists->Save();
    Lists.reset();
    const std::string text = Slurp(Ini);
    EXPECT_NE(text.find("[kelvow32]"), std::string::npos);
    EXPECT_NE(text.find("Recent0=/data/Ümlaut.dat"), std::string::npos);
    EXPECT_NE(text.find("OpenDir0=/data"), std::string::npos);

    Open();
    Lists->Load();
    ASSERT_EQ(Recent().Count(), 3);
    EXPECT_EQ(Recent().Entry(0), "/data/Ümlaut.dat");
    EXPECT_EQ(Recent().Entry(1), "/data/with, comma; and = sign.dat");
    EXPECT_EQ(Recent().Entry(2), Path(1));
    EXPECT_EQ(Lists->At(HlstOpenDir)->Entry(0), "/data");
}

TEST_F(IniHlstTest, StoredListWithGapsLoadsInItsOrder) {
    {
        std::ofstream out(Ini);
        out << "[kelvow32]\nRecent0=/a/first.dat\nRecent2=/a/third.dat\nRecent5=\n"
               "Recent9=/a/beyond.dat\nSourceDir3=/src\n";
    }
    Open();
    Lists->Load();
    ASSERT_EQ(Recent().Count(), 2);
    EXPECT_EQ(Recent().Entry(0), "/a/first.dat");
    EXPECT_EQ(Recent().Entry(1), "/a/third.dat");
    EXPECT_EQ(Lists->At(HlstSourceDir)->Entry(0), "/src");
    // Saving renumbers without gaps and keeps the lists the program never changes.
    Lists->Save();
    const std::string text = Slurp(Ini);
    EXPECT_NE(text.find("Recent1=/a/third.dat"), std::string::npos);
    EXPECT_EQ(text.find("Recent2"), std::string::npos);
    EXPECT_EQ(text.find("beyond"), std::string::npos);
    EXPECT_NE(text.find("SourceDir0=/src"), std::string::npos);
}

TEST_F(IniHlstTest, MissingFileOrSectionGivesEmptyLists) {
    Open();
    Lists->Load();
    Lists->Load("Elsewhere");
    for (int i = 0; i < Lists->ListCount(); ++i)
        EXPECT_EQ(Lists->At(i)->Count(), 0);
}

TEST_F(IniHlstTest, SavingLeavesOtherSectionsAndReplacesTheFileByRenaming) {
    {
        std::ofstream out(Ini);
        out << "[KelvoWin]\nLastCOM=4\n\n[kelvow32]\nRecent0=/old.dat\nRecent1=/older.dat\n";
    }
    struct stat before {};
    ASSERT_EQ(stat(Ini.c_str(), &before), 0);
    Open();
    Recent().Add(Path(7));
    Lists->Save();
    struct stat after {};
    ASSERT_EQ(stat(Ini.c_str(), &after), 0);
    // A new file took the old one's place: a crash while writing leaves the
    // old file whole.
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(Lists->IniFile().status(), QSettings::NoError);
    const std::string text = Slurp(Ini);
    EXPECT_NE(text.find("LastCOM=4"), std::string::npos);
    // Loading was not asked for: the stored entries are gone with the section.
    EXPECT_EQ(text.find("/old.dat"), std::string::npos);
    EXPECT_NE(text.find("Recent0=/data/set7.dat"), std::string::npos);
    // Neither the temporary file nor a lock file is left behind.
    EXPECT_EQ(Dir.Names(), std::vector<std::string>{"kelvow32.ini"});
}

TEST_F(IniHlstTest, AFileInAFolderNotYetThereIsCreatedWithIt) {
    // As for ~/.config/kelvo/kelvow32.ini on the first run of an installed copy.
    Ini = Dir / "config/kelvo/kelvow32.ini";
    Open();
    Recent().Add(Path(1));
    Lists->Save();
    EXPECT_EQ(Lists->IniFile().status(), QSettings::NoError);
    EXPECT_NE(Slurp(Ini).find("Recent0=/data/set1.dat"), std::string::npos);
}

TEST_F(IniHlstTest, ProgramWideInstanceUsesTheChosenFile) {
    SetIniFileName(Ini);
    TIniHlst& lists = IniHlst();
    EXPECT_EQ(&lists, &IniHlst());
    EXPECT_EQ(lists.IniFileName(), Ini);
    CreateMainWindowLists(lists);
    lists.At(HlstRecent)->Add(Path(1));
    lists.Save();
    CloseIniHlst();
    SetIniFileName({});
    EXPECT_NE(Slurp(Ini).find("Recent0=/data/set1.dat"), std::string::npos);
}

} // namespace
} // namespace kelvo
