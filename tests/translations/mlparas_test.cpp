#include "translations/mlparas.h"
#include "translations/mlselect.h"
#include "translations/mltext.h"
#include "translations/mltoken.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kelvo {
namespace {

namespace fs = std::filesystem;

class TTranslationDir : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kelvo-tr-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Dir = pattern;
    }
    void TearDown() override { fs::remove_all(Dir); }

    void Write(const std::string& name, const std::string& text) {
        std::ofstream(Dir / name, std::ios::binary) << text;
    }
    std::vector<std::string> Names(const TMlparas& paras) {
        std::vector<std::string> names;
        for (const TMlpara& p : paras)
            names.push_back(p.Name() + "@" + p.FileName());
        return names;
    }

    fs::path Dir;
};

std::string Entry(const std::string& category, const std::string& source,
                  const std::string& translation) {
    return category + "\r\n\"" + source + "\"\r\n=\r\n\"" + translation + "\"\r\n\r\n";
}

TEST_F(TTranslationDir, ReadsMatchingFilesInNameOrder) {
    const std::string para = Entry("T", "a", "b");
    Write("b.lng", "[b]\r\n" + para);
    Write("a.lx", "[a]\r\n" + para);
    Write("c.txt", "[c]\r\n" + para);
    Write("d.l", "[d]\r\n" + para);
    Write("e.dat.lng", "[e]\r\n" + para);
    fs::create_directory(Dir / "f.lng");
    fs::create_symlink(Dir / "missing", Dir / "g.lng");

    TMlparas paras;
    EXPECT_EQ(paras.Load(Dir.string()), 4);
    EXPECT_EQ(Names(paras),
              (std::vector<std::string>{"a@a.lx", "b@b.lng", "d@d.l", "e@e.dat.lng"}));
    EXPECT_EQ(paras.At(4), nullptr);
    EXPECT_EQ(paras.At(-1), nullptr);
}

TEST_F(TTranslationDir, AFileStopsAtItsFirstBadOrEmptyParagraph) {
    Write("1.lng", "[one]\r\n" + Entry("T", "a", "1") + //
                       "[empty]\r\n[never]\r\n" + Entry("T", "a", "2"));
    Write("2.lng", "[two]\r\n" + Entry("T", "a", "3") + //
                       "[broken]\r\n" + Entry("T", "a", "4") + "TT\r\n" + "[never]\r\n" +
                       Entry("T", "a", "5"));
    Write("3.lng", "[three]\r\n" + Entry("T", "a", "6") + "[cut]\r\nT\r\n\"a\"\r\n=\r\n\"7\"");
    Write("4.lng", "");

    TMlparas paras;
    EXPECT_EQ(paras.Load(Dir.string()), 3);
    EXPECT_EQ(Names(paras), (std::vector<std::string>{"one@1.lng", "two@2.lng", "three@3.lng"}));
}

// A document of a few visible texts whose misses are counted as a document does.
struct TDocumentTexts {
    std::vector<TMltext> Texts;
    int Calls = 0;
    TMlcoverage Coverage() {
        return [this](const TMlpara& p) {
            ++Calls;
            int misses = 0;
            for (TMltext& t : Texts)
                if (t.LookUp(&p) < 0)
                    ++misses;
            return misses;
        };
    }
};

TEST_F(TTranslationDir, SelectsTheFirstParagraphThatCoversEveryText) {
    Write("a.lng", "[English]\r\n" + Entry("T", "Speed", "Speed") +     //
                       "[Deutsch]\r\n" + Entry("T", "Speed", "Tempo") + // misses "TMode"
                       Entry("C", "|Off|On", "|Aus|An") + "[Deutsch]\r\n" +
                       Entry("T", "Speed", "Drehzahl") + Entry("T", "Mode", "") +
                       Entry("C", "|Off|On", "|Aus|Ein"));
    TMlparas paras;
    ASSERT_EQ(paras.Load(Dir.string()), 3);

    TDocumentTexts doc{{TMltext("TSpeed"), TMltext("TMode"), TMltext("C|Off|On")}};
    EXPECT_EQ(SelectTranslation(paras, "Deutsch", doc.Coverage()), 2);
    const TMlpara* table = GetTranslationTable(paras, 2);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(doc.Texts[0].DisplayText(table), "Drehzahl");
    EXPECT_EQ(doc.Texts[1].DisplayText(table), "Mode"); // empty translation
    EXPECT_EQ(doc.Texts[2].DisplayText(table), "|Aus|Ein");

    EXPECT_EQ(SelectTranslation(paras, "English", doc.Coverage()), -1);
    EXPECT_EQ(SelectTranslation(paras, "deutsch", doc.Coverage()), -1);
    doc.Calls = 0;
    EXPECT_EQ(SelectTranslation(paras, NoTranslationsLanguage, doc.Coverage()), -1);
    EXPECT_EQ(doc.Calls, 0);
    // Hiding the line with "Mode" lets the first German paragraph cover it.
    doc.Texts.erase(doc.Texts.begin() + 1);
    EXPECT_EQ(SelectTranslation(paras, "Deutsch", doc.Coverage()), 1);
}

TEST_F(TTranslationDir, ADocumentSelectsAgainOnlyForANewLanguage) {
    Write("a.lng", "[Deutsch]\r\n" + Entry("T", "Speed", "Tempo"));
    TMlparas paras;
    ASSERT_EQ(paras.Load(Dir.string()), 1);
    TDocumentTexts doc{{TMltext("TSpeed")}};

    TMlselection selection(paras);
    EXPECT_EQ(selection.GetTranslationTable(), nullptr);
    selection.SetLanguage("Deutsch", doc.Coverage());
    EXPECT_EQ(selection.GetTranslationTable(), paras.At(0));
    selection.SetLanguage("Deutsch", doc.Coverage());
    EXPECT_EQ(doc.Calls, 1);
    selection.SetLanguage(NoTranslationsLanguage, doc.Coverage());
    EXPECT_EQ(selection.GetTranslationTable(), nullptr);
}

TEST(ShippedTranslations, TheDemonstrationFileLoadsWithoutError) {
    const std::vector<std::string> files = TranslationFiles(KELVO_TEST_DATA_DIR);
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) {
        TMlparas paras;
        int end = 0;
        EXPECT_GE(paras.LoadFile(file, &end), 2) << file;
        EXPECT_EQ(end, MlEndOfInput) << file;
    }
}

} // namespace
} // namespace kelvo
