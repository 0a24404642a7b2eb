#include "foundation/mediastm.h"
#include "foundation/stream.h"
#include "translations/mlpara.h"
#include "translations/mltext.h"
#include "translations/mltoken.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvo {
namespace {

// Reads paragraphs from text the way a translation file is read.
class TParagraphSource {
public:
    explicit TParagraphSource(const std::string& text) : FLines(FStream) {
        FStream.WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));
        FStream.SetPosition(0);
        FLines.Resize(123);
    }
    int Read(TMlpara& paragraph) { return paragraph.Read(FLines, "/opt/kelvo/demo.lng"); }

private:
    TMemoryStream FStream;
    TTrueStreamBuffer FLines;
};

int ReadFirst(const std::string& text) {
    TParagraphSource source(text);
    TMlpara paragraph;
    return source.Read(paragraph);
}

const std::string GermanParagraph = "; demonstration\r\n"
                                    "[Deutsch]\r\n"
                                    "T\r\n"
                                    "\"Speed\"\r\n"
                                    "=\r\n"
                                    "\"Geschwindigkeit\"\r\n"
                                    "\r\n"
                                    "C\r\n"
                                    "\"|Off\"\r\n"
                                    "\"|On\"\r\n"
                                    "= ; two source lines, two translation lines\r\n"
                                    "\"|Aus\"\r\n"
                                    "\"|Ein\"\r\n";

TEST(MlparaRead, ReadsEntriesJoiningTheirLines) {
    TParagraphSource source(GermanParagraph);
    TMlpara p;
    ASSERT_EQ(source.Read(p), 2);
    EXPECT_EQ(p.Name(), "Deutsch");
    EXPECT_EQ(p.FileName(), "demo.lng");
    EXPECT_STREQ(p.Source(0), "C|Off|On");
    EXPECT_STREQ(p.Translation(0), "|Aus|Ein");
    EXPECT_STREQ(p.Source(1), "TSpeed");
    EXPECT_STREQ(p.Translation(1), "Geschwindigkeit");
    EXPECT_EQ(p.FirstLine(), 2);
    // The file ends right after the last translation line (13): the count of
    // lines read then is one short of it.
    EXPECT_EQ(p.LastLine(), 12);

    TMlpara next;
    EXPECT_EQ(source.Read(next), MlEndOfInput);
}

TEST(MlparaRead, LineNumbersAndTheNextHeader) {
    TParagraphSource source("[A]\r\n"
                            "T\r\n\"x\"\r\n=\r\n\"y\"\r\n"
                            "\r\n"
                            "[B]\r\n"
                            "T\r\n\"x\"\r\n=\r\n\"z\"\r\n"
                            "[C]\r\n" // consumed as the end of the translation
                            "T\r\n\"w\"\r\n=\r\n\"v\"\r\n"
                            ";\r\n");
    TMlpara a, b, c;
    ASSERT_EQ(source.Read(a), 1);
    EXPECT_EQ(a.FirstLine(), 1);
    EXPECT_EQ(a.LastLine(), 5);
    // The header that ended A is read again as B's header.
    ASSERT_EQ(source.Read(b), 2);
    EXPECT_EQ(b.Name(), "B");
    EXPECT_EQ(b.FirstLine(), 7);
    EXPECT_EQ(b.LastLine(), 16);
    EXPECT_EQ(b.Find("Tw"), 0);
    EXPECT_EQ(source.Read(c), MlEndOfInput);
}

TEST(MlparaRead, EveryMalformedParagraphGivesItsCode) {
    const std::string entry = "[de]\r\nT\r\n";
    const struct {
        std::string Text;
        int Code;
    } cases[] = {
        {"", MlEndOfInput},
        {"\r\n; nothing but comments\r\n", MlEndOfInput},
        {"T\r\n", MlBadHeader},
        {"[]\r\n", MlBadHeader},
        {"[de\r\n", MlBadHeader},
        {"[de] x\r\n", MlJunkAfterToken},
        {"[de]\r\nTX\r\n", MlBadCategory},
        {"[de]\r\n\"Speed\"\r\n", MlBadCategory},
        {entry + "=\r\n\"x\"\r\n", MlNoSource},
        {entry + "\r\n\"a\"\r\n", MlBadSource},
        {entry + "; comment\r\n", MlBadSource},
        {entry + "\"\"\r\n", MlBadSource},
        {entry + "Speed\r\n", MlBadSource},
        {entry + "\"a\r\n", MlBadLine},
        {entry + "\"a\"\r\n", MlEndOfInput}, // the file ends inside the entry
        {entry + "\"a\"\r\n=\r\n\r\n", MlNoTranslation},
        {entry + "\"a\"\r\n=\r\n", MlNoTranslation},
        {entry + "\"a\"\r\n=\r\nGeschwindigkeit\r\n", MlNoTranslation},
        {entry + "\"a\"\r\n=\r\n\"\"\r\n\"\"\r\n", MlEmptyContinuation},
        {entry + "\"a\"\r\n=\r\n\"x\"\r\n\"\"\r\n", MlEmptyContinuation},
        {entry + "\"a\"\r\n=\r\n\"x\"\r\n \"y\" z\r\n", MlJunkAfterToken},
        {entry + "\"a\"\r\n=\r\n\"x\"", MlBadLine},              // last line without CR LF
        {entry + "\"a\"\n=\n\"x\"\n", MlBadLine},                // LF alone ends no line
        {entry + "\"a\"\r\n=\r\n\"x\"\n\r\n", MlJunkAfterToken}, // nor is it a blank
        {entry + "\"a\"\r\n=\r\n\"x\"\r\n\r\nT\r\n\"b\"\r\n=\r\n\r\n", MlNoTranslation},
        {std::string("[de]\r\nT\r\n\"a\0b\"\r\n", 16), MlBadLine},
        // Lines of more than 120 characters, and text without any terminator.
        {"[" + std::string(119, 'x') + "]\r\n", MlBadLine},
        {"[de]\r\n" + std::string(5000, 'x'), MlBadLine},
        // "T" of a second entry ends the first translation and is lost, so the
        // next source line stands where a category is expected.
        {entry + "\"a\"\r\n=\r\n\"b\"\r\nT\r\n\"c\"\r\n=\r\n\"d\"\r\n", MlBadCategory},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadFirst(c.Text), c.Code) << "text: " << c.Text;
}

