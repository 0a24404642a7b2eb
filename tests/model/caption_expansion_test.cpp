#include "model/caption_expansion.h"
#include "model/dlgline.h"
#include "model/dlglinevalue_choice.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

std::string Expand(std::string_view pattern, std::int32_t i = 2) {
    return ExpandCaptionTemplate(pattern, {i, 0, 0, nullptr});
}

TEST(CaptionExpansion, Placeholders) {
    EXPECT_EQ(Expand("Channel %d{1+i}"), "Channel 3");
    EXPECT_EQ(Expand("Out %02X{-1+i*16}"), "Out 1F");
    EXPECT_EQ(Expand("%x{i*-1}"), "fffffffe") << "hexadecimal shows 32 bits";
    EXPECT_EQ(Expand("%d{-3+i}"), "-1");
    EXPECT_EQ(Expand("%d{i*-2}"), "-4");
    EXPECT_EQ(Expand("[%-3d{i}]"), "[2  ]");
    EXPECT_EQ(Expand("[%+d{i}]"), "[+2]");
    EXPECT_EQ(Expand("[% 04d{+10+i}]"), "[ 012]");
    EXPECT_EQ(Expand("100%% %d{i}"), "100% 2");
    EXPECT_EQ(Expand("%d{2147483647+i}"), "-2147483647") << "32-bit arithmetic wraps";

    TCaptionVariables vars{1, 20, 300, nullptr};
    EXPECT_EQ(ExpandCaptionTemplate("%d{i}/%d{j}/%d{k}", vars), "1/20/300");
}

TEST(CaptionExpansion, ColonEndsTheCaption) {
    EXPECT_EQ(Expand("Gain: %d{i}"), "Gain:");
    EXPECT_EQ(Expand("a:b:c"), "a:");
    EXPECT_EQ(Expand("%d{i}:%d{i}"), "2:");
}

TEST(CaptionExpansion, EveryErrorShowsThePartialTextAndItsMessage) {
    EXPECT_EQ(Expand("Level %q{i}"), "Level Basis fehlt!");
    EXPECT_EQ(Expand("End %"), "End Basis fehlt!");
    EXPECT_EQ(Expand("%10d{i}"), "Basis fehlt!") << "a width has one digit";
    EXPECT_EQ(Expand("A%d(i)"), "A'{' fehlt!");
    EXPECT_EQ(Expand("A%d{1i}"), "A'+' fehlt!");
    EXPECT_EQ(Expand("%d{05+i}"), "V.-Art fehlt!") << "a leading zero is no number";
    EXPECT_EQ(Expand("%d{-i}"), "V.-Art fehlt!");
    EXPECT_EQ(Expand("%d{x}"), "V.-Art fehlt!");
    EXPECT_EQ(Expand("%d{i*}"), "'*' falsch!");
    EXPECT_EQ(Expand("%d{i*0}"), "'*' falsch!");
    EXPECT_EQ(Expand("x%d{i"), "x'}' fehlt!");
    EXPECT_EQ(Expand("%d{12345678901+i}"), "'+' fehlt!") << "at most ten digits";
}

TEST(CaptionExpansion, ValuePlaceholderNeedsAnIntegerValue) {
    TDlgline line;
    line.IndexI = 1;
    EXPECT_EQ(line.ExpandCaption("v=%d{v}"), "v='v' falsch!");
    line.CreateValue(KindChoice);
    EXPECT_EQ(line.ExpandCaption("v=%d{v}"), "v='v' falsch!");
    line.CreateValue(KindLong);
    line.Value->SetLong(41);
    EXPECT_EQ(line.ExpandCaption("v=%d{1+v} i=%d{i}"), "v=42 i=1");
}

TEST(CaptionExpansion, LengthLimitCountsTheTerminatingZero) {
    const std::string s32(32, 'a');
    EXPECT_EQ(Expand(s32), s32);
    EXPECT_EQ(Expand(s32 + "b"), s32 + "bToo Long");
    EXPECT_EQ(Expand(s32 + "bcdef"), s32 + "bcToo Long");
    // A colon ends the caption before its terminator is counted.
    EXPECT_EQ(Expand(s32 + ":rest"), s32 + ":");
    EXPECT_EQ(Expand(s32 + "b:"), s32 + "b:Too Long");

    // One placeholder can carry the text far past the limit: all of it is kept.
    const std::string s30(30, 'a');
    EXPECT_EQ(Expand(s30 + "%9d{i}rest"), s30 + "        2Too Long");
    EXPECT_EQ(Expand(s30 + "%d{i}"), s30 + "2");
    EXPECT_EQ(Expand(s30 + "%d{10+i}"), s30 + "12");
    EXPECT_EQ(Expand(s30 + "%d{100+i}"), s30 + "102Too Long");
    EXPECT_EQ(Expand(std::string(31, 'a') + "%%"), std::string(31, 'a') + "%");
}

} // namespace
} // namespace kelvo
