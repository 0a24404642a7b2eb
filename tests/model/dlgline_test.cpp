#include "model/dlgline.h"
#include "model/dlglinevalue_choice.h"
#include "model/record_codec.h"
#include "record_bytes.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvo {
namespace {

using test::TBytes;

std::uint16_t KindFlags(int kind, std::uint16_t others = 0) {
    return std::uint16_t((kind << flags::KindShift) | others);
}

TDlgline LongLine(std::int32_t value) {
    TDlgline line;
    line.Address = 0x0010;
    line.Flags = KindFlags(KindLong);
    line.SetCaptionText("Gain");
    line.CreateValue(KindLong);
    line.Value->SetLong(value);
    return line;
}

TEST(Dlgline, RecordLayout) {
    TDlgline line = LongLine(-2);
    line.Layout = 0x0401;
    TMemoryStream s;
    EXPECT_EQ(line.Write(s), 4);
    TBytes expected;
    test::AppendWords(expected, 0x0010, 0x0000, 0x0401);
    test::AppendText(expected, "Gain");
    test::Append(expected, {0xFE, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(test::Contents(s), expected);
}

TEST(Dlgline, EveryKindSurvivesWriteThenRead) {
    std::vector<TDlgline> lines;
    lines.push_back(LongLine(123456));
    for (int kind : {KindDouble, KindChoice, KindText, KindLabel}) {
        TDlgline line;
        line.Address = std::uint16_t(0x20 + kind);
        line.Flags = KindFlags(kind, 0x80A5);
        line.Layout = 0xC800;
        line.SetCaptionText(std::string(record::MaxTextLength, char('a' + kind)));
        line.CreateValue(kind);
        lines.push_back(std::move(line));
    }
    static_cast<TDlglineValueDouble&>(*lines[1].Value).Value = -0.125;
    auto& choice = static_cast<TDlglineValueChoice&>(*lines[2].Value);
    choice.SetChoices(std::vector<std::string>{"Off", std::string(record::MaxTextLength, 'x')});
    choice.Index = 1;
    lines[3].Value->SetText(std::string(record::MaxTextLength, 'T'));

    TMemoryStream s;
    for (const auto& line : lines)
        ASSERT_GE(line.Write(s), 0);
    s.SetPosition(0);
    for (const auto& written : lines) {
        TDlgline back;
        ASSERT_GE(back.Read(s), 0);
        EXPECT_TRUE(back.SameDefinition(written));
        EXPECT_TRUE(back.SameValue(written));
        EXPECT_EQ(back.Flags, written.Flags);
        EXPECT_EQ(back.Caption.Text(), written.Caption.Text());
    }
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(Dlgline, ReadFailures) {
    TMemoryStream s;
    TDlgline line = LongLine(1);

    test::Load(s, {1, 2, 3, 4, 5});
    EXPECT_EQ(line.Read(s), -1);
    EXPECT_EQ(line.Address, 0x0010) << "the words stay when there are not six bytes";

    TBytes b;
    test::AppendWords(b, 1, KindFlags(KindLong), 0);
    test::AppendText(b, "");
    test::Load(s, b);
    EXPECT_EQ(line.Read(s), -2) << "an empty caption";

    b.clear();
    test::AppendWords(b, 1, KindFlags(KindLong), 0);
    test::Append(b, {'G', 'a'});
    test::Load(s, b);
    EXPECT_EQ(line.Read(s), -2) << "a caption without its end";

    // A truncated value: words and caption are there, two of four bytes.
    b.clear();
    test::AppendWords(b, 7, KindFlags(KindLong), 0);
    test::AppendText(b, "Gain");
    test::Append(b, {1, 2});
    test::Load(s, b);
    EXPECT_EQ(line.Read(s), record::ShortTransfer);
}

TEST(Dlgline, KindsWithoutValueClassReadWordsAndCaptionOnly) {
    for (int kind = 4; kind <= 14; ++kind) {
        TBytes b;
        test::AppendWords(b, 3, KindFlags(kind), 0);
        test::AppendText(b, "Spare");
        test::Append(b, {0x55});
        TMemoryStream s;
        test::Load(s, b);
        TDlgline line = LongLine(1);
        EXPECT_EQ(line.Read(s), -3);
        EXPECT_FALSE(line.Value);
        EXPECT_EQ(line.CaptionText(), "Spare");
        EXPECT_EQ(s.Position(), 12) << "nothing of the next record is taken";

        TMemoryStream out;
        EXPECT_EQ(line.Write(out), -3);
        EXPECT_EQ(out.Length(), 12);
    }
}

TEST(Dlgline, OverlongCaptionIsCutAndItsRestReadAsTheValue) {
    TBytes b;
    test::AppendWords(b, 3, KindFlags(KindLong), 0);
    test::AppendText(b, std::string(record::MaxTextLength, 'c') + "\x01\x02\x03");
    TMemoryStream s;
    test::Load(s, b);
    TDlgline line;
    EXPECT_EQ(line.Read(s), 4);
    EXPECT_EQ(line.CaptionText().size(), std::size_t(record::MaxTextLength));
    EXPECT_EQ(line.Value->GetLong(), 0x00030201);
}

TEST(Dlgline, DefinitionIgnoresOnlyTheDeviceStateBits) {
    const TDlgline a = LongLine(1);
    TDlgline b = a;
    b.Flags |= flags::Hidden | flags::State;
    EXPECT_TRUE(a.SameDefinition(b));
    EXPECT_TRUE(b.SameDefinition(a));
    b.Flags = a.Flags | flags::ReadOnly;
    EXPECT_FALSE(a.SameDefinition(b));
    b = a;
    b.Layout = 1;
    EXPECT_FALSE(a.SameDefinition(b));
    b = a;
    b.SetCaptionText("gain");
    EXPECT_FALSE(a.SameDefinition(b));

    b = a;
    b.Value->SetLong(2);
    EXPECT_TRUE(a.SameDefinition(b)) << "values do not belong to the definition";
    EXPECT_FALSE(a.SameValue(b));
    b.Value.Reset();
    EXPECT_FALSE(a.SameDefinition(b));
    EXPECT_FALSE(a.SameValue(b));
    EXPECT_FALSE(b.SameValue(a));
    TDlgline c = b;
    EXPECT_TRUE(b.SameValue(c));
}

TEST(Dlgline, CopiesOwnTheirValue) {
    TDlgline a = LongLine(5);
    a.IndexI = 3;
    a.Caption.SetTranslationIndex(7);
    TDlgline b = a;
    b.Value->SetLong(6);
    EXPECT_EQ(a.Value->GetLong(), 5);
    EXPECT_EQ(b.IndexI, 3);
    EXPECT_EQ(b.Caption.TranslationIndex(), 7);

    // Even when Flags no longer name the value's kind, a copy keeps the value.
    a.Flags = KindFlags(9);
    TDlgline c(a);
    ASSERT_TRUE(c.Value);
    EXPECT_EQ(c.Value->GetLong(), 5);
}

TEST(Dlgline, BlankLines) {
    TDlgline line = LongLine(5);
    line.IndexI = 2;
    EXPECT_FALSE(line.IsBlank());
    line.Blank();
    EXPECT_TRUE(line.IsBlank());
    EXPECT_EQ(line.Caption.Text(), "T");
    EXPECT_EQ(line.Address, 0x0010);
    EXPECT_EQ(line.IndexI, 2);

    TDlgline label;
    label.SetCaptionText("Section");
    EXPECT_TRUE(label.IsBlank()) << "no value";
    EXPECT_EQ(label.CreateValue(KindLabel), 0);
    EXPECT_FALSE(label.IsBlank());
    EXPECT_EQ(label.CreateValue(5), -1);
    EXPECT_FALSE(label.Value);
}

TEST(Dlgline, VisibilityAndEditabilityFollowProductionMode) {
    std::uint8_t production = 0;
    TDlgline line(&production);
    line.Flags = KindFlags(KindLong, flags::ProductionVisible | flags::ProductionEditable);
    line.CreateValue(KindLong);
    EXPECT_FALSE(line.IsVisible());
    EXPECT_FALSE(line.IsEditable());
    production = 1;
    EXPECT_TRUE(line.IsVisible());
    EXPECT_TRUE(line.IsEditable());

    line.Flags |= flags::Hidden | flags::ReadOnly;
    EXPECT_FALSE(line.IsVisible());
    EXPECT_FALSE(line.IsEditable());

    TDlgline alone; // no document: production lines count as shown
    alone.Flags = KindFlags(KindLabel, flags::ProductionVisible);
    alone.CreateValue(KindLabel);
    EXPECT_TRUE(alone.IsVisible());
    EXPECT_FALSE(alone.IsEditable()) << "labels are never edited";
    alone.Value.Reset();
    EXPECT_FALSE(alone.IsEditable());
}

} // namespace
} // namespace kelvo