TEST(MlparaRead, ALineOf120CharactersIsRead) {
    const std::string longest = "\"" + std::string(118, 'x') + "\"";
    EXPECT_EQ(ReadFirst("[de]\r\nT\r\n\"a\"\r\n=\r\n" + longest + "\r\n"), 1);
}

TEST(MlparaFind, SortedByUnsignedBytesAndExact) {
    TParagraphSource source("[de]\r\n"
                            "T\r\n\"zeta\"\r\n=\r\n\"Z\"\r\n\r\n"
                            "T\r\n\"\x81"
                            "ber\"\r\n=\r\n\"U\"\r\n\r\n"
                            "C\r\n\"|a\"\r\n=\r\n\"|b\"\r\n\r\n"
                            "T\r\n\"Alpha\"\r\n=\r\n\"A\"\r\n\r\n"
                            "T\r\n\"Empty\"\r\n=\r\n\"\"\r\n\r\n"
                            "T\r\n\"Alph\"\r\n=\r\n\"P\"\r\n\"Q\"\r\n");
    TMlpara p;
    ASSERT_EQ(source.Read(p), 6);
    for (int i = 0; i < p.Count(); ++i) {
        const bool emptyTranslation = *p.Translation(i) == '\0';
        EXPECT_EQ(p.Find(p.Source(i)), emptyTranslation ? MltextEmptyTranslation : i);
        if (i > 0) {
            EXPECT_LT(std::string_view(p.Source(i - 1)), std::string_view(p.Source(i)));
        }
    }
    EXPECT_STREQ(p.Source(5), "T\x81"
                              "ber"); // 0x81 sorts after every ASCII letter
    EXPECT_STREQ(p.Translation(p.Find("TAlph")), "PQ");
    EXPECT_STREQ(p.Translation(p.Find("TAlpha")), "A");
    EXPECT_EQ(p.Find("TEmpty"), MltextEmptyTranslation);
    EXPECT_EQ(p.Find("Talpha"), MltextNotFound); // case-sensitive
    EXPECT_EQ(p.Find("Zzz"), MltextNotFound);    // beyond the last entry
    EXPECT_EQ(p.Find(""), MltextNotFound);
}

TEST(Mltext, LookUpAndDisplay) {
    TParagraphSource source(GermanParagraph + "\r\nT\r\n\"Mode\"\r\n=\r\n\"\"\r\n");
    TMlpara german;
    ASSERT_EQ(source.Read(german), 3);

    TMltext caption("TSpeed"), choices("C|Off|On"), empty("TMode"), unknown("TPressure");
    EXPECT_EQ(caption.DisplayText(&german), "Speed"); // not looked up yet
    EXPECT_GE(caption.LookUp(&german), 0);
    EXPECT_EQ(caption.DisplayText(&german), "Geschwindigkeit");
    EXPECT_EQ(caption.DisplayText(nullptr), "Speed");
    EXPECT_GE(choices.LookUp(&german), 0);
    EXPECT_EQ(choices.DisplayText(&german), "|Aus|Ein");
    EXPECT_EQ(empty.LookUp(&german), MltextEmptyTranslation);
    EXPECT_EQ(empty.DisplayText(&german), "Mode");
    EXPECT_EQ(unknown.LookUp(&german), MltextNotFound);
    EXPECT_EQ(unknown.DisplayText(&german), "Pressure");

    // An index left from another paragraph is never used beyond this one's
    // entries; a new text forgets its index.
    unknown.SetTranslationIndex(german.Count());
    EXPECT_EQ(unknown.DisplayText(&german), "Pressure");
    caption.SetText("TSpeed");
    EXPECT_EQ(caption.TranslationIndex(), MltextNotFound);
    EXPECT_EQ(TMltext().DisplayText(&german), "");
}

} // namespace
} // namespace kelvo
