#include "foundation/codepage.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

// ü ä ö ß in CP850, Windows-1252 and UTF-8.
const std::string OemUmlauts = "\x81\x84\x94\xE1";
const std::string AnsiUmlauts = "\xFC\xE4\xF6\xDF";
const std::string Utf8Umlauts = "\xC3\xBC\xC3\xA4\xC3\xB6\xC3\x9F";

TEST(CodePage, UmlautsRoundTripThroughAnsiAndUnicode) {
    EXPECT_EQ(OemToAnsi(OemUmlauts), AnsiUmlauts);
    EXPECT_EQ(AnsiToOem(AnsiUmlauts), OemUmlauts);
    EXPECT_EQ(OemToUtf8(OemUmlauts), Utf8Umlauts);
    EXPECT_EQ(Utf8ToOem(Utf8Umlauts), OemUmlauts);

    std::string all; // every CP850 byte has a Unicode character
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_EQ(Utf8ToOem(OemToUtf8(all)), all);

    std::string oem, utf8; // longer than one conversion step
    for (int i = 0; i < 1000; ++i) {
        oem += OemUmlauts;
        utf8 += Utf8Umlauts;
    }
    EXPECT_EQ(OemToUtf8(oem), utf8);
    EXPECT_EQ(Utf8ToOem(utf8), oem);
}

TEST(CodePage, UnrepresentableCharactersBecomeQuestionMarks) {
    // Euro sign and a CJK character have no CP850 code.
    EXPECT_EQ(Utf8ToOem("a\xE2\x82\xAC"
                        "b\xE4\xB8\xAD"),
              "a?b?");
    // A CP850 box-drawing character has no Windows-1252 code, and 0x81 is
    // unassigned in Windows-1252.
    EXPECT_EQ(OemToAnsi("x\xC9y"), "x?y");
    EXPECT_EQ(AnsiToOem("x\x81y\xFC"), "x?y\x81");
    // The euro sign of Windows-1252 is not in CP850 either.
    EXPECT_EQ(AnsiToOem("\x80"), "?");
}

TEST(CodePage, BrokenUnicodeInputGivesOneQuestionMarkPerBadByte) {
    EXPECT_EQ(Utf8ToOem("a\xFF"
                        "b"),
              "a?b");
    EXPECT_EQ(Utf8ToOem("a\xC3"), "a?");             // cut off at the end
    EXPECT_EQ(Utf8ToOem("\xC3(\xC3\xBC"), "?(\x81"); // bad continuation, then ü
    EXPECT_EQ(Utf8ToOem(std::string("a\0b", 3)), std::string("a\0b", 3));
}

} // namespace
} // namespace kelvo
